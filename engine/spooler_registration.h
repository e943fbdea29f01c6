// Spooler registration: driver files into the spooler's directories, the
// port monitor and its port (32-bit Windows), driver, printer and printer
// data.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/install_plan.h"

namespace engine {

// One printer data value as SetPrinterDataW receives it.
struct PrinterDataValue {
    core::u16 name;
    std::uint32_t type;
    std::vector<std::uint8_t> bytes;
};

// "DevicePath", "VidAndPid", "PrintWidth", "UserForm", "Language", in this
// order, with their exact types and sizes.
std::vector<PrinterDataValue> PrinterDataValues(const core::PrinterModel& model, int uiLanguage);

// 1 when `portName` equals (exactly, case counts) a port the spooler lists
// at level 2; 0 otherwise, also when the size query does not report one.
int PortExists(os::Spooler& spooler, const core::u16& portName);

// AddMonitor level 2 for "Windows NT x86": 1 on success or error 3006,
// else logs "AddPrinterMonitor32 = %d\r\n" and returns 0.
int RegisterPortMonitor(InstallServices& services, const core::u16& monitorName, const core::u16& monitorPath);

// AddPortEx of "<printer>-Port:" through the monitor: 1 on success; on
// failure logs "AddPortEx = %d PortName=%s\r\n" and returns 0; 0 without a
// log line when the call is unavailable.
int AddMonitorPort(InstallServices& services, const core::u16& portName, const core::u16& monitorName);

// The two variants. Both return 1 when the printer was added, else 0, and
// record the port, driver and printer names they used in *result
// (result->driverName is set by the caller; when it is empty it becomes
// "<printer> Driver").
//
// Files come only from the install folder and go only into the driver
// directory, its "3" folder and the system directory. A printer name that is
// not safe (IsSafePrinterName), an install folder or a driver or system
// directory whose paths would not fit 255 units, or a missing system
// directory ends the registration with 0 before anything is written there,
// with the log line "Printer name refused\r\n" or
// "GetSystemDirectory failed\r\n". The port list (observer.ChoosePort)
// cancelled also gives 0. The printer handle is closed after the printer
// data is written.
int RegisterPrinterX86(const InstallPlan& plan, InstallServices& services, InstallObserver& observer,
                       InstallResult* result);
int RegisterPrinterX64(const InstallPlan& plan, InstallServices& services, InstallObserver& observer,
                       InstallResult* result);

}  // namespace engine
