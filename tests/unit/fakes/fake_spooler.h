// In-memory print spooler for the unit tests.
//
// Ports and printers are plain lists the test sets up. AddPort plays the
// monitor's own "new port" wizard: it appends the next port queued with
// QueuePortForAdd (and succeeds) or fails when nothing is queued or a failure
// is set.
//
// The engine's side keeps what an installation adds: monitors, ports added
// through a monitor, drivers, printers with their level-2 record and their
// printer data, and the default printer. It answers as Windows does where
// that shows a fault: an installed monitor gives 3006, an unknown
// environment 1805, a printer whose driver is not installed 1797, whose port
// is not listed 1796, whose print processor is not "WinPrint" 1798, and a
// printer name that exists 1802. Every call can be made to fail with a
// given error code. Every call is recorded in order (CallRecorder).
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "fakes/call_recorder.h"
#include "os/spooler.h"

namespace fakes {

class FakeSpooler : public os::Spooler, public CallRecorder {
public:
    std::vector<os::PortRecord> ports;
    std::vector<os::PrinterRecord> printers;

    // Result of every port enumeration; the records are handed out only with kOk.
    os::PortEnumResult portResult = os::PortEnumResult::kOk;
    bool printersFail = false;
    bool addPortFails = false;

    void AddPortRecord(const core::u16& name, const core::u16& monitor,
                       const core::u16& description = core::u16());
    void AddTcpPort(const core::u16& name);  // monitor "tcpmon.dll"
    void AddPrinter(const core::u16& name);
    // The port that the next successful AddPort creates.
    void QueuePortForAdd(const os::PortRecord& port) { pendingAdds_.push_back(port); }

    struct Call {
        enum Kind { kAdd, kDelete, kConfigure } kind;
        os::WindowHandle owner;
        core::u16 argument;  // monitor name for kAdd, port name otherwise
    };
    std::vector<Call> calls;  // the port dialogs' calls only
    int portEnumerations = 0;
    int printerEnumerations = 0;

    // ------------------------------------------------- the engine's side

    core::u16 driverDirectory = u"C:\\windows\\system32\\spool\\drivers\\x64";
    std::uint32_t driverDirectoryError = 0;  // non-zero: the query fails with it

    struct Monitor {
        core::u16 name, environment, dllPath;
    };
    std::vector<Monitor> monitors;
    std::uint32_t addMonitorError = 0;  // non-zero: AddMonitor fails with it

    // AddPortEx: kAdded lists the port with the monitor's name; kFailed
    // reports addPortExError; kUnavailable reports nothing.
    os::AddPortExResult addPortExResult = os::AddPortExResult::kAdded;
    std::uint32_t addPortExError = 0;

    std::vector<os::DriverInfo> drivers;
    std::uint32_t addDriverError = 0;  // non-zero: AddPrinterDriver fails with it

    struct DataValue {
        core::u16 name;
        std::uint32_t type;
        std::vector<std::uint8_t> bytes;
    };
    struct AddedPrinter {
        os::PrinterInfo info;
        std::uintptr_t handle = 0;
        std::vector<DataValue> data;  // in the order written
        bool closed = false;          // the handle was closed
    };
    std::vector<AddedPrinter> added;
    std::uint32_t addPrinterError = 0;  // non-zero: AddPrinter fails with it
    std::uint32_t setDataError = 0;     // non-zero: every SetData fails with it
    std::uintptr_t firstHandle = 0x5A10;

    core::u16 defaultPrinter;
    bool setDefaultFails = false;

    void AddDriver(const core::u16& name, const core::u16& environment);
    void AddMonitorRecord(const core::u16& name);
    bool HasPort(const core::u16& name) const;

    os::PortEnumResult EnumeratePorts(std::vector<os::PortRecord>* out) override;
    bool EnumerateLocalPrinters(std::vector<os::PrinterRecord>* out) override;
    bool AddPort(os::WindowHandle owner, const core::u16& monitorName) override;
    bool DeletePort(os::WindowHandle owner, const core::u16& portName) override;
    bool ConfigurePort(os::WindowHandle owner, const core::u16& portName) override;
    bool PrinterDriverDirectory(core::u16* directory, std::uint32_t* error) override;
    std::uint32_t AddMonitor(const core::u16& name, const core::u16& environment,
                             const core::u16& dllPath) override;
    os::AddPortExResult AddPortEx(const core::u16& portName, const core::u16& monitorName,
                                  std::uint32_t* error) override;
    std::uint32_t AddPrinterDriver(const os::DriverInfo& driver) override;
    std::unique_ptr<os::PrinterHandle> AddPrinter(const os::PrinterInfo& printer, std::uint32_t* error) override;
    bool SetDefaultPrinter(const core::u16& printerName) override;

private:
    friend class FakePrinterHandle;
    std::deque<os::PortRecord> pendingAdds_;
};

}  // namespace fakes
