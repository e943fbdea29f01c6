#include "engine/usb_detect.h"

#include <iterator>
#include <memory>
#include <string>

#include "engine/install_log.h"

namespace engine {
namespace {

constexpr int kFirstScannedModel = 1;
constexpr int kLastScannedModel = 31;
constexpr char kUsbDeviceRoot[] = "SYSTEM\\CurrentControlSet\\Enum\\USB\\";
constexpr char kUsbPrintRoot[] = "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT";

std::string Narrow(core::u16view text) {
    std::string out;
    out.reserve(text.size());
    for (const char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

core::u16 Widen(std::string_view text) {
    core::u16 out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        out.push_back(b < 0x80 ? static_cast<char16_t>(b) : u'?');
    }
    return out;
}

bool IsKnownPort(const PortNameView& ports, core::u16view name) {
    for (std::size_t i = 0; i < ports.rows; ++i) {
        const core::u16view row = ports.Row(i);
        if (row.empty()) break;
        if (core::EqualsNoCase(row, name)) return true;
    }
    return false;
}

// Walks the sub-key names of `key` in registry order; names that did not fit
// are skipped. `visit` returns false to stop.
template <typename Visit>
void ForEachSubKey(os::RegistryKey& key, Visit visit) {
    std::string name;
    for (std::uint32_t index = 0;; ++index) {
        const os::SubKeyResult result = key.SubKeyName(index, &name);
        if (result == os::SubKeyResult::NoMore) return;
        if (result == os::SubKeyResult::TooLong) continue;
        if (!visit(name)) return;
    }
}

bool HasControlSubKey(os::RegistryKey& instance) {
    bool present = false;
    ForEachSubKey(instance, [&](const std::string& name) {
        present = core::EqualsNoCase(std::string_view(name), std::string_view("Control"));
        return !present;
    });
    return present;
}

enum class PathOutcome { NextPath, Found, Stop };

// One device path's walk through the device key and the USBPRINT classes.
PathOutcome SearchDevice(UsbDetectContext& ctx, const std::string& identifier, const std::string& instance,
                         bool& foundMark, char16_t* portOut, std::size_t portCapacity) {
    const auto device = ctx.registry.OpenForRead(kUsbDeviceRoot + identifier + "\\" + instance);
    if (!device) return PathOutcome::Stop;
    std::string prefix;
    // An empty prefix would match the instances of every USB printer.
    if (!device->ReadString("ParentIdPrefix", &prefix) || prefix.empty()) return PathOutcome::NextPath;

    const auto root = ctx.registry.OpenForRead(kUsbPrintRoot);
    if (!root) return PathOutcome::NextPath;

    std::string result;
    PathOutcome outcome = PathOutcome::NextPath;
    ForEachSubKey(*root, [&](const std::string& className) {
        const std::string classPath = std::string(kUsbPrintRoot) + "\\" + className;
        const auto classKey = ctx.registry.OpenForRead(classPath);
        if (!classKey) return true;
        ForEachSubKey(*classKey, [&](const std::string& instanceName) {
            // "<prefix>" + one separator + the port name; an instance without
            // a port name after the separator names no port.
            if (instanceName.size() <= prefix.size() + 1 ||
                instanceName.compare(0, prefix.size(), prefix) != 0) {
                return true;
            }
            const std::string port = instanceName.substr(prefix.size() + 1);
            if (!foundMark) {
                result = port;
                const core::u16 wide = Widen(port);
                if (IsKnownPort(ctx.ports, wide)) {
                    core::CopyTruncated(portOut, portCapacity, wide);
                    foundMark = true;
                }
            }
            const auto instanceKey = ctx.registry.OpenForRead(classPath + "\\" + instanceName);
            if (!instanceKey) return true;
            if (HasControlSubKey(*instanceKey)) {
                result = port;
                core::CopyTruncated(portOut, portCapacity, Widen(port));
                outcome = PathOutcome::Found;
                return false;
            }
            return true;
        });
        if (outcome == PathOutcome::Found) return false;
        if (!result.empty()) {
            outcome = PathOutcome::Found;
            return false;
        }
        return true;
    });
    return outcome;
}

}  // namespace

core::u16 DeviceIdentifier(core::u16view devicePath) {
    if (devicePath.size() < kIdentifierOffset + kIdentifierChars) return {};
    return core::u16(devicePath.substr(kIdentifierOffset, kIdentifierChars));
}

int ScanConnectedPrinters(os::DeviceSetup& devices, const core::ModelTable& models,
                          ConnectedPrinterList& connected, UsbPathBuffer& paths) {
    connected.fill(ConnectedPrinter{});
    std::size_t count = 0;
    for (const core::u16& listed : devices.PresentUsbPrinterPaths()) {
        if (count == kMaxUsbMatches) break;
        // A path is judged on what is stored of it: its text up to the first
        // NUL, so an entry is never recorded for an identifier it lacks.
        const core::u16view path = core::FieldView(listed.data(), listed.size());
        const core::u16 identifier = DeviceIdentifier(path);
        if (identifier.empty()) continue;
        for (int r = kFirstScannedModel; r <= kLastScannedModel; ++r) {
            const core::PrinterModel& model = models[static_cast<std::size_t>(r)];
            if (!core::EqualsNoCase(core::u16view(identifier), core::FieldView(model.VidPid))) continue;
            ConnectedPrinter& entry = connected[count];
            core::CopyTruncated(entry.DevicePath, path);
            core::CopyTruncated(entry.ModelName, core::FieldView(model.ModelName));
            core::CopyTruncated(paths[count].data(), paths[count].size(), path);
            ++count;
            break;
        }
    }
    return static_cast<int>(count);
}

int FindUsbPrinterPort(UsbDetectContext& ctx, core::u16view vidPid, char16_t* portOut,
                       std::size_t portCapacity) {
    std::string identifier = Narrow(vidPid);
    for (char& c : identifier) c = core::AsciiLower(c);
    if (identifier.empty()) return 0;

    const auto paths = std::make_unique<UsbPathBuffer>();
    const int count = ScanConnectedPrinters(ctx.devices, ctx.models, ctx.connected, *paths);
    bool foundMark = false;
    for (int i = 0; i < count; ++i) {
        const std::array<char16_t, kUsbPathChars>& entry = (*paths)[static_cast<std::size_t>(i)];
        const std::string path = Narrow(core::FieldView(entry.data(), entry.size()));
        const std::size_t at = path.find(identifier);
        if (at == std::string::npos) continue;
        const std::size_t start = at + identifier.size() + 1;  // past the '#'
        if (start > path.size()) continue;
        const std::size_t end = path.find('#', start);
        if (end == std::string::npos) continue;
        const std::string instance = path.substr(start, end - start);

        WriteInstallLog(ctx.log, "**** vid&pid=%s subkey=%s\r\n", identifier.c_str(), instance.c_str());
        switch (SearchDevice(ctx, identifier, instance, foundMark, portOut, portCapacity)) {
            case PathOutcome::Found: return 1;
            case PathOutcome::Stop: return 0;
            case PathOutcome::NextPath: break;
        }
    }
    return 0;
}

core::u16 DetectConnectedModel(UsbDetectContext& ctx) {
    {
        const auto paths = std::make_unique<UsbPathBuffer>();
        ScanConnectedPrinters(ctx.devices, ctx.models, ctx.connected, *paths);
    }
    const core::u16 identifier = DeviceIdentifier(core::FieldView(ctx.connected[0].DevicePath));
    if (identifier.empty()) return {};
    for (int r = 1; r < core::kModelTableSize; ++r) {
        const core::PrinterModel& model = ctx.models[static_cast<std::size_t>(r)];
        const core::u16view vidPid = core::FieldView(model.VidPid);
        if (!core::EqualsNoCase(vidPid, core::u16view(identifier))) continue;
        char16_t port[260] = {};
        FindUsbPrinterPort(ctx, vidPid, port, std::size(port));
        if (port[0] != u'\0') return core::u16(core::FieldView(model.ModelName));
    }
    return {};
}

int FindModelBoxEntry(const std::vector<core::u16>& entries, core::u16view name) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == name) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace engine
