// The print spooler as the uninstaller sees it: what is installed, and the
// calls that remove printers, drivers, ports and monitors.
//
// Every name and path is UTF-16. The Win32 implementation loads winspool.drv
// from the system folder and works on the local machine; a call that cannot
// be made because winspool or its entry point is missing fails with
// ERROR_CALL_NOT_IMPLEMENTED (120). Results are 0 or the Win32 error code read
// right after the call that failed.
#pragma once

#include <cstdint>
#include <vector>

#include "core/text.h"

namespace os {

// Level-2 printer record (PRINTER_INFO_2W): the fields removal decides on.
struct InstalledPrinter {
    core::u16 name;
    core::u16 driver;
    core::u16 port;  // may name several ports, separated by commas
};

// Level-3 driver record (DRIVER_INFO_3W). The spooler reports full paths of
// the files it keeps for the driver (in "<driver directory>\3" for version-3
// drivers).
struct InstalledDriver {
    core::u16 name;
    core::u16 environment;
    core::u16 driverPath;
    core::u16 dataFile;
    core::u16 configFile;
    core::u16 helpFile;
    std::vector<core::u16> dependentFiles;
};

// Level-2 port record (PORT_INFO_2W).
struct InstalledPort {
    core::u16 name;
    core::u16 monitor;
};

// Level-2 monitor record (MONITOR_INFO_2W).
struct InstalledMonitor {
    core::u16 name;
    core::u16 environment;
    core::u16 dllName;  // as registered: a bare file name or a full path
};

// Spooler errors that removal tells apart.
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorCallNotImplemented = 120;
constexpr std::uint32_t kErrorUnknownPrinterDriver = 1797;
constexpr std::uint32_t kErrorInvalidPrinterName = 1801;
constexpr std::uint32_t kErrorUnknownPort = 1796;
constexpr std::uint32_t kErrorPrinterDriverInUse = 3001;
constexpr std::uint32_t kErrorUnknownPrintMonitor = 3000;
constexpr std::uint32_t kErrorPrintMonitorInUse = 3008;

// DeletePrinterDriverExW flags.
constexpr std::uint32_t kDeleteUnusedFiles = 0x1;  // DPD_DELETE_UNUSED_FILES
constexpr std::uint32_t kDeleteAllFiles = 0x4;     // DPD_DELETE_ALL_FILES

class SpoolerAdmin {
public:
    virtual ~SpoolerAdmin() = default;

    // Local printers (EnumPrintersW, PRINTER_ENUM_LOCAL, level 2). False
    // when the spooler cannot list them; the list is cleared first.
    virtual bool Printers(std::vector<InstalledPrinter>* printers) = 0;

    // Installed drivers of `environment` (EnumPrinterDriversW, level 3).
    virtual bool Drivers(const core::u16& environment, std::vector<InstalledDriver>* drivers) = 0;

    // Ports (EnumPortsW, level 2) and monitors (EnumMonitorsW, level 2).
    virtual bool Ports(std::vector<InstalledPort>* ports) = 0;
    virtual bool Monitors(std::vector<InstalledMonitor>* monitors) = 0;

    // GetPrinterDriverDirectoryW, level 1; an empty environment asks for the
    // caller's default, as the installer does. Empty on failure.
    virtual core::u16 DriverDirectory(const core::u16& environment) = 0;

    // Opens the printer with PRINTER_ALL_ACCESS, purges its jobs
    // (SetPrinterW with PRINTER_CONTROL_PURGE), deletes it and closes the
    // handle. 1801 (or 2) when there is no such printer.
    virtual std::uint32_t DeletePrinter(const core::u16& name) = 0;

    // DeletePrinterDriverExW with `flags`; 1797 when there is no such driver,
    // 3001 while a printer uses it or the spooler holds it.
    virtual std::uint32_t DeleteDriver(const core::u16& name, const core::u16& environment,
                                       std::uint32_t flags) = 0;

    // DeletePortW without an owner window, through the port's monitor.
    virtual std::uint32_t DeletePort(const core::u16& name) = 0;

    // DeleteMonitorW; 3000 when there is no such monitor.
    virtual std::uint32_t DeleteMonitor(const core::u16& name, const core::u16& environment) = 0;
};

}  // namespace os
