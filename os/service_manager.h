// The service control manager, as far as the printer service needs it.
#pragma once

#include <cstdint>
#include <memory>

#include "core/text.h"

namespace os {

// CreateServiceW's parameters that the installer sets; everything else is
// none (no load-order group, tag, dependencies, account or password: the
// local system account).
struct ServiceConfig {
    core::u16 name;
    core::u16 displayName;
    std::uint32_t serviceType = 0;   // SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS
    std::uint32_t startType = 0;     // SERVICE_AUTO_START
    std::uint32_t errorControl = 0;  // SERVICE_ERROR_NORMAL
    core::u16 binaryPath;            // as stored in ImagePath
};

// An open service (SERVICE_ALL_ACCESS); closed in the destructor.
class Service {
public:
    virtual ~Service() = default;
    // ChangeServiceConfig2W with SERVICE_CONFIG_DESCRIPTION.
    virtual bool SetDescription(const core::u16& description) = 0;
    // StartServiceW without arguments; 0 or the Win32 error code.
    virtual std::uint32_t Start() = 0;
};

// An open service manager (local computer, active database,
// SC_MANAGER_ALL_ACCESS); closed in the destructor.
class ServiceManagerSession {
public:
    virtual ~ServiceManagerSession() = default;
    // CreateServiceW; null with *error on failure (1073 when a service of
    // that name exists).
    virtual std::unique_ptr<Service> Create(const ServiceConfig& config, std::uint32_t* error) = 0;
};

class ServiceManager {
public:
    virtual ~ServiceManager() = default;
    // OpenSCManagerW; null when it cannot be opened.
    virtual std::unique_ptr<ServiceManagerSession> Open() = 0;
};

}  // namespace os
