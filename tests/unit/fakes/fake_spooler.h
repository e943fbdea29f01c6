// In-memory print spooler for the unit tests.
//
// Ports and printers are plain lists the test sets up. AddPort plays the
// monitor's own "new port" wizard: it appends the next port queued with
// QueuePortForAdd (and succeeds) or fails when nothing is queued or a failure
// is set. Every call is recorded.
#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "os/spooler.h"

namespace fakes {

class FakeSpooler : public os::Spooler {
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
    std::vector<Call> calls;
    int portEnumerations = 0;
    int printerEnumerations = 0;

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

    // The engine's side of the spooler.
    core::u16 driverDirectory = u"C:\\windows\\system32\\spool\\drivers\\x64";
    std::uint32_t driverDirectoryError = 0;  // non-zero: the query fails with it

private:
    std::deque<os::PortRecord> pendingAdds_;
};

}  // namespace fakes
