#include "fakes/fake_spooler.h"

#include <algorithm>

namespace fakes {

namespace {

constexpr std::uint32_t kUnknownPort = 1796;
constexpr std::uint32_t kUnknownDriver = 1797;
constexpr std::uint32_t kUnknownPrintProcessor = 1798;
constexpr std::uint32_t kPrinterExists = 1802;
constexpr std::uint32_t kInvalidEnvironment = 1805;
constexpr std::uint32_t kMonitorInstalled = 3006;

bool KnownEnvironment(const core::u16& environment) {
    return environment == u"Windows NT x86" || environment == u"Windows x64";
}

}  // namespace

class FakePrinterHandle : public os::PrinterHandle {
public:
    FakePrinterHandle(FakeSpooler& spooler, std::size_t index) : spooler_(spooler), index_(index) {}
    ~FakePrinterHandle() override {
        spooler_.added[index_].closed = true;
        spooler_.Record("ClosePrinter", spooler_.added[index_].info.printerName);
    }
    std::uint32_t SetData(const core::u16& valueName, std::uint32_t type,
                          const std::vector<std::uint8_t>& bytes) override {
        spooler_.Record("SetPrinterData", valueName);
        if (spooler_.setDataError != 0) return spooler_.setDataError;
        spooler_.added[index_].data.push_back({valueName, type, bytes});
        return 0;
    }
    std::uintptr_t Value() const override { return spooler_.added[index_].handle; }

private:
    FakeSpooler& spooler_;
    std::size_t index_;
};

void FakeSpooler::AddPortRecord(const core::u16& name, const core::u16& monitor,
                                const core::u16& description) {
    os::PortRecord r;
    r.name = name;
    r.monitor = monitor;
    r.description = description;
    r.type = 3;
    ports.push_back(r);
}

void FakeSpooler::AddTcpPort(const core::u16& name) {
    AddPortRecord(name, u"tcpmon.dll", u"Standard TCP/IP Port");
}

void FakeSpooler::AddPrinter(const core::u16& name) {
    os::PrinterRecord p;
    p.name = name;
    printers.push_back(p);
}

void FakeSpooler::AddDriver(const core::u16& name, const core::u16& environment) {
    os::DriverInfo d;
    d.name = name;
    d.environment = environment;
    drivers.push_back(d);
}

void FakeSpooler::AddMonitorRecord(const core::u16& name) { monitors.push_back({name, u"Windows NT x86", u""}); }

bool FakeSpooler::HasPort(const core::u16& name) const {
    return std::any_of(ports.begin(), ports.end(), [&](const os::PortRecord& p) { return p.name == name; });
}

os::PortEnumResult FakeSpooler::EnumeratePorts(std::vector<os::PortRecord>* out) {
    ++portEnumerations;
    Record("EnumPorts");
    out->clear();
    if (portResult == os::PortEnumResult::kOk) *out = ports;
    return portResult;
}

bool FakeSpooler::EnumerateLocalPrinters(std::vector<os::PrinterRecord>* out) {
    ++printerEnumerations;
    Record("EnumPrinters");
    out->clear();
    if (printersFail) return false;
    *out = printers;
    return true;
}

bool FakeSpooler::AddPort(os::WindowHandle owner, const core::u16& monitorName) {
    calls.push_back({Call::kAdd, owner, monitorName});
    Record("AddPort", monitorName);
    if (addPortFails || pendingAdds_.empty()) return false;
    ports.push_back(pendingAdds_.front());
    pendingAdds_.pop_front();
    return true;
}

bool FakeSpooler::DeletePort(os::WindowHandle owner, const core::u16& portName) {
    calls.push_back({Call::kDelete, owner, portName});
    Record("DeletePort", portName);
    const auto it = std::find_if(ports.begin(), ports.end(),
                                 [&](const os::PortRecord& p) { return p.name == portName; });
    if (it == ports.end()) return false;
    ports.erase(it);
    return true;
}

bool FakeSpooler::ConfigurePort(os::WindowHandle owner, const core::u16& portName) {
    calls.push_back({Call::kConfigure, owner, portName});
    Record("ConfigurePort", portName);
    return HasPort(portName);
}

bool FakeSpooler::PrinterDriverDirectory(core::u16* directory, std::uint32_t* error) {
    Record("GetPrinterDriverDirectory");
    if (driverDirectoryError) {
        *error = driverDirectoryError;
        return false;
    }
    *directory = driverDirectory;
    return true;
}

std::uint32_t FakeSpooler::AddMonitor(const core::u16& name, const core::u16& environment,
                                      const core::u16& dllPath) {
    Record("AddMonitor", name);
    if (addMonitorError != 0) return addMonitorError;
    if (!KnownEnvironment(environment)) return kInvalidEnvironment;
    for (const auto& m : monitors)
        if (core::EqualsNoCase(m.name, name)) return kMonitorInstalled;
    monitors.push_back({name, environment, dllPath});
    return 0;
}

os::AddPortExResult FakeSpooler::AddPortEx(const core::u16& portName, const core::u16& monitorName,
                                           std::uint32_t* error) {
    Record("AddPortEx", portName);
    if (addPortExResult == os::AddPortExResult::kFailed) *error = addPortExError;
    if (addPortExResult != os::AddPortExResult::kAdded) return addPortExResult;
    AddPortRecord(portName, monitorName);
    return os::AddPortExResult::kAdded;
}

std::uint32_t FakeSpooler::AddPrinterDriver(const os::DriverInfo& driver) {
    Record("AddPrinterDriver", driver.name);
    if (addDriverError != 0) return addDriverError;
    if (!KnownEnvironment(driver.environment)) return kInvalidEnvironment;
    const auto same = std::find_if(drivers.begin(), drivers.end(), [&](const os::DriverInfo& d) {
        return d.name == driver.name && d.environment == driver.environment;
    });
    if (same != drivers.end())
        *same = driver;
    else
        drivers.push_back(driver);
    return 0;
}

std::unique_ptr<os::PrinterHandle> FakeSpooler::AddPrinter(const os::PrinterInfo& printer, std::uint32_t* error) {
    Record("AddPrinter", printer.printerName);
    std::uint32_t code = addPrinterError;
    if (code == 0 && std::none_of(drivers.begin(), drivers.end(),
                                  [&](const os::DriverInfo& d) { return d.name == printer.driverName; }))
        code = kUnknownDriver;
    if (code == 0 && !HasPort(printer.portName)) code = kUnknownPort;
    if (code == 0 && !core::EqualsNoCase(printer.printProcessor, u"WinPrint")) code = kUnknownPrintProcessor;
    if (code == 0 && std::any_of(printers.begin(), printers.end(),
                                 [&](const os::PrinterRecord& p) { return p.name == printer.printerName; }))
        code = kPrinterExists;
    if (code != 0) {
        *error = code;
        return nullptr;
    }
    printers.push_back({printer.printerName, printer.portName, printer.driverName});
    AddedPrinter a;
    a.info = printer;
    a.handle = firstHandle + added.size();
    added.push_back(a);
    return std::make_unique<FakePrinterHandle>(*this, added.size() - 1);
}

bool FakeSpooler::SetDefaultPrinter(const core::u16& printerName) {
    Record("SetDefaultPrinter", printerName);
    if (setDefaultFails) return false;
    const bool known = std::any_of(printers.begin(), printers.end(),
                                   [&](const os::PrinterRecord& p) { return p.name == printerName; });
    if (!known) return false;
    defaultPrinter = printerName;
    return true;
}

}  // namespace fakes
