// Print spooler service used by the wizard's and the engine's portable code.
//
// The Win32 implementation wraps winspool (EnumPortsW, EnumPrintersW,
// AddPortW, DeletePortW, ConfigurePortW, GetPrinterDriverDirectoryW,
// AddMonitorW, AddPortExW, AddPrinterDriverW, AddPrinterW, SetPrinterDataW,
// the ordinal-204 default-printer call) on the local machine; tests use the
// fake in tests/unit/fakes/fake_spooler.h. Every failing call reports the
// Win32 error code read right after the call that failed.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/text.h"

namespace os {

// An owner window for the spooler's own dialogs, passed through unchanged
// (an HWND on Windows; 0 for none).
using WindowHandle = std::uintptr_t;

// A copy of one level-2 port record (PORT_INFO_2W).
struct PortRecord {
    core::u16 name;
    core::u16 monitor;
    core::u16 description;
    std::uint32_t type = 0;      // PORT_TYPE_* flags
    std::uint32_t reserved = 0;
};

// How a port enumeration ended. Windows answers the size query (no buffer)
// with ERROR_INSUFFICIENT_BUFFER when there is anything to list; any other
// answer, including success with nothing to list, is kNoSizeReported.
enum class PortEnumResult {
    kOk,               // both calls succeeded; the records are in enumeration order
    kNoSizeReported,   // the size query did not fail with ERROR_INSUFFICIENT_BUFFER
    kFetchFailed,      // the size was reported but the fetch itself failed
};

// What the wizard needs of a level-2 printer record (PRINTER_INFO_2W).
struct PrinterRecord {
    core::u16 name;
    core::u16 port;
    core::u16 driver;
};

// Level-2 driver record (DRIVER_INFO_2W). File names without folder: the
// spooler looks them up in its driver directory.
struct DriverInfo {
    std::uint32_t version = 2;
    core::u16 name;
    core::u16 environment;  // "Windows NT x86" or "Windows x64"
    core::u16 driverPath;
    core::u16 dataFile;
    core::u16 configFile;
};

// What the installer fills of a level-2 printer record (PRINTER_INFO_2W).
// Fields not named here are null or 0; pSepFile and pParameters are "".
struct PrinterInfo {
    core::u16 printerName;
    core::u16 shareName;
    core::u16 portName;
    core::u16 driverName;
    core::u16 printProcessor;  // "WinPrint"
    core::u16 dataType;        // "RAW"
    std::uint32_t attributes = 0;
};

// Registry value types as SetPrinterDataW takes them.
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegDword = 4;

// A printer opened by AddPrinter; the handle is closed in the destructor.
class PrinterHandle {
public:
    virtual ~PrinterHandle() = default;
    // SetPrinterDataW with the exact type and bytes given. 0 on success,
    // else the Win32 error code.
    virtual std::uint32_t SetData(const core::u16& valueName, std::uint32_t type,
                                  const std::vector<std::uint8_t>& bytes) = 0;
    // The handle's value, for the log.
    virtual std::uintptr_t Value() const = 0;
};

// How AddPortExW went.
enum class AddPortExResult {
    kAdded,
    kFailed,       // the call failed; the error code is reported
    kUnavailable,  // winspool or its AddPortExW cannot be found
};

class Spooler {
public:
    virtual ~Spooler() = default;

    // Level-2 port records of the local machine. `ports` is cleared first and
    // holds records only for kOk.
    virtual PortEnumResult EnumeratePorts(std::vector<PortRecord>* ports) = 0;

    // Local printers and printer connections (PRINTER_ENUM_LOCAL |
    // PRINTER_ENUM_CONNECTIONS, level 2), in enumeration order. False when
    // the spooler cannot list them; `printers` is cleared first. An empty
    // list with true means there are no printers.
    virtual bool EnumerateLocalPrinters(std::vector<PrinterRecord>* printers) = 0;

    // AddPortW on the local machine: the monitor shows its own user interface
    // owned by `owner`. False when it fails or the user cancels.
    virtual bool AddPort(WindowHandle owner, const core::u16& monitorName) = 0;

    // DeletePortW / ConfigurePortW on the local machine. The monitor reports
    // its own errors through its user interface; the result is for callers
    // that want it.
    virtual bool DeletePort(WindowHandle owner, const core::u16& portName) = 0;
    virtual bool ConfigurePort(WindowHandle owner, const core::u16& portName) = 0;

    // GetPrinterDriverDirectoryW, local machine, the caller's default
    // environment, level 1. False with *error when it fails (also when the
    // directory does not fit MAX_PATH characters).
    virtual bool PrinterDriverDirectory(core::u16* directory, std::uint32_t* error) = 0;

    // AddMonitorW, level 2 (MONITOR_INFO_2W), local machine. 0 on success,
    // else the Win32 error code (3006 when the monitor is installed already).
    virtual std::uint32_t AddMonitor(const core::u16& name, const core::u16& environment,
                                     const core::u16& dllPath) = 0;

    // AddPortExW, level 1 (PORT_INFO_1W with `portName`), through the
    // monitor `monitorName`, local machine.
    virtual AddPortExResult AddPortEx(const core::u16& portName, const core::u16& monitorName,
                                      std::uint32_t* error) = 0;

    // AddPrinterDriverW, level 2, local machine. 0 on success, else the
    // Win32 error code.
    virtual std::uint32_t AddPrinterDriver(const DriverInfo& driver) = 0;

    // AddPrinterW, level 2, local machine. Null with *error on failure.
    virtual std::unique_ptr<PrinterHandle> AddPrinter(const PrinterInfo& printer, std::uint32_t* error) = 0;

    // Makes `printerName` the default printer through winspool's ordinal
    // 204 (SetDefaultPrinterW), imported by number only. False when it
    // failed or is unavailable.
    virtual bool SetDefaultPrinter(const core::u16& printerName) = 0;
};

}  // namespace os
