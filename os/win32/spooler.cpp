#include <windows.h>
#include <winspool.h>

#include <vector>

#include "os/win32/services.h"
#include "win/system_libraries.h"

namespace oswin {

namespace {

// The winspool entry points, resolved once from the system folder's copy.
struct WinspoolApi {
    decltype(&::EnumPortsW) EnumPorts = nullptr;
    decltype(&::EnumPrintersW) EnumPrinters = nullptr;
    decltype(&::AddPortW) AddPort = nullptr;
    decltype(&::DeletePortW) DeletePort = nullptr;
    decltype(&::ConfigurePortW) ConfigurePort = nullptr;

    static const WinspoolApi& Get() {
        static const WinspoolApi api = Load();
        return api;
    }

private:
    template <typename F>
    static void Resolve(HMODULE module, const char* name, F* slot) {
        *slot = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    }
    static WinspoolApi Load() {
        WinspoolApi api;
        HMODULE module = win::LoadSystemLibrary(L"winspool.drv");
        if (!module) return api;
        Resolve(module, "EnumPortsW", &api.EnumPorts);
        Resolve(module, "EnumPrintersW", &api.EnumPrinters);
        Resolve(module, "AddPortW", &api.AddPort);
        Resolve(module, "DeletePortW", &api.DeletePort);
        Resolve(module, "ConfigurePortW", &api.ConfigurePort);
        return api;
    }
};

core::u16 Text(const wchar_t* s) { return s ? U16(s) : core::u16(); }

}  // namespace

os::PortEnumResult Spooler::EnumeratePorts(std::vector<os::PortRecord>* ports) {
    ports->clear();
    const auto& api = WinspoolApi::Get();
    if (!api.EnumPorts) return os::PortEnumResult::kNoSizeReported;
    DWORD needed = 0, count = 0;
    if (api.EnumPorts(nullptr, 2, nullptr, 0, &needed, &count) || ::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return os::PortEnumResult::kNoSizeReported;
    std::vector<BYTE> buffer(needed + 16);
    if (!api.EnumPorts(nullptr, 2, buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &count))
        return os::PortEnumResult::kFetchFailed;
    const auto* info = reinterpret_cast<const PORT_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        ports->push_back({Text(info[i].pPortName), Text(info[i].pMonitorName), Text(info[i].pDescription),
                          info[i].fPortType, info[i].Reserved});
    return os::PortEnumResult::kOk;
}

bool Spooler::EnumerateLocalPrinters(std::vector<os::PrinterRecord>* printers) {
    printers->clear();
    const auto& api = WinspoolApi::Get();
    if (!api.EnumPrinters) return false;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, count = 0;
    if (api.EnumPrinters(flags, nullptr, 2, nullptr, 0, &needed, &count)) return true;  // nothing to list
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
    std::vector<BYTE> buffer(needed + 4);
    if (!api.EnumPrinters(flags, nullptr, 2, buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &count))
        return false;
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        printers->push_back({Text(info[i].pPrinterName), Text(info[i].pPortName), Text(info[i].pDriverName)});
    return true;
}

bool Spooler::AddPort(os::WindowHandle owner, const core::u16& monitorName) {
    const auto& api = WinspoolApi::Get();
    return api.AddPort && api.AddPort(nullptr, reinterpret_cast<HWND>(owner), const_cast<wchar_t*>(W(monitorName)));
}

bool Spooler::DeletePort(os::WindowHandle owner, const core::u16& portName) {
    const auto& api = WinspoolApi::Get();
    return api.DeletePort && api.DeletePort(nullptr, reinterpret_cast<HWND>(owner), const_cast<wchar_t*>(W(portName)));
}

bool Spooler::ConfigurePort(os::WindowHandle owner, const core::u16& portName) {
    const auto& api = WinspoolApi::Get();
    return api.ConfigurePort &&
           api.ConfigurePort(nullptr, reinterpret_cast<HWND>(owner), const_cast<wchar_t*>(W(portName)));
}

Spooler& PrintSpooler() {
    static Spooler instance;
    return instance;
}

// The engine's calls: not available in this build yet.
bool Spooler::PrinterDriverDirectory(core::u16*, std::uint32_t* error) {
    *error = ERROR_CALL_NOT_IMPLEMENTED;
    return false;
}
std::uint32_t Spooler::AddMonitor(const core::u16&, const core::u16&, const core::u16&) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}
os::AddPortExResult Spooler::AddPortEx(const core::u16&, const core::u16&, std::uint32_t*) {
    return os::AddPortExResult::kUnavailable;
}
std::uint32_t Spooler::AddPrinterDriver(const os::DriverInfo&) { return ERROR_CALL_NOT_IMPLEMENTED; }
std::unique_ptr<os::PrinterHandle> Spooler::AddPrinter(const os::PrinterInfo&, std::uint32_t* error) {
    *error = ERROR_CALL_NOT_IMPLEMENTED;
    return nullptr;
}
bool Spooler::SetDefaultPrinter(const core::u16&) { return false; }

}  // namespace oswin
