#include <windows.h>

#include <vector>

#include "os/win32/removal_services.h"
#include "os/win32/services.h"
#include "win/handles.h"

namespace oswin {

namespace {

struct ScHandleTraits {
    using Type = SC_HANDLE;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::CloseServiceHandle(h); }
};
using UniqueService = win::Unique<ScHandleTraits>;

// Opens the service with `access`; on failure *error holds the code.
UniqueService OpenNamed(const core::u16& name, DWORD access, std::uint32_t* error) {
    UniqueService manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) {
        *error = ::GetLastError();
        return UniqueService();
    }
    UniqueService service(::OpenServiceW(manager.Get(), W(name), access));
    if (!service) *error = ::GetLastError();
    return service;
}

bool CurrentState(SC_HANDLE service, DWORD* state) {
    SERVICE_STATUS status{};
    if (!::QueryServiceStatus(service, &status)) return false;
    *state = status.dwCurrentState;
    return true;
}

}  // namespace

bool ServiceAdmin::Query(const core::u16& name, os::ServiceStatus* status, std::uint32_t* error) {
    *status = os::ServiceStatus();
    std::uint32_t code = 0;
    UniqueService service = OpenNamed(name, SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS, &code);
    if (!service) {
        if (code == ERROR_SERVICE_DOES_NOT_EXIST) return true;
        *error = code;
        return false;
    }
    status->exists = true;
    DWORD needed = 0;
    ::QueryServiceConfigW(service.Get(), nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed + sizeof(QUERY_SERVICE_CONFIGW));
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (::QueryServiceConfigW(service.Get(), config, static_cast<DWORD>(buffer.size()), &needed) &&
        config->lpBinaryPathName)
        status->imagePath = U16(config->lpBinaryPathName);
    DWORD state = SERVICE_STOPPED;
    status->running = CurrentState(service.Get(), &state) && state != SERVICE_STOPPED;
    return true;
}

std::uint32_t ServiceAdmin::Stop(const core::u16& name, std::uint32_t timeoutMs) {
    std::uint32_t code = 0;
    UniqueService service = OpenNamed(name, SERVICE_STOP | SERVICE_QUERY_STATUS, &code);
    if (!service) return code;
    DWORD state = SERVICE_STOPPED;
    if (!CurrentState(service.Get(), &state)) return ::GetLastError();
    if (state == SERVICE_STOPPED) return ERROR_SERVICE_NOT_ACTIVE;
    SERVICE_STATUS status{};
    if (state != SERVICE_STOP_PENDING && !::ControlService(service.Get(), SERVICE_CONTROL_STOP, &status)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_SERVICE_NOT_ACTIVE) return error;
    }
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (CurrentState(service.Get(), &state) && state != SERVICE_STOPPED) {
        if (::GetTickCount64() >= deadline) return ERROR_SERVICE_REQUEST_TIMEOUT;
        ::Sleep(200);
    }
    return 0;
}

std::uint32_t ServiceAdmin::Delete(const core::u16& name) {
    std::uint32_t code = 0;
    UniqueService service = OpenNamed(name, DELETE, &code);
    if (!service) return code;
    return ::DeleteService(service.Get()) ? 0 : ::GetLastError();
}

std::uint32_t ServiceAdmin::MoveProgram(const core::u16& name, const core::u16& imagePath, bool start) {
    std::uint32_t code = 0;
    UniqueService service = OpenNamed(name, SERVICE_CHANGE_CONFIG | SERVICE_START, &code);
    if (!service) return code;
    if (!::ChangeServiceConfigW(service.Get(), SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, W(imagePath),
                                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr))
        return ::GetLastError();
    // The service now runs the other installation's program; a failure to
    // start it again is the service's own matter, as at installation.
    if (start) ::StartServiceW(service.Get(), 0, nullptr);
    return 0;
}

}  // namespace oswin
