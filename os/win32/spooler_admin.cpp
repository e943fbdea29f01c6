#include <windows.h>
#include <winspool.h>

#include <vector>

#include "os/win32/removal_services.h"
#include "os/win32/services.h"
#include "win/system_libraries.h"

namespace oswin {

namespace {

struct WinspoolRemovalApi {
    decltype(&::EnumPrintersW) EnumPrinters = nullptr;
    decltype(&::EnumPrinterDriversW) EnumPrinterDrivers = nullptr;
    decltype(&::EnumPortsW) EnumPorts = nullptr;
    decltype(&::EnumMonitorsW) EnumMonitors = nullptr;
    decltype(&::GetPrinterDriverDirectoryW) GetPrinterDriverDirectory = nullptr;
    decltype(&::OpenPrinterW) OpenPrinter = nullptr;
    decltype(&::SetPrinterW) SetPrinter = nullptr;
    decltype(&::DeletePrinter) DeletePrinter = nullptr;
    decltype(&::ClosePrinter) ClosePrinter = nullptr;
    decltype(&::DeletePrinterDriverExW) DeletePrinterDriverEx = nullptr;
    decltype(&::DeletePortW) DeletePort = nullptr;
    decltype(&::DeleteMonitorW) DeleteMonitor = nullptr;

    static const WinspoolRemovalApi& Get() {
        static const WinspoolRemovalApi api = Load();
        return api;
    }

private:
    static WinspoolRemovalApi Load() {
        WinspoolRemovalApi api;
        HMODULE module = win::LoadSystemLibrary(L"winspool.drv");
        if (!module) return api;
        win::ResolveProc(module, "EnumPrintersW", &api.EnumPrinters);
        win::ResolveProc(module, "EnumPrinterDriversW", &api.EnumPrinterDrivers);
        win::ResolveProc(module, "EnumPortsW", &api.EnumPorts);
        win::ResolveProc(module, "EnumMonitorsW", &api.EnumMonitors);
        win::ResolveProc(module, "GetPrinterDriverDirectoryW", &api.GetPrinterDriverDirectory);
        win::ResolveProc(module, "OpenPrinterW", &api.OpenPrinter);
        win::ResolveProc(module, "SetPrinterW", &api.SetPrinter);
        win::ResolveProc(module, "DeletePrinter", &api.DeletePrinter);
        win::ResolveProc(module, "ClosePrinter", &api.ClosePrinter);
        win::ResolveProc(module, "DeletePrinterDriverExW", &api.DeletePrinterDriverEx);
        win::ResolveProc(module, "DeletePortW", &api.DeletePort);
        win::ResolveProc(module, "DeleteMonitorW", &api.DeleteMonitor);
        return api;
    }
};

core::u16 Text(const wchar_t* s) { return s ? U16(s) : core::u16(); }
wchar_t* Mutable(const core::u16& s) { return const_cast<wchar_t*>(W(s)); }
wchar_t* OrNull(const core::u16& s) { return s.empty() ? nullptr : Mutable(s); }

// The two-call enumeration: the size first, then the records. False when
// the spooler cannot list; an empty buffer with true means nothing to list.
template <typename Call>
bool Enumerate(Call call, std::vector<BYTE>* buffer, DWORD* count) {
    DWORD needed = 0;
    *count = 0;
    buffer->clear();
    if (call(nullptr, 0, &needed, count)) return true;
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
    buffer->resize(needed);
    return call(buffer->data(), needed, &needed, count) != FALSE;
}

}  // namespace

bool SpoolerAdmin::Printers(std::vector<os::InstalledPrinter>* printers) {
    printers->clear();
    const auto& api = WinspoolRemovalApi::Get();
    if (!api.EnumPrinters) return false;
    std::vector<BYTE> buffer;
    DWORD count = 0;
    if (!Enumerate([&](BYTE* b, DWORD size, DWORD* needed, DWORD* n) {
            return api.EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 2, b, size, needed, n);
        }, &buffer, &count))
        return false;
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        printers->push_back({Text(info[i].pPrinterName), Text(info[i].pDriverName), Text(info[i].pPortName)});
    return true;
}

