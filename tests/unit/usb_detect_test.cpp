#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/usb_detect.h"
#include "fakes/fake_device_setup.h"
#include "fakes/fake_log_sink.h"
#include "fakes/fake_registry.h"

namespace {

using core::u16;

constexpr char kEnumUsb[] = "SYSTEM\\CurrentControlSet\\Enum\\USB\\";
constexpr char kUsbPrint[] = "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\";
constexpr char16_t kLog[] = u"C:\\InstallPrinter.txt";

u16 DevicePath(const std::string& vidPid, const std::string& instance) {
    return core::Utf8ToUtf16("\\\\?\\usb#" + vidPid + "#" + instance +
                             "#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}");
}

class UsbDetect : public ::testing::Test {
protected:
    UsbDetect()
        : models(std::make_unique<core::ModelTable>()),
          connected(std::make_unique<engine::ConnectedPrinterList>()),
          paths(std::make_unique<engine::UsbPathBuffer>()),
          snapshot(std::make_unique<char16_t[][engine::kPortNameChars]>(512)) {
        for (std::size_t i = 0; i < 512; ++i) snapshot[i][0] = u'\0';
    }

    void Model(int record, const char16_t* name, const char16_t* vidPid) {
        core::CopyTruncated((*models)[record].ModelName, name);
        core::CopyTruncated((*models)[record].VidPid, vidPid);
    }
    void Port(std::size_t row, const char16_t* name) {
        core::CopyTruncated(snapshot[row], engine::kPortNameChars, name);
    }
    // A present USB printer: device key with its prefix, and a USBPRINT
    // instance "<prefix>&<port>" with a Control sub-key when `present`.
    void Printer(const std::string& vidPid, const std::string& instance, const std::string& prefix,
                 const std::string& port, bool present = true, const std::string& cls = "LabelClass") {
        devices.paths.push_back(DevicePath(vidPid, instance));
        registry.SetValue(kEnumUsb + vidPid + "\\" + instance, "ParentIdPrefix", prefix);
        const std::string key = kUsbPrint + cls + "\\" + prefix + "&" + port;
        registry.AddKey(key);
        if (present) registry.AddKey(key + "\\Control");
    }
    engine::UsbDetectContext Context() {
        return {devices, registry, log, *models, *connected, {&snapshot[0][0], 512}};
    }
    int Find(const char16_t* vidPid, char16_t* out, std::size_t capacity) {
        auto ctx = Context();
        return engine::FindUsbPrinterPort(ctx, vidPid, out, capacity);
    }

