#include <windows.h>
#include <winsvc.h>

#include "os/win32/services.h"
#include "win/handles.h"

namespace oswin {

namespace {

class Win32Service : public os::Service {
public:
    explicit Win32Service(win::UniqueServiceHandle service) : service_(std::move(service)) {}

    bool SetDescription(const core::u16& description) override {
        SERVICE_DESCRIPTIONW info{};
        info.lpDescription = const_cast<wchar_t*>(W(description));
        return ::ChangeServiceConfig2W(service_.Get(), SERVICE_CONFIG_DESCRIPTION, &info) != FALSE;
    }

    std::uint32_t Start() override {
        if (::StartServiceW(service_.Get(), 0, nullptr)) return ERROR_SUCCESS;
        return ::GetLastError();
    }

private:
    win::UniqueServiceHandle service_;
};

class Win32ServiceManagerSession : public os::ServiceManagerSession {
public:
    explicit Win32ServiceManagerSession(win::UniqueServiceHandle manager) : manager_(std::move(manager)) {}

    std::unique_ptr<os::Service> Create(const os::ServiceConfig& config, std::uint32_t* error) override {
        // No load-order group, tag, account or password (the local system
        // account); the dependencies are an empty list.
        win::UniqueServiceHandle service(::CreateServiceW(
            manager_.Get(), W(config.name), W(config.displayName), SERVICE_ALL_ACCESS, config.serviceType,
            config.startType, config.errorControl, W(config.binaryPath), nullptr, nullptr, L"", nullptr, nullptr));
        if (!service) {
            *error = ::GetLastError();
            return nullptr;
        }
        return std::make_unique<Win32Service>(std::move(service));
    }

private:
    win::UniqueServiceHandle manager_;
};

}  // namespace

std::unique_ptr<os::ServiceManagerSession> ServiceManager::Open() {
    win::UniqueServiceHandle manager(::OpenSCManagerW(nullptr, SERVICES_ACTIVE_DATABASEW, SC_MANAGER_ALL_ACCESS));
    if (!manager) return nullptr;
    return std::make_unique<Win32ServiceManagerSession>(std::move(manager));
}

ServiceManager& Services() {
    static ServiceManager instance;
    return instance;
}

}  // namespace oswin
