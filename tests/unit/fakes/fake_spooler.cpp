#include "fakes/fake_spooler.h"

#include <algorithm>

namespace fakes {

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

os::PortEnumResult FakeSpooler::EnumeratePorts(std::vector<os::PortRecord>* out) {
    ++portEnumerations;
    out->clear();
    if (portResult == os::PortEnumResult::kOk) *out = ports;
    return portResult;
}

bool FakeSpooler::EnumerateLocalPrinters(std::vector<os::PrinterRecord>* out) {
    ++printerEnumerations;
    out->clear();
    if (printersFail) return false;
    *out = printers;
    return true;
}

bool FakeSpooler::AddPort(os::WindowHandle owner, const core::u16& monitorName) {
    calls.push_back({Call::kAdd, owner, monitorName});
    if (addPortFails || pendingAdds_.empty()) return false;
    ports.push_back(pendingAdds_.front());
    pendingAdds_.pop_front();
    return true;
}

bool FakeSpooler::DeletePort(os::WindowHandle owner, const core::u16& portName) {
    calls.push_back({Call::kDelete, owner, portName});
    const auto it = std::find_if(ports.begin(), ports.end(),
                                 [&](const os::PortRecord& p) { return p.name == portName; });
    if (it == ports.end()) return false;
    ports.erase(it);
    return true;
}

bool FakeSpooler::ConfigurePort(os::WindowHandle owner, const core::u16& portName) {
    calls.push_back({Call::kConfigure, owner, portName});
    return std::any_of(ports.begin(), ports.end(),
                       [&](const os::PortRecord& p) { return p.name == portName; });
}

bool FakeSpooler::PrinterDriverDirectory(core::u16* directory, std::uint32_t* error) {
    if (driverDirectoryError) {
        *error = driverDirectoryError;
        return false;
    }
    *directory = driverDirectory;
    return true;
}

std::uint32_t FakeSpooler::AddMonitor(const core::u16&, const core::u16&, const core::u16&) { return 0; }

os::AddPortExResult FakeSpooler::AddPortEx(const core::u16&, const core::u16&, std::uint32_t*) {
    return os::AddPortExResult::kAdded;
}

std::uint32_t FakeSpooler::AddPrinterDriver(const os::DriverInfo&) { return 0; }

std::unique_ptr<os::PrinterHandle> FakeSpooler::AddPrinter(const os::PrinterInfo&, std::uint32_t* error) {
    *error = 1;  // ERROR_INVALID_FUNCTION
    return nullptr;
}

bool FakeSpooler::SetDefaultPrinter(const core::u16&) { return true; }

}  // namespace fakes