bool SpoolerAdmin::Drivers(const core::u16& environment, std::vector<os::InstalledDriver>* drivers) {
    drivers->clear();
    const auto& api = WinspoolRemovalApi::Get();
    if (!api.EnumPrinterDrivers) return false;
    std::vector<BYTE> buffer;
    DWORD count = 0;
    if (!Enumerate([&](BYTE* b, DWORD size, DWORD* needed, DWORD* n) {
            return api.EnumPrinterDrivers(nullptr, Mutable(environment), 3, b, size, needed, n);
        }, &buffer, &count))
        return false;
    const auto* info = reinterpret_cast<const DRIVER_INFO_3W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        os::InstalledDriver d;
        d.name = Text(info[i].pName);
        d.environment = Text(info[i].pEnvironment);
        d.driverPath = Text(info[i].pDriverPath);
        d.dataFile = Text(info[i].pDataFile);
        d.configFile = Text(info[i].pConfigFile);
        d.helpFile = Text(info[i].pHelpFile);
        // A list of names, each ended by a null, the list by another.
        for (const wchar_t* p = info[i].pDependentFiles; p && *p; p += wcslen(p) + 1) d.dependentFiles.push_back(U16(p));
        drivers->push_back(std::move(d));
    }
    return true;
}

bool SpoolerAdmin::Ports(std::vector<os::InstalledPort>* ports) {
    ports->clear();
    const auto& api = WinspoolRemovalApi::Get();
    if (!api.EnumPorts) return false;
    std::vector<BYTE> buffer;
    DWORD count = 0;
    if (!Enumerate([&](BYTE* b, DWORD size, DWORD* needed, DWORD* n) {
            return api.EnumPorts(nullptr, 2, b, size, needed, n);
        }, &buffer, &count))
        return false;
    const auto* info = reinterpret_cast<const PORT_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) ports->push_back({Text(info[i].pPortName), Text(info[i].pMonitorName)});
    return true;
}

bool SpoolerAdmin::Monitors(std::vector<os::InstalledMonitor>* monitors) {
    monitors->clear();
    const auto& api = WinspoolRemovalApi::Get();
    if (!api.EnumMonitors) return false;
    std::vector<BYTE> buffer;
    DWORD count = 0;
    if (!Enumerate([&](BYTE* b, DWORD size, DWORD* needed, DWORD* n) {
            return api.EnumMonitors(nullptr, 2, b, size, needed, n);
        }, &buffer, &count))
        return false;
    const auto* info = reinterpret_cast<const MONITOR_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        monitors->push_back({Text(info[i].pName), Text(info[i].pEnvironment), Text(info[i].pDLLName)});
    return true;
}

core::u16 SpoolerAdmin::DriverDirectory(const core::u16& environment) {
    const auto& api = WinspoolRemovalApi::Get();
    if (!api.GetPrinterDriverDirectory) return core::u16();
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD needed = 0;
    if (!api.GetPrinterDriverDirectory(nullptr, OrNull(environment), 1, reinterpret_cast<BYTE*>(buffer),
                                       sizeof buffer - sizeof(wchar_t), &needed))
        return core::u16();
    return U16(buffer);
}

std::uint32_t SpoolerAdmin::DeletePrinter(const core::u16& name) {
    const auto& api = WinspoolRemovalApi::Get();
    if (!api.OpenPrinter || !api.SetPrinter || !api.DeletePrinter || !api.ClosePrinter)
        return ERROR_CALL_NOT_IMPLEMENTED;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!api.OpenPrinter(Mutable(name), &printer, &defaults)) return ::GetLastError();
    // Pending jobs would keep the printer (and its driver) until they end.
    api.SetPrinter(printer, 0, nullptr, PRINTER_CONTROL_PURGE);
    const DWORD error = api.DeletePrinter(printer) ? 0 : ::GetLastError();
    api.ClosePrinter(printer);
    return error;
}

std::uint32_t SpoolerAdmin::DeleteDriver(const core::u16& name, const core::u16& environment, std::uint32_t flags) {
    const auto& api = WinspoolRemovalApi::Get();
    if (!api.DeletePrinterDriverEx) return ERROR_CALL_NOT_IMPLEMENTED;
    return api.DeletePrinterDriverEx(nullptr, Mutable(environment), Mutable(name), flags, 0) ? 0 : ::GetLastError();
}

std::uint32_t SpoolerAdmin::DeletePort(const core::u16& name) {
    const auto& api = WinspoolRemovalApi::Get();
    if (!api.DeletePort) return ERROR_CALL_NOT_IMPLEMENTED;
    return api.DeletePort(nullptr, nullptr, Mutable(name)) ? 0 : ::GetLastError();
}

std::uint32_t SpoolerAdmin::DeleteMonitor(const core::u16& name, const core::u16& environment) {
    const auto& api = WinspoolRemovalApi::Get();
    if (!api.DeleteMonitor) return ERROR_CALL_NOT_IMPLEMENTED;
    return api.DeleteMonitor(nullptr, Mutable(environment), Mutable(name)) ? 0 : ::GetLastError();
}

}  // namespace oswin
