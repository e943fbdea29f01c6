#include <windows.h>
#include <winspool.h>

#include <vector>

#include "os/win32/services.h"
#include "win/handles.h"
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
    decltype(&::GetPrinterDriverDirectoryW) GetPrinterDriverDirectory = nullptr;
    decltype(&::AddMonitorW) AddMonitor = nullptr;
    // Not declared by every winspool.h; its signature is fixed by the API.
    BOOL(WINAPI* AddPortEx)(LPWSTR server, DWORD level, LPBYTE port, LPWSTR monitorName) = nullptr;
    decltype(&::AddPrinterDriverW) AddPrinterDriver = nullptr;
    decltype(&::AddPrinterW) AddPrinter = nullptr;
    decltype(&::SetPrinterDataW) SetPrinterData = nullptr;
    // Ordinal 204 of winspool.drv: SetDefaultPrinterW, never looked up by name.
    BOOL(WINAPI* SetDefaultPrinter)(LPCWSTR) = nullptr;

    static const WinspoolApi& Get() {
        static const WinspoolApi api = Load();
        return api;
    }

private:
    static WinspoolApi Load() {
        WinspoolApi api;
        HMODULE module = win::LoadSystemLibrary(L"winspool.drv");
        if (!module) return api;
        win::ResolveProc(module, "EnumPortsW", &api.EnumPorts);
        win::ResolveProc(module, "EnumPrintersW", &api.EnumPrinters);
        win::ResolveProc(module, "AddPortW", &api.AddPort);
        win::ResolveProc(module, "DeletePortW", &api.DeletePort);
        win::ResolveProc(module, "ConfigurePortW", &api.ConfigurePort);
        win::ResolveProc(module, "GetPrinterDriverDirectoryW", &api.GetPrinterDriverDirectory);
        win::ResolveProc(module, "AddMonitorW", &api.AddMonitor);
        win::ResolveProc(module, "AddPortExW", &api.AddPortEx);
        win::ResolveProc(module, "AddPrinterDriverW", &api.AddPrinterDriver);
        win::ResolveProc(module, "AddPrinterW", &api.AddPrinter);
        win::ResolveProc(module, "SetPrinterDataW", &api.SetPrinterData);
        win::ResolveProc(module, MAKEINTRESOURCEA(204), &api.SetDefaultPrinter);
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

namespace {

// The spooler's structures take non-const strings that it only reads.
wchar_t* In(const core::u16& s) { return const_cast<wchar_t*>(W(s)); }

// Error code for a winspool function that could not be found.
constexpr DWORD kMissingFunction = ERROR_PROC_NOT_FOUND;

class Win32PrinterHandle : public os::PrinterHandle {
public:
    explicit Win32PrinterHandle(win::UniquePrinter printer) : printer_(std::move(printer)) {}

    std::uint32_t SetData(const core::u16& valueName, std::uint32_t type,
                          const std::vector<std::uint8_t>& bytes) override {
        const auto& api = WinspoolApi::Get();
        if (!api.SetPrinterData) return kMissingFunction;
        // SetPrinterDataW returns the error code itself (not through GetLastError).
        return api.SetPrinterData(printer_.Get(), In(valueName), type, const_cast<BYTE*>(bytes.data()),
                                  static_cast<DWORD>(bytes.size()));
    }

    std::uintptr_t Value() const override { return reinterpret_cast<std::uintptr_t>(printer_.Get()); }

private:
    win::UniquePrinter printer_;
};

}  // namespace

bool Spooler::PrinterDriverDirectory(core::u16* directory, std::uint32_t* error) {
    directory->clear();
    const auto& api = WinspoolApi::Get();
    if (!api.GetPrinterDriverDirectory) {
        *error = kMissingFunction;
        return false;
    }
    // Level 1 is the bare path. A directory longer than MAX_PATH characters
    // fails with ERROR_INSUFFICIENT_BUFFER.
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD needed = 0;
    if (!api.GetPrinterDriverDirectory(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(buffer),
                                       static_cast<DWORD>(MAX_PATH * sizeof(wchar_t)), &needed)) {
        *error = ::GetLastError();
        return false;
    }
    *directory = U16(buffer);
    return true;
}

std::uint32_t Spooler::AddMonitor(const core::u16& name, const core::u16& environment, const core::u16& dllPath) {
    const auto& api = WinspoolApi::Get();
    if (!api.AddMonitor) return kMissingFunction;
    MONITOR_INFO_2W info{};
    info.pName = In(name);
    info.pEnvironment = In(environment);
    info.pDLLName = In(dllPath);
    if (api.AddMonitor(nullptr, 2, reinterpret_cast<BYTE*>(&info))) return ERROR_SUCCESS;
    return ::GetLastError();
}

os::AddPortExResult Spooler::AddPortEx(const core::u16& portName, const core::u16& monitorName,
                                       std::uint32_t* error) {
    const auto& api = WinspoolApi::Get();
    if (!api.AddPortEx) return os::AddPortExResult::kUnavailable;
    PORT_INFO_1W info{};
    info.pName = In(portName);
    if (api.AddPortEx(nullptr, 1, reinterpret_cast<BYTE*>(&info), In(monitorName))) return os::AddPortExResult::kAdded;
    *error = ::GetLastError();
    return os::AddPortExResult::kFailed;
}

std::uint32_t Spooler::AddPrinterDriver(const os::DriverInfo& driver) {
    const auto& api = WinspoolApi::Get();
    if (!api.AddPrinterDriver) return kMissingFunction;
    DRIVER_INFO_2W info{};
    info.cVersion = driver.version;
    info.pName = In(driver.name);
    info.pEnvironment = In(driver.environment);
    info.pDriverPath = In(driver.driverPath);
    info.pDataFile = In(driver.dataFile);
    info.pConfigFile = In(driver.configFile);
    if (api.AddPrinterDriver(nullptr, 2, reinterpret_cast<BYTE*>(&info))) return ERROR_SUCCESS;
    return ::GetLastError();
}

std::unique_ptr<os::PrinterHandle> Spooler::AddPrinter(const os::PrinterInfo& printer, std::uint32_t* error) {
    const auto& api = WinspoolApi::Get();
    if (!api.AddPrinter) {
        *error = kMissingFunction;
        return nullptr;
    }
    wchar_t empty[] = L"";
    PRINTER_INFO_2W info{};
    info.pPrinterName = In(printer.printerName);
    info.pShareName = In(printer.shareName);
    info.pPortName = In(printer.portName);
    info.pDriverName = In(printer.driverName);
    info.pSepFile = empty;
    info.pPrintProcessor = In(printer.printProcessor);
    info.pDatatype = In(printer.dataType);
    info.pParameters = empty;
    info.Attributes = printer.attributes;
    win::UniquePrinter handle(api.AddPrinter(nullptr, 2, reinterpret_cast<BYTE*>(&info)));
    if (!handle) {
        *error = ::GetLastError();
        return nullptr;
    }
    return std::make_unique<Win32PrinterHandle>(std::move(handle));
}

bool Spooler::SetDefaultPrinter(const core::u16& printerName) {
    const auto& api = WinspoolApi::Get();
    return api.SetDefaultPrinter && api.SetDefaultPrinter(W(printerName));
}

}  // namespace oswin
