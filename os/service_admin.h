// The service control manager, as far as removing the printer service needs
// it. Results are 0 or the Win32 error code of the call that failed.
#pragma once

#include <cstdint>

#include "core/text.h"

namespace os {

constexpr std::uint32_t kErrorServiceDoesNotExist = 1060;
constexpr std::uint32_t kErrorServiceNotActive = 1062;
constexpr std::uint32_t kErrorServiceMarkedForDelete = 1072;

struct ServiceStatus {
    bool exists = false;
    bool running = false;   // any state but SERVICE_STOPPED
    core::u16 imagePath;    // as stored (QueryServiceConfigW lpBinaryPathName)
};

class ServiceAdmin {
public:
    virtual ~ServiceAdmin() = default;

    // False with *error when the manager cannot be opened or the service
    // cannot be queried; a missing service is true with exists == false.
    virtual bool Query(const core::u16& name, ServiceStatus* status, std::uint32_t* error) = 0;

    // Sends SERVICE_CONTROL_STOP and waits up to `timeoutMs` for
    // SERVICE_STOPPED. 0 when it stopped or was not running.
    virtual std::uint32_t Stop(const core::u16& name, std::uint32_t timeoutMs) = 0;

    // DeleteService. The service manager removes the service once its last
    // handle is closed and the service has stopped.
    virtual std::uint32_t Delete(const core::u16& name) = 0;

    // ChangeServiceConfigW with a new program path (everything else
    // unchanged), then StartServiceW when `start` is set.
    virtual std::uint32_t MoveProgram(const core::u16& name, const core::u16& imagePath, bool start) = 0;
};

}  // namespace os
