// In-memory service control manager for the unit tests.
//
// Services are kept by name with their configuration, description and
// number of starts. Creating a service whose name exists fails with 1073
// (ERROR_SERVICE_EXISTS), as Windows answers. Opening the manager, creating
// and starting can be made to fail. Every call, and every handle closed, is
// recorded in order (CallRecorder).
#pragma once

#include <map>
#include <memory>

#include "fakes/call_recorder.h"
#include "os/service_manager.h"

namespace fakes {

class FakeServiceManager : public os::ServiceManager, public CallRecorder {
public:
    struct Installed {
        os::ServiceConfig config;
        core::u16 description;
        int starts = 0;
    };
    std::map<core::u16, Installed> services;

    bool openFails = false;
    std::uint32_t createError = 0;  // non-zero: CreateService fails with it
    std::uint32_t startError = 0;   // non-zero: StartService fails with it
    int openSessions = 0;           // sessions and service handles not yet closed
    int openServices = 0;

    void AddExisting(const os::ServiceConfig& config) { services[config.name].config = config; }

    std::unique_ptr<os::ServiceManagerSession> Open() override;
};

class FakeService : public os::Service {
public:
    FakeService(FakeServiceManager& manager, core::u16 name) : manager_(manager), name_(std::move(name)) {
        ++manager_.openServices;
    }
    ~FakeService() override {
        --manager_.openServices;
        manager_.Record("CloseServiceHandle", name_);
    }
    bool SetDescription(const core::u16& description) override {
        manager_.Record("SetDescription", description);
        manager_.services[name_].description = description;
        return true;
    }
    std::uint32_t Start() override {
        manager_.Record("StartService", name_);
        if (manager_.startError != 0) return manager_.startError;
        ++manager_.services[name_].starts;
        return 0;
    }

private:
    FakeServiceManager& manager_;
    core::u16 name_;
};

class FakeServiceSession : public os::ServiceManagerSession {
public:
    explicit FakeServiceSession(FakeServiceManager& manager) : manager_(manager) { ++manager_.openSessions; }
    ~FakeServiceSession() override {
        --manager_.openSessions;
        manager_.Record("CloseServiceManager");
    }
    std::unique_ptr<os::Service> Create(const os::ServiceConfig& config, std::uint32_t* error) override {
        manager_.Record("CreateService", config.name);
        std::uint32_t code = manager_.createError;
        if (code == 0 && manager_.services.count(config.name) != 0) code = 1073;  // ERROR_SERVICE_EXISTS
        if (code != 0) {
            *error = code;
            return nullptr;
        }
        manager_.services[config.name].config = config;
        return std::make_unique<FakeService>(manager_, config.name);
    }

private:
    FakeServiceManager& manager_;
};

inline std::unique_ptr<os::ServiceManagerSession> FakeServiceManager::Open() {
    Record("OpenSCManager");
    if (openFails) return nullptr;
    return std::make_unique<FakeServiceSession>(*this);
}

}  // namespace fakes
