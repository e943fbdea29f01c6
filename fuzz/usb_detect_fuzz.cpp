// USB printer detection over a device list and a device registry decoded
// from the input.
//
// The input describes the catalogue's models, the present USB printer
// interfaces (device paths, well-formed or not), the device keys with their
// ParentIdPrefix, the USBPRINT classes and instances (with or without a
// Control sub-key, some that cannot be opened), the spooler's port snapshot
// (rows that fill their whole 255 units included) and the size of the
// caller's port buffer. Checked: at most 32 matches, each entry terminated
// and naming a model of records 1 to 31; the port buffer never written past
// its size (it is allocated to exactly that size) and always terminated
// when written, with text that came through the 8-bit names; log entries of
// at most 1023 characters; the preselected model one whose identifier is
// the first connected printer's.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/usb_detect.h"
#include "fakes/fake_device_setup.h"
#include "fakes/fake_registry.h"
#include "fuzz/fuzz_support.h"

namespace {

using core::u16;

constexpr char kEnumUsb[] = "SYSTEM\\CurrentControlSet\\Enum\\USB\\";
constexpr char kUsbPrint[] = "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\";
constexpr std::size_t kSnapshotRows = 512;

class CheckingLog : public os::LogSink {
public:
    bool AppendToLog(const u16&, std::string_view bytes) override {
        FUZZ_CHECK(bytes.size() <= 1023);
        ++entries;
        return true;
    }
    int entries = 0;
};

std::string Ascii(FuzzedDataProvider& in, std::size_t maxChars) {
    std::string s = in.ConsumeRandomLengthString(maxChars);
    return s;
}

u16 Wide(const std::string& s) {
    u16 w;
    for (const char c : s) w.push_back(static_cast<unsigned char>(c));
    return w;
}

std::string RandomCase(FuzzedDataProvider& in, std::string s) {
    for (char& c : s)
        if (in.ConsumeBool() && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

template <std::size_t N>
void CheckTerminated(const char16_t (&field)[N]) {
    FUZZ_CHECK(core::BoundedLength(field, N) < N);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);

    // A few identifiers that models, paths and keys share.
    std::vector<std::string> ids;
    const int idCount = in.ConsumeIntegralInRange(1, 4);
    for (int i = 0; i < idCount; ++i) {
        char id[18];
        std::snprintf(id, sizeof id, "vid_%04x&pid_%04x", in.ConsumeIntegral<std::uint16_t>(),
                      in.ConsumeIntegral<std::uint16_t>());
        ids.push_back(in.ConsumeBool() ? std::string(id) : Ascii(in, 24));
    }
    const auto pickId = [&]() { return ids[in.ConsumeIntegralInRange<std::size_t>(0, ids.size() - 1)]; };

    // The large tables are made once and cleared for every input.
    static const auto models = std::make_unique<core::ModelTable>();
    static const auto connected = std::make_unique<engine::ConnectedPrinterList>();
    static const auto paths = std::make_unique<engine::UsbPathBuffer>();
    static const auto snapshot = std::make_unique<char16_t[][engine::kPortNameChars]>(kSnapshotRows);
    models->fill(core::PrinterModel{});
    const int modelCount = in.ConsumeIntegralInRange(0, 40);
    for (int r = 1; r <= modelCount; ++r) {
        core::PrinterModel& m = (*models)[static_cast<std::size_t>(r)];
        core::CopyTruncated(m.ModelName, Wide(Ascii(in, 80)));
        core::CopyTruncated(m.VidPid, Wide(in.ConsumeBool() ? RandomCase(in, pickId()) : Ascii(in, 80)));
    }

    fakes::FakeDeviceSetup devices;
    fakes::FakeRegistry registry;
    const int pathCount = in.ConsumeIntegralInRange(0, 40);
    for (int p = 0; p < pathCount; ++p) {
        if (in.ConsumeBool()) {
            devices.paths.push_back(Wide(Ascii(in, 300)));
            continue;
        }
        const std::string id = pickId();
        const std::string instance = Ascii(in, 40);
        devices.paths.push_back(Wide("\\\\?\\usb#" + RandomCase(in, id) + "#" + instance +
                                     (in.ConsumeBool() ? "#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}" : "")));
        const std::string deviceKey = kEnumUsb + id + "\\" + instance;
        if (in.ConsumeBool()) registry.SetValue(deviceKey, "ParentIdPrefix", Ascii(in, 270));
        else registry.AddKey(deviceKey);
        if (in.ConsumeIntegralInRange(0, 7) == 0) registry.FailOpen(deviceKey);
    }
    registry.AddKey("SYSTEM\\CurrentControlSet\\Enum\\USBPRINT");
    const int instanceCount = in.ConsumeIntegralInRange(0, 24);
    for (int i = 0; i < instanceCount; ++i) {
        const std::string cls = in.ConsumeBool() ? "LabelClass" : Ascii(in, 270);
        const std::string key = kUsbPrint + cls + "\\" + Ascii(in, 270);
        registry.AddKey(key);
        if (in.ConsumeBool()) registry.AddKey(key + "\\" + (in.ConsumeBool() ? "Control" : Ascii(in, 12)));
        if (in.ConsumeIntegralInRange(0, 7) == 0) registry.FailOpen(key);
        if (in.ConsumeIntegralInRange(0, 15) == 0) registry.FailOpen(kUsbPrint + cls);
    }

    for (std::size_t i = 0; i < kSnapshotRows; ++i) snapshot[i][0] = u'\0';
    const std::size_t rows = in.ConsumeIntegralInRange<std::size_t>(0, kSnapshotRows);
    for (std::size_t i = 0; i < rows; ++i) {
        const u16 name = Wide(Ascii(in, 300));
        if (name.size() >= engine::kPortNameChars) {
            for (std::size_t k = 0; k < engine::kPortNameChars; ++k) snapshot[i][k] = name[k];  // no terminator
        } else {
            core::CopyTruncated(snapshot[i], engine::kPortNameChars, name);
        }
    }
    const std::size_t capacity = in.ConsumeIntegralInRange<std::size_t>(0, 300);

    CheckingLog log;
    engine::UsbDetectContext context{devices, registry, log, *models, *connected, {&snapshot[0][0], kSnapshotRows}};

    for (auto& row : *paths) row.fill(u'#');
    const int matches = engine::ScanConnectedPrinters(devices, *models, *connected, *paths);
    FUZZ_CHECK(matches >= 0 && matches <= static_cast<int>(engine::kMaxUsbMatches));
    for (std::size_t i = 0; i < engine::kMaxUsbMatches; ++i) {
        const engine::ConnectedPrinter& entry = (*connected)[i];
        CheckTerminated(entry.DevicePath);
        CheckTerminated(entry.ModelName);
        if (i >= static_cast<std::size_t>(matches)) {
            FUZZ_CHECK(entry.DevicePath[0] == 0);
            continue;
        }
        const u16 id = engine::DeviceIdentifier(core::FieldView(entry.DevicePath));
        bool named = false;
        for (int r = 1; r <= 31 && !named; ++r) {
            const core::PrinterModel& m = (*models)[static_cast<std::size_t>(r)];
            named = core::EqualsNoCase(core::u16view(id), core::FieldView(m.VidPid)) &&
                    core::FieldView(entry.ModelName) == core::FieldView(m.ModelName).substr(0, 33);
        }
        FUZZ_CHECK(named);
        FUZZ_CHECK(core::BoundedLength((*paths)[i].data(), engine::kUsbPathChars) < engine::kUsbPathChars);
    }

    // The port lookup for every model's identifier and one from the input.
    std::vector<u16> wanted;
    for (int r = 1; r <= modelCount; ++r) wanted.push_back(u16(core::FieldView((*models)[static_cast<std::size_t>(r)].VidPid)));
    wanted.push_back(Wide(Ascii(in, 30)));
    for (const u16& vidPid : wanted) {
        std::unique_ptr<char16_t[]> port(capacity ? new char16_t[capacity] : nullptr);
        for (std::size_t k = 0; k < capacity; ++k) port[k] = u'#';
        const int found = engine::FindUsbPrinterPort(context, vidPid, port.get(), capacity);
        FUZZ_CHECK(found == 0 || found == 1);
        const std::size_t length = core::BoundedLength(port.get(), capacity);
        if (length == capacity) {
            // Not written at all: still the poison.
            for (std::size_t k = 0; k < capacity; ++k) FUZZ_CHECK(port[k] == u'#');
            continue;
        }
        for (std::size_t k = 0; k < length; ++k) FUZZ_CHECK(port[k] > 0 && port[k] < 0x80);
    }

    const u16 model = engine::DetectConnectedModel(context);
    if (!model.empty()) {
        const u16 first = engine::DeviceIdentifier(core::FieldView((*connected)[0].DevicePath));
        bool known = false;
        for (int r = 1; r < core::kModelTableSize && !known; ++r) {
            const core::PrinterModel& m = (*models)[static_cast<std::size_t>(r)];
            known = core::FieldView(m.ModelName) == model && core::EqualsNoCase(core::FieldView(m.VidPid), first);
        }
        FUZZ_CHECK(known);
    }
    return 0;
}