    fakes::FakeDeviceSetup devices;
    fakes::FakeRegistry registry;
    fakes::FakeLogSink log;
    std::unique_ptr<core::ModelTable> models;
    std::unique_ptr<engine::ConnectedPrinterList> connected;
    std::unique_ptr<engine::UsbPathBuffer> paths;
    std::unique_ptr<char16_t[][engine::kPortNameChars]> snapshot;
};

// ---- ScanConnectedPrinters --------------------------------------------------

TEST_F(UsbDetect, UpperCaseVidPidMatchesALowerCasePath) {
    Model(1, u"LP-200", u"VID_ABCD&PID_00EF");
    devices.paths = {DevicePath("vid_abcd&pid_00ef", "5&2a")};
    EXPECT_EQ(engine::ScanConnectedPrinters(devices, *models, *connected, *paths), 1);
    EXPECT_EQ(core::FieldView((*connected)[0].DevicePath), devices.paths[0]);
    EXPECT_EQ(core::FieldView((*connected)[0].ModelName), u"LP-200");
    EXPECT_EQ(core::FieldView((*paths)[0].data(), engine::kUsbPathChars), devices.paths[0]);
}

TEST_F(UsbDetect, TwoPrintersKeepTheSystemsOrder) {
    Model(1, u"First", u"vid_1111&pid_0001");
    Model(2, u"Second", u"vid_2222&pid_0002");
    devices.paths = {DevicePath("vid_2222&pid_0002", "b"), DevicePath("vid_1111&pid_0001", "a")};
    EXPECT_EQ(engine::ScanConnectedPrinters(devices, *models, *connected, *paths), 2);
    EXPECT_EQ(core::FieldView((*connected)[0].ModelName), u"Second");
    EXPECT_EQ(core::FieldView((*connected)[1].ModelName), u"First");
    EXPECT_EQ(core::FieldView((*paths)[1].data(), engine::kUsbPathChars), devices.paths[1]);
}

TEST_F(UsbDetect, OnlyRecords1To31TakePart) {
    struct Case { int record; int count; };
    for (const Case c : {Case{1, 1}, Case{30, 1}, Case{31, 1}, Case{32, 0}, Case{254, 0}}) {
        SCOPED_TRACE(c.record);
        models = std::make_unique<core::ModelTable>();
        Model(c.record, u"M", u"vid_abcd&pid_0001");
        devices.paths = {DevicePath("vid_abcd&pid_0001", "x")};
        EXPECT_EQ(engine::ScanConnectedPrinters(devices, *models, *connected, *paths), c.count);
    }
}

TEST_F(UsbDetect, FirstEqualModelWins) {
    Model(3, u"Three", u"vid_abcd&pid_0001");
    Model(5, u"Five", u"VID_ABCD&PID_0001");
    devices.paths = {DevicePath("vid_abcd&pid_0001", "x")};
    EXPECT_EQ(engine::ScanConnectedPrinters(devices, *models, *connected, *paths), 1);
    EXPECT_EQ(core::FieldView((*connected)[0].ModelName), u"Three");
}

TEST_F(UsbDetect, AtMost32PrintersAreRecorded) {
    Model(1, u"M", u"vid_abcd&pid_0001");
    for (const std::size_t n : {31u, 32u, 33u, 40u}) {
        SCOPED_TRACE(n);
        devices.paths.clear();
        for (std::size_t i = 0; i < n; ++i) devices.paths.push_back(DevicePath("vid_abcd&pid_0001", "s" + std::to_string(i)));
        const int expected = n < 32 ? static_cast<int>(n) : 32;
        EXPECT_EQ(engine::ScanConnectedPrinters(devices, *models, *connected, *paths), expected);
        EXPECT_EQ(core::FieldView((*connected)[expected - 1].DevicePath), devices.paths[expected - 1]);
    }
}

TEST_F(UsbDetect, LongPathsAndNamesAreCutToTheirEntries) {
    Model(1, u"A model name of forty characters long..", u"vid_abcd&pid_0001");
    const u16 path = DevicePath("vid_abcd&pid_0001", std::string(300, 's'));
    devices.paths = {path};
    for (auto& row : *paths) row.fill(u'#');
    EXPECT_EQ(engine::ScanConnectedPrinters(devices, *models, *connected, *paths), 1);
    EXPECT_EQ(core::FieldView((*connected)[0].DevicePath), path.substr(0, 127));
    EXPECT_EQ(core::FieldView((*connected)[0].ModelName), u"A model name of forty characters ");
    EXPECT_EQ(core::FieldView((*paths)[0].data(), engine::kUsbPathChars), path.substr(0, 255));
    EXPECT_EQ((*paths)[1][0], u'#');  // entries after the matches are not touched
}

TEST_F(UsbDetect, ShortPathsMatchNothing) {
    Model(1, u"M", u"vid_abcd&pid_0001");
    Model(2, u"Short", u"vid_abcd&pid_000");
    // 24 characters: one short of a whole identifier; 25: exactly one.
    devices.paths = {u"\\\\?\\usb#vid_abcd&pid_000", u"", u"\\\\?\\", u"\\\\?\\usb#vid_abcd&pid_0001"};
    EXPECT_EQ(engine::ScanConnectedPrinters(devices, *models, *connected, *paths), 1);
    EXPECT_EQ(core::FieldView((*connected)[0].ModelName), u"M");
}

// A listed path holding a NUL is judged on its text before the NUL, the text
// that its entry keeps (the input a long fuzz run stopped on had an
// identifier only behind the NUL and recorded an entry without one).
TEST_F(UsbDetect, PathsAreJudgedOnTheirTextBeforeANul) {
    Model(1, u"M", u"vid_abcd&pid_0001");
    const u16 whole = DevicePath("vid_abcd&pid_0001", "inst");
    struct Case { std::size_t nulAt; int count; };
    for (const Case c : {Case{1, 0}, Case{8, 0}, Case{24, 0}, Case{25, 1}, Case{31, 1}}) {
        SCOPED_TRACE(c.nulAt);
        u16 listed = whole;
        listed[c.nulAt] = u'\0';
        devices.paths = {listed};
        for (auto& row : *paths) row.fill(u'#');
        EXPECT_EQ(engine::ScanConnectedPrinters(devices, *models, *connected, *paths), c.count);
        const u16 kept = whole.substr(0, c.count ? c.nulAt : 0);
        EXPECT_EQ(core::FieldView((*connected)[0].DevicePath), kept);
        if (c.count) {
            EXPECT_EQ(core::FieldView((*paths)[0].data(), engine::kUsbPathChars), kept);
        }
    }
}

TEST_F(UsbDetect, EveryScanStartsTheListAfresh) {
    Model(1, u"M", u"vid_abcd&pid_0001");
    devices.paths = {DevicePath("vid_abcd&pid_0001", "a"), DevicePath("vid_abcd&pid_0001", "b")};
    EXPECT_EQ(engine::ScanConnectedPrinters(devices, *models, *connected, *paths), 2);
    devices.paths.clear();
    EXPECT_EQ(engine::ScanConnectedPrinters(devices, *models, *connected, *paths), 0);
    EXPECT_TRUE(core::FieldView((*connected)[0].DevicePath).empty());
    EXPECT_TRUE(core::FieldView((*connected)[1].ModelName).empty());
}

// ---- FindUsbPrinterPort -----------------------------------------------------

TEST_F(UsbDetect, PresentInstanceYieldsItsPort) {
    Model(1, u"M", u"VID_ABCD&PID_0001");
    Printer("vid_abcd&pid_0001", "SER123", "7&1a2b3c&0", "USB003");
    char16_t port[260];
    std::fill(std::begin(port), std::end(port), u'#');
    EXPECT_EQ(Find(u"VID_ABCD&PID_0001", port, 260), 1);
    EXPECT_EQ(core::FieldView(port), u"USB003");
    EXPECT_EQ(log.Contents(kLog), "**** vid&pid=vid_abcd&pid_0001 subkey=SER123\r\n");
    EXPECT_EQ(port[7], u'#');
}

TEST_F(UsbDetect, PortOutIsBoundedByItsCapacity) {
    Model(1, u"M", u"vid_abcd&pid_0001");
    Printer("vid_abcd&pid_0001", "s", "7&1a", "USB003");
    struct Case { std::size_t capacity; const char16_t* port; };
    for (const Case c : {Case{6, u"USB00"}, Case{7, u"USB003"}, Case{8, u"USB003"}}) {
        SCOPED_TRACE(c.capacity);
        char16_t port[16];
        std::fill(std::begin(port), std::end(port), u'#');
        EXPECT_EQ(Find(u"vid_abcd&pid_0001", port, c.capacity), 1);
        EXPECT_EQ(core::FieldView(port, c.capacity), c.port);
        EXPECT_EQ(port[c.capacity], u'#');
    }
}

TEST_F(UsbDetect, AbsentInstanceAmongKnownPortsIsReported) {
    Model(1, u"M", u"vid_abcd&pid_0001");
    Printer("vid_abcd&pid_0001", "s", "7&1a", "USB002", /*present=*/false);
    Port(0, u"COM1:");
    Port(1, u"usb002");  // compared without case; the registry's spelling is kept
    char16_t port[260] = u"poison";
    EXPECT_EQ(Find(u"vid_abcd&pid_0001", port, 260), 1);
    EXPECT_EQ(core::FieldView(port), u"USB002");
}

TEST_F(UsbDetect, FirstKnownAbsentPortIsKept) {
    Model(1, u"M", u"vid_abcd&pid_0001");
    Printer("vid_abcd&pid_0001", "s", "7&1a", "USB001", /*present=*/false);
    registry.AddKey(std::string(kUsbPrint) + "LabelClass\\7&1a&USB002");
    Port(0, u"USB002");
    Port(1, u"USB001");
    char16_t port[260] = u"poison";
    EXPECT_EQ(Find(u"vid_abcd&pid_0001", port, 260), 1);
    EXPECT_EQ(core::FieldView(port), u"USB001");
}

TEST_F(UsbDetect, UnknownAbsentPortReturns1WithoutWriting) {
    Model(1, u"M", u"vid_abcd&pid_0001");
    Printer("vid_abcd&pid_0001", "s", "7&1a", "USB009", /*present=*/false);
    Port(0, u"COM1:");
    Port(2, u"USB009");  // after the first empty entry: not looked at
    char16_t port[260] = u"poison";
    EXPECT_EQ(Find(u"vid_abcd&pid_0001", port, 260), 1);
    EXPECT_EQ(core::FieldView(port), u"poison");
}

TEST_F(UsbDetect, NothingConnectedReturns0) {
    Model(1, u"M", u"vid_abcd&pid_0001");
    char16_t port[260] = u"poison";
    EXPECT_EQ(Find(u"vid_abcd&pid_0001", port, 260), 0);
    EXPECT_EQ(core::FieldView(port), u"poison");
    EXPECT_EQ(log.appends, 0);
}

TEST_F(UsbDetect, PathWithoutFurtherHashIsSkipped) {
    Model(1, u"M", u"vid_abcd&pid_0001");
    registry.SetValue(std::string(kEnumUsb) + "vid_abcd&pid_0001\\serial", "ParentIdPrefix", "7&1a");
    registry.AddKey(std::string(kUsbPrint) + "C\\7&1a&USB001\\Control");
    for (const char16_t* path : {u"\\\\?\\usb#vid_abcd&pid_0001#serial", u"\\\\?\\usb#vid_abcd&pid_0001#",
                                 u"\\\\?\\usb#vid_abcd&pid_0001"}) {
        SCOPED_TRACE(core::Utf16ToUtf8(path));
        devices.paths = {path};
        char16_t port[260] = u"poison";
        EXPECT_EQ(Find(u"vid_abcd&pid_0001", port, 260), 0);
        EXPECT_EQ(core::FieldView(port), u"poison");
        EXPECT_EQ(log.appends, 0);
        EXPECT_TRUE(registry.opened.empty());
    }
}

TEST_F(UsbDetect, DeviceKeyOpenFailureEndsTheSearch) {
    Model(1, u"M", u"vid_abcd&pid_0001");
    devices.paths.push_back(DevicePath("vid_abcd&pid_0001", "gone"));
    Printer("vid_abcd&pid_0001", "second", "7&2b", "USB002");
    char16_t port[260] = u"poison";
    EXPECT_EQ(Find(u"vid_abcd&pid_0001", port, 260), 0);
    EXPECT_EQ(core::FieldView(port), u"poison");
    EXPECT_EQ(registry.opened, std::vector<std::string>{std::string(kEnumUsb) + "vid_abcd&pid_0001\\gone"});
    EXPECT_EQ(log.Contents(kLog), "**** vid&pid=vid_abcd&pid_0001 subkey=gone\r\n");
}

TEST_F(UsbDetect, UnreadablePrefixGoesToTheNextPath) {
    Model(1, u"M", u"vid_abcd&pid_0001");
    struct Case { const char* name; std::string prefix; };
    const Case cases[] = {{"missing", ""}, {"too long", std::string(256, 'p')}, {"empty", "-"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        registry = fakes::FakeRegistry();
        devices.paths = {DevicePath("vid_abcd&pid_0001", "first")};
        const std::string firstKey = std::string(kEnumUsb) + "vid_abcd&pid_0001\\first";
        registry.AddKey(firstKey);
        if (c.prefix == "-") registry.SetValue(firstKey, "ParentIdPrefix", "");
        else if (!c.prefix.empty()) registry.SetValue(firstKey, "ParentIdPrefix", c.prefix);
        registry.AddKey(std::string(kUsbPrint) + "C\\&USB004\\Control");  // what an empty prefix would match
        Printer("vid_abcd&pid_0001", "second", "7&2b", "USB002");
        char16_t port[260] = {};
        EXPECT_EQ(Find(u"vid_abcd&pid_0001", port, 260), 1);
        EXPECT_EQ(core::FieldView(port), u"USB002");
    }
}

TEST_F(UsbDetect, ControlSubKeyIsMatchedWithoutCase) {
    Model(1, u"M", u"vid_abcd&pid_0001");
    struct Case { const char* sub; int result; const char16_t* port; };
    const Case cases[] = {{"Control", 1, u"USB001"}, {"CONTROL", 1, u"USB001"},
                          {"Controls", 1, u"poison"}, {"Properties", 1, u"poison"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sub);
        registry = fakes::FakeRegistry();
        devices.paths.clear();
        Printer("vid_abcd&pid_0001", "s", "7&1a", "USB001", /*present=*/false);
        registry.AddKey(std::string(kUsbPrint) + "LabelClass\\7&1a&USB001\\" + c.sub);
        char16_t port[260] = u"poison";
        EXPECT_EQ(Find(u"vid_abcd&pid_0001", port, 260), c.result);
        EXPECT_EQ(core::FieldView(port), c.port);
    }
}

TEST_F(UsbDetect, PresentInstanceWinsOverAKnownAbsentOne) {
    Model(1, u"M", u"vid_abcd&pid_0001");
    Printer("vid_abcd&pid_0001", "s", "7&1a", "USB001", /*present=*/false);
    registry.AddKey(std::string(kUsbPrint) + "LabelClass\\7&1a&USB005\\Control");
    Port(0, u"USB001");
    Port(1, u"USB005");
    char16_t port[260] = {};
    EXPECT_EQ(Find(u"vid_abcd&pid_0001", port, 260), 1);
    EXPECT_EQ(core::FieldView(port), u"USB005");
}

TEST_F(UsbDetect, InstancesOfOtherDevicesAndBrokenNamesAreIgnored) {
    Model(1, u"M", u"vid_abcd&pid_0001");
    devices.paths = {DevicePath("vid_abcd&pid_0001", "s")};
    registry.SetValue(std::string(kEnumUsb) + "vid_abcd&pid_0001\\s", "ParentIdPrefix", "7&1a");
    const std::string cls = std::string(kUsbPrint) + "LabelClass\\";
    for (const char* other : {"7&1A&USB001",    // prefix compared with case
                              "7&1",            // shorter than the prefix
                              "7&1a", "7&1a&",  // no port name after it
                              "8&1a&USB002"}) {
        registry.AddKey(cls + other + "\\Control");
    }
    registry.AddKey(std::string(kUsbPrint) + std::string(300, 'L') + "\\7&1a&USB007\\Control");  // name too long
    char16_t port[260] = u"poison";
    EXPECT_EQ(Find(u"vid_abcd&pid_0001", port, 260), 0);
    EXPECT_EQ(core::FieldView(port), u"poison");
}

TEST_F(UsbDetect, UnopenableClassOrInstanceIsSkipped) {
    Model(1, u"M", u"vid_abcd&pid_0001");
    registry.AddKey(std::string(kUsbPrint) + "Broken\\7&1a&USB008\\Control");
    registry.FailOpen(std::string(kUsbPrint) + "Broken");
    Printer("vid_abcd&pid_0001", "s", "7&1a", "USB003");
    registry.FailOpen(std::string(kUsbPrint) + "LabelClass\\7&1a&USB003");
    registry.AddKey(std::string(kUsbPrint) + "Other\\7&1a&USB004\\Control");
    char16_t port[260] = {};
    // The unopenable present instance still counts as matching the prefix,
    // so the search ends with its class and nothing written.
    EXPECT_EQ(Find(u"vid_abcd&pid_0001", port, 260), 1);
    EXPECT_EQ(core::FieldView(port), u"");
}

TEST_F(UsbDetect, EmptyIdentifierFindsNothing) {
    Model(1, u"M", u"vid_abcd&pid_0001");
    Printer("vid_abcd&pid_0001", "s", "7&1a", "USB003");
    char16_t port[260] = u"poison";
    EXPECT_EQ(Find(u"", port, 260), 0);
    EXPECT_EQ(core::FieldView(port), u"poison");
    EXPECT_EQ(log.appends, 0);
}

TEST_F(UsbDetect, LogLineGoesThroughTheInstallLogEvenWhenItCannotBeWritten) {
    Model(1, u"M", u"vid_abcd&pid_0001");
    Printer("vid_abcd&pid_0001", "s", "7&1a", "USB003");
    log.refuse = true;
    char16_t port[260] = {};
    EXPECT_EQ(Find(u"vid_abcd&pid_0001", port, 260), 1);
    EXPECT_EQ(core::FieldView(port), u"USB003");
    EXPECT_EQ(log.appends, 1);
}

// ---- Preselection ------------------------------------------------------------

TEST_F(UsbDetect, PreselectsTheConnectedModel) {
    Model(1, u"LP-100", u"vid_1111&pid_0001");
    Model(2, u"LP-200", u"VID_ABCD&PID_00EF");
    Model(3, u"LP-300", u"vid_3333&pid_0003");
    Printer("vid_abcd&pid_00ef", "s", "7&1a", "USB001");
    auto ctx = Context();
    const u16 name = engine::DetectConnectedModel(ctx);
    EXPECT_EQ(name, u"LP-200");
    const std::vector<u16> box = {u"Please select model", u"LP-100", u"LP-200", u"LP-300"};
    EXPECT_EQ(engine::FindModelBoxEntry(box, name), 2);
    EXPECT_EQ(engine::FindModelBoxEntry(box, u"lp-200"), -1);  // case counts in the box
}

TEST_F(UsbDetect, NothingPreselectedWithoutAPrinterOrPort) {
    Model(1, u"LP-100", u"vid_abcd&pid_0001");
    auto ctx = Context();
    EXPECT_EQ(engine::DetectConnectedModel(ctx), u"");  // nothing plugged in
    EXPECT_TRUE(registry.opened.empty());

    devices.paths = {DevicePath("vid_abcd&pid_0001", "s")};
    registry.SetValue(std::string(kEnumUsb) + "vid_abcd&pid_0001\\s", "ParentIdPrefix", "7&1a");
    EXPECT_EQ(engine::DetectConnectedModel(ctx), u"");  // no USBPRINT instance
}

}  // namespace
