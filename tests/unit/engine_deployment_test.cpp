#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/deployment.h"
#include "engine_install_test_support.h"
#include "fakes/fake_dbcs_code_page.h"
#include "payload/container_writer.h"
#include "payload_test_support.h"

namespace {

using core::u16;
using engine_test::Bench;
using engine_test::InFolder;
using engine_test::kInstallFolder;
using payload_test::Bytes;
using Event = fakes::RecordingObserver::Event;

const u16 kImagePath = u"C:\\Setup\\LabelPrinterSetup.exe";

Bytes Contents(const std::string& name) { return payload_test::ToBytes("contents of " + name); }

std::vector<payload::PackMember> Members(const std::vector<std::string>& names) {
    std::vector<payload::PackMember> members;
    for (const auto& name : names) members.push_back({name, Contents(name)});
    return members;
}

Bytes ResourceContainer(const std::vector<std::string>& names) {
    Bytes out;
    EXPECT_TRUE(payload::BuildResourceForm(Members(names), &out).ok());
    return out;
}

const Bytes kImage = payload_test::ToBytes("MZ the installer's own image\x00\x01\x02");

Bytes AppendedImage(const std::vector<std::string>& names) {
    Bytes out;
    EXPECT_TRUE(payload::BuildAppendedForm(kImage, "HEADER", Members(names), &out).ok());
    return out;
}

// The progress position sent right after each wait line.
std::vector<int> PositionsAfterWaitLines(const fakes::RecordingObserver& observer) {
    std::vector<int> out;
    const auto& events = observer.events;
    for (std::size_t i = 0; i + 1 < events.size(); ++i)
        if (events[i].kind == Event::kWaitText && events[i + 1].kind == Event::kProgress)
            out.push_back(events[i + 1].position);
    return out;
}

class MemoryDeployment : public ::testing::Test {
protected:
    Bench<> b;
    Bytes container;

    void Deploy(const Bytes& bytes) {
        container = bytes;
        b.plan.payload = container.data();
        b.plan.payloadSize = container.size();
        EXPECT_EQ(engine::DeployFromMemory(b.plan, b.services, b.observer), 0);
    }
};

// ------------------------------------------------------------ memory form

TEST_F(MemoryDeployment, NamesFolderPartsAndReplacements) {
    struct Case {
        const char* member;
        u16 writtenAt;    // full path
        u16 waitLine;
        u16 recorded;     // empty: not recorded
    } cases[] = {
        {"Image.dll", InFolder(u"Image.dll"), u"Image.dll", u"Image.dll"},
        {"OSTRELPRINTERUI.DLL", InFolder(u"newpos58f.dll"), u"OSTRELPRINTERUI.DLL", u"newpos58f.dll"},
        {"OstrelPrinterUI.dll.x64", InFolder(u"newpos58f.dll.x64"), u"OstrelPrinterUI.dll.x64",
         u"newpos58f.dll.x64"},
        {"ostrelprinterrender.dll", InFolder(u"rad80d.dll"), u"ostrelprinterrender.dll", u"rad80d.dll"},
        // The command-set table belongs to the appended form only.
        {"TSCD.dll", InFolder(u"TSCD.dll"), u"TSCD.dll", u"TSCD.dll"},
        // Only whole names are replaced.
        {"OstrelPrinterUI.dll.bak", InFolder(u"OstrelPrinterUI.dll.bak"), u"OstrelPrinterUI.dll.bak",
         u"OstrelPrinterUI.dll.bak"},
        {"Drivers\\Image.dll", InFolder(u"Drivers\\Image.dll"), u"Image.dll", u""},
        // A replaced file part goes directly into the install folder.
        {"Extra\\OstrelPrinterRender.dll.X64", InFolder(u"rad80d.dll.x64"), u"OstrelPrinterRender.dll.X64",
         u"rad80d.dll.x64"},
        // Names come through the ANSI code page (Latin-1 in the fake).
        {"Caf\xE9.txt", InFolder(u"Caf\u00E9.txt"), u"Caf\u00E9.txt", u"Caf\u00E9.txt"},
    };
    std::vector<std::string> names;
    for (const auto& c : cases) names.push_back(c.member);
    Deploy(ResourceContainer(names));

    const auto waits = b.observer.WaitTexts();
    ASSERT_EQ(waits.size(), std::size(cases));
    const auto recorded = b.observer.RecordedFiles();
    std::size_t r = 0;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.member);
        EXPECT_EQ(waits[i], c.waitLine);
        ASSERT_TRUE(b.fs.HasFile(c.writtenAt));
        EXPECT_EQ(b.fs.Contents(c.writtenAt), Contents(c.member));
        if (!c.recorded.empty()) {
            ASSERT_LT(r, recorded.size());
            EXPECT_EQ(recorded[r++], c.recorded);
        }
    }
    EXPECT_EQ(r, recorded.size());
    EXPECT_TRUE(b.fs.DirectoryExists(InFolder(u"Drivers")));
    EXPECT_TRUE(b.fs.DirectoryExists(InFolder(u"Extra")));
    EXPECT_FALSE(b.fs.HasFile(InFolder(u"OSTRELPRINTERUI.DLL")));
    EXPECT_FALSE(b.fs.HasFile(InFolder(u"Image.dll.x64")));
    EXPECT_EQ(b.LogText(), "**** FileCount=9\r\n**** Retrace Finish\r\n");
}

TEST_F(MemoryDeployment, EmptyContainerLogsBothLinesAndWritesNothing) {
    Deploy(Bytes{0, 0, 0, 0});
    EXPECT_EQ(b.LogText(), "**** FileCount=0\r\n**** Retrace Finish\r\n");
    EXPECT_TRUE(b.observer.events.empty());
    EXPECT_EQ(b.fs.createCount, 0);
}

TEST_F(MemoryDeployment, MissingContainerLogsBothLines) {
    EXPECT_EQ(engine::DeployFromMemory(b.plan, b.services, b.observer), 0);
    EXPECT_EQ(b.LogText(), "**** FileCount=0\r\n**** Retrace Finish\r\n");
    EXPECT_TRUE(b.observer.events.empty());
}

// The 22 members of the shipped container.
const std::vector<std::string> kReferenceNames = {
    "CHISMPL.DLL", "CHISMPL.DLL.x64", "CHITRAD.DLL", "CHITRAD.DLL.x64", "ENGLISH.DLL", "ENGLISH.DLL.x64",
    "Image.dll", "Image.dll.x64", "InstallConfig_cn.txt", "InstallConfig_en.txt", "InstallConfig_tn.txt",
    "plotter.dll", "plotter.dll.x64", "plotui.dll", "plotui.dll.x64", "Rad80PrinterMon.dll",
    "Rad80PrinterMon.dll.x64", "Rad80PrinterMonUI.dll", "Rad80PrinterMonUI.dll.x64", "PrinterName.txt",
    "UNIDRV.HLP", "Uninstaller.exe",
};

TEST_F(MemoryDeployment, TwentyTwoMembersMoveTheBarAfterEachMember) {
    Deploy(ResourceContainer(kReferenceNames));
    EXPECT_EQ(PositionsAfterWaitLines(b.observer),
              (std::vector<int>{4, 9, 13, 18, 22, 27, 31, 36, 40, 45, 50, 54, 59, 63, 68, 72, 77, 81, 86, 90, 95,
                                100}));
    // The extraction engine's own positions come first, after each write.
    ASSERT_FALSE(b.observer.events.empty());
    EXPECT_EQ(b.observer.events[0].kind, Event::kRecord);
    EXPECT_EQ(b.observer.events[1].kind, Event::kProgress);
    EXPECT_EQ(b.LogText(), "**** FileCount=22\r\n**** Retrace Finish\r\n");
    EXPECT_EQ(b.observer.RecordedFiles(), std::vector<u16>(b.observer.WaitTexts()));
    for (const auto& name : kReferenceNames) {
        SCOPED_TRACE(name);
        EXPECT_EQ(b.fs.Contents(InFolder(core::Utf8ToUtf16(name))), Contents(name));
    }
}

TEST_F(MemoryDeployment, UnsafeNamesAreSkipped) {
    using payload_test::RawEntry;
    const Bytes data = payload_test::Compress(Contents("x"));
    const std::vector<std::string> unsafe = {
        "..\\Evil.dll", "Sub\\..\\..\\Evil.dll", "\\Evil.dll", "C:\\Evil.dll", "a/b.dll", "NUL", "com1.txt",
        "Evil.dll.", std::string("Evil\0.dll", 9), "", "Sub\\\\Evil.dll", std::string(256, 'a'),
    };
    std::vector<RawEntry> entries;
    for (const auto& name : unsafe) entries.push_back({name, data});
    entries.push_back({"Good.dll", data});
    Deploy(payload_test::ResourceForm(entries));

    EXPECT_EQ(b.fs.Files(), std::vector<u16>{core::Utf8ToUtf16("c:\\program files\\labels\\shop printer\\good.dll")});
    EXPECT_EQ(b.observer.WaitTexts(), std::vector<u16>{u"Good.dll"});
    EXPECT_EQ(b.observer.RecordedFiles(), std::vector<u16>{u"Good.dll"});
    // Skipped members still move the bar.
    const auto positions = b.observer.Positions();
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.back(), 100);
    EXPECT_EQ(b.LogText(), "**** FileCount=13\r\n**** Retrace Finish\r\n");
}

// A double-byte name whose second byte is '\' or '|' is one character of
// the code page: the member is written under its converted name, not split
// at a false separator and not refused.
TEST(Deployment, DoubleByteNamesAreJudgedOnTheirCharacters) {
    using payload_test::RawEntry;
    fakes::FakeDbcsCodePage dbcs;
    const std::string backslashTrail = "\x81\x5C.dll";  // lead 0x81, trail 0x5C
    const std::string barTrail = "\x82\x7C.txt";        // lead 0x82, trail 0x7C
    const Bytes data = payload_test::Compress(Contents("x"));
    const Bytes container = payload_test::ResourceForm({{backslashTrail, data}, {barTrail, data}});
    for (const bool appended : {false, true}) {
        SCOPED_TRACE(appended ? "appended form" : "memory form");
        Bench<> b;
        engine::InstallServices services{b.fs,      b.spooler,  b.registry, b.profiles, b.serviceManager,
                                         b.shell,   b.system,   dbcs,       b.log};
        if (appended) {
            // The image, then H = 0 (no header bytes), the entries, and the
            // trailer: M and the container's offset P.
            Bytes image = kImage;
            const auto offset = static_cast<std::uint32_t>(image.size());
            payload_test::PutU32(&image, 0);
            payload_test::AppendEntry(&image, {backslashTrail, data});
            payload_test::AppendEntry(&image, {barTrail, data});
            payload_test::PutU32(&image, 2);
            payload_test::PutU32(&image, offset);
            b.fs.AddFile(kImagePath, image);
            b.plan.imagePath = kImagePath;
            EXPECT_EQ(engine::DeployFromImageFile(b.plan, services, b.observer), 0);
        } else {
            b.plan.payload = container.data();
            b.plan.payloadSize = container.size();
            engine::DeployFromMemory(b.plan, services, b.observer);
        }
        const u16 first = u16(1, fakes::FakeDbcsCodePage::Pair(0x81, 0x5C)) + u".dll";
        const u16 second = u16(1, fakes::FakeDbcsCodePage::Pair(0x82, 0x7C)) + u".txt";
        EXPECT_TRUE(b.fs.HasFile(InFolder(first)));
        EXPECT_TRUE(b.fs.HasFile(InFolder(second)));
        EXPECT_EQ(b.observer.RecordedFiles(), (std::vector<u16>{first, second}));
    }
}

TEST_F(MemoryDeployment, TargetPathsLongerThan255UnitsAreSkippedNotCut) {
    // kInstallFolder + '\' is 37 units.
    const std::string fits(218, 'f');
    const std::string tooLong(219, 'g');
    ASSERT_EQ(InFolder(core::Utf8ToUtf16(fits)).size(), 255u);
    Deploy(ResourceContainer({tooLong, fits}));
    EXPECT_EQ(b.fs.Files().size(), 1u);
    EXPECT_TRUE(b.fs.HasFile(InFolder(core::Utf8ToUtf16(fits))));
    EXPECT_EQ(b.observer.RecordedFiles(), std::vector<u16>{core::Utf8ToUtf16(fits)});
}

TEST_F(MemoryDeployment, ContainerEndingEarlyStopsAfterTheLastWholeEntry) {
    using payload_test::RawEntry;
    const Bytes data = payload_test::Compress(Contents("a"));
    Deploy(payload_test::ResourceForm({{"A.dll", data}, {"B.dll", data}}, 4));
    EXPECT_EQ(b.observer.WaitTexts(), (std::vector<u16>{u"A.dll", u"B.dll"}));
    EXPECT_EQ(PositionsAfterWaitLines(b.observer), (std::vector<int>{25, 50}));
    EXPECT_EQ(b.LogText(), "**** FileCount=4\r\n**** Retrace Finish\r\n");
}

// ---------------------------------------------------------- appended form

int DeployImage(Bench<>& b, const Bytes& image) {
    b.fs.AddFile(kImagePath, image);
    b.plan.imagePath = kImagePath;
    return engine::DeployFromImageFile(b.plan, b.services, b.observer);
}

// Both engines: a file is recorded once it has been created and before a
// byte is written into it, so the clean-up also takes a partly written one;
// a file that could not be created (locked or read-only, here the user's
// own "ENGLISH.DLL") is not this run's: it is never recorded and stays as
// it was.
TEST(Deployment, FilesAreRecordedOnceCreatedAndOnlyThen) {
    const std::vector<std::string> names = {"plotter.dll", "ENGLISH.DLL", "UNIDRV.HLP", "Uninstaller.exe"};
    for (const bool fromMemory : {true, false}) {
        SCOPED_TRACE(fromMemory ? "memory" : "image file");
        Bench<> b;
        b.fs.AddFile(InFolder(u"plotter.dll"), std::string("an earlier plotter.dll"));
        b.fs.AddFile(InFolder(u"ENGLISH.DLL"), std::string("the user's own, locked"));
        b.fs.FailCreate(InFolder(u"ENGLISH.DLL"));
        b.fs.FailWriteAfter(InFolder(u"UNIDRV.HLP"), 4);
        std::vector<std::string> seen;
        b.observer.onRecord = [&](const u16& name) {
            const u16 path = InFolder(name);
            seen.push_back(b.fs.HasFile(path) ? "[" + b.fs.ContentsString(path) + "]" : "<none>");
        };
        Bytes container;
        if (fromMemory) {
            container = ResourceContainer(names);
            b.plan.payload = container.data();
            b.plan.payloadSize = container.size();
            EXPECT_EQ(engine::DeployFromMemory(b.plan, b.services, b.observer), 0);
        } else {
            EXPECT_EQ(DeployImage(b, AppendedImage(names)), 0);
        }
        // Created (an existing file emptied), nothing written yet.
        EXPECT_EQ(seen, (std::vector<std::string>{"[]", "[]", "[]"}));
        EXPECT_EQ(b.observer.RecordedFiles(), (std::vector<u16>{u"plotter.dll", u"UNIDRV.HLP", u"Uninstaller.exe"}));
        EXPECT_EQ(b.fs.Contents(InFolder(u"plotter.dll")), Contents("plotter.dll"));
        EXPECT_EQ(b.fs.ContentsString(InFolder(u"ENGLISH.DLL")), "the user's own, locked");
        // The partly written file is on disk and recorded, so the clean-up takes it.
        EXPECT_EQ(b.fs.ContentsString(InFolder(u"UNIDRV.HLP")), "cont");
        EXPECT_EQ(b.fs.Contents(InFolder(u"Uninstaller.exe")), Contents("Uninstaller.exe"));
    }
}

TEST(ImageDeployment, ReplacementNamesByCommandSet) {
    struct Case {
        const char16_t* commandSet;
        const char* member;
        const char16_t* writtenAs;
    } cases[] = {
        {u"TSC", "TSCD.dll", u"rad80d.dll"},
        {u"TSC", "tscd.DLL.x64", u"rad80d.dll.x64"},
        {u"TSC", "TSCPrinterUI.dll", u"newpos58f.dll"},
        {u"TSC", "TSCPRINTERUI.dll.x64", u"newpos58f.dll.x64"},
        {u"TSC", "ESCD.dll", u"ESCD.dll"},
        {u"TSC", "OstrelPrinterUI.dll", u"OstrelPrinterUI.dll"},
        {u"ESC", "ESCD.dll", u"rad80d.dll"},
        {u"ESC", "escd.dll.x64", u"rad80d.dll.x64"},
        {u"ESC", "ESCPrinterUI.dll", u"newpos58f.dll"},
        {u"ESC", "ESCPrinterUI.dll.x64", u"newpos58f.dll.x64"},
        {u"ESC", "TSCD.dll", u"TSCD.dll"},
        // The command set is compared exactly.
        {u"tsc", "TSCD.dll", u"TSCD.dll"},
        {u"TSC ", "TSCD.dll", u"TSCD.dll"},
        {u"", "ESCD.dll", u"ESCD.dll"},
        {u"ZPL", "TSCD.dll", u"TSCD.dll"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(core::Utf16ToUtf8(c.commandSet) + " " + c.member);
        Bench<> b;
        core::CopyTruncated(b.plan.model.CommandSet, c.commandSet);
        EXPECT_EQ(DeployImage(b, AppendedImage({c.member})), 0);
        const u16 target = InFolder(c.writtenAs);
        EXPECT_EQ(b.fs.Contents(target), Contents(c.member));
        EXPECT_EQ(b.fs.Files().size(), 2u);  // the image and the member
        EXPECT_EQ(b.observer.WaitTexts(), std::vector<u16>{target});
        EXPECT_EQ(b.observer.RecordedFiles(), std::vector<u16>{c.writtenAs});
    }
}

TEST(ImageDeployment, WaitLineBeforeExtractionAndOnlyTheEnginesProgress) {
    Bench<> b;
    const std::vector<std::string> names = {"Image.dll", "plotter.dll", "Uninstaller.exe"};
    const Bytes image = AppendedImage(names);
    ASSERT_EQ(DeployImage(b, image), 0);
    const auto& events = b.observer.events;
    // For each member: wait line, record, then the engine's positions.
    ASSERT_GE(events.size(), 9u);
    EXPECT_EQ(events[0].kind, Event::kWaitText);
    EXPECT_EQ(events[0].text, InFolder(u"Image.dll"));
    EXPECT_EQ(events[1].kind, Event::kRecord);
    EXPECT_EQ(events[2].kind, Event::kProgress);
    // The engine measures inflated bytes against the file size minus the
    // container's offset (the image before it).
    std::size_t inflated = 0;
    for (const auto& name : names) inflated += Contents(name).size();
    const double total = static_cast<double>(image.size() - kImage.size());
    EXPECT_EQ(b.observer.Positions().back(), static_cast<int>(inflated / total * 100));
    EXPECT_EQ(b.observer.Positions().size(), names.size());
    EXPECT_EQ(b.LogText(), "");
}

TEST(ImageDeployment, FolderPartsAreNotCreated) {
    {
        Bench<> b;
        ASSERT_EQ(DeployImage(b, AppendedImage({"Drivers\\Image.dll", "Uninstaller.exe"})), 0);
        EXPECT_FALSE(b.fs.DirectoryExists(InFolder(u"Drivers")));
        EXPECT_FALSE(b.fs.HasFile(InFolder(u"Drivers\\Image.dll")));
        EXPECT_EQ(b.fs.Contents(InFolder(u"Uninstaller.exe")), Contents("Uninstaller.exe"));
        EXPECT_EQ(b.observer.WaitTexts(),
                  (std::vector<u16>{InFolder(u"Drivers\\Image.dll"), InFolder(u"Uninstaller.exe")}));
        EXPECT_EQ(b.observer.RecordedFiles(), std::vector<u16>{u"Uninstaller.exe"});
    }
    {
        // In an existing folder the member is written, but not recorded.
        Bench<> b;
        b.fs.AddDirectory(InFolder(u"Drivers"));
        ASSERT_EQ(DeployImage(b, AppendedImage({"Drivers\\Image.dll"})), 0);
        EXPECT_EQ(b.fs.Contents(InFolder(u"Drivers\\Image.dll")), Contents("Drivers\\Image.dll"));
        EXPECT_TRUE(b.observer.RecordedFiles().empty());
    }
}

TEST(ImageDeployment, UnsafeNamesAreSkipped) {
    // The writer refuses such names, so the entries are put together by hand.
    using payload_test::PutU32;
    const Bytes data = payload_test::Compress(Contents("x"));
    Bytes image = kImage;
    const auto p = static_cast<std::uint32_t>(image.size());
    PutU32(&image, 0);  // no header bytes
    const std::vector<std::string> names = {"..\\Evil.dll", "C:\\Evil.dll", "Good.dll"};
    for (const auto& name : names) payload_test::AppendEntry(&image, {name, data});
    PutU32(&image, static_cast<std::uint32_t>(names.size()));
    PutU32(&image, p);
    Bench<> b;
    ASSERT_EQ(DeployImage(b, image), 0);
    EXPECT_EQ(b.observer.WaitTexts(), std::vector<u16>{InFolder(u"Good.dll")});
    EXPECT_EQ(b.fs.Files().size(), 2u);  // the image and Good.dll
    EXPECT_TRUE(b.fs.HasFile(InFolder(u"Good.dll")));
}

TEST(ImageDeployment, Results) {
    using payload_test::PutU32;
    const Bytes good = AppendedImage({"A.dll", "B.dll", "C.dll"});
    const auto withTrailer = [](Bytes image, std::uint32_t count, std::uint32_t offset) {
        PutU32(&image, count);
        PutU32(&image, offset);
        return image;
    };
    Bytes longHeader = kImage;
    PutU32(&longHeader, 51);
    longHeader.resize(longHeader.size() + 51, 'h');
    longHeader = withTrailer(longHeader, 1, static_cast<std::uint32_t>(kImage.size()));
    Bytes oneEntryMore = good;
    oneEntryMore[oneEntryMore.size() - 8] = 4;
    const std::vector<u16> all = {InFolder(u"A.dll"), InFolder(u"B.dll"), InFolder(u"C.dll")};
    struct Case {
        const char* label;
        bool present;
        Bytes image;
        int result;
        std::vector<u16> written;
    } cases[] = {
        {"no executable file", false, {}, -1, {}},
        {"no appended form: member count 0", true, withTrailer(kImage, 0, 0), -2, {}},
        {"count and offset beyond the end of the file", true, withTrailer(kImage, 5, 0x7FFFFFF0), -2, {}},
        {"shorter than a trailer", true, Bytes{1, 2, 3}, -2, {}},
        {"header longer than 50 bytes", true, longHeader, -2, {}},
        {"an entry missing at the end", true, oneEntryMore, -2, all},
        {"whole", true, good, 0, all},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Bench<> b;
        b.plan.imagePath = kImagePath;
        if (c.present) b.fs.AddFile(kImagePath, c.image);
        EXPECT_EQ(engine::DeployFromImageFile(b.plan, b.services, b.observer), c.result);
        std::vector<u16> written;
        for (const u16& path : all)
            if (b.fs.HasFile(path)) written.push_back(path);
        EXPECT_EQ(written, c.written);
        EXPECT_EQ(b.fs.createCount, static_cast<int>(c.written.size()));
    }
}

TEST(ImageDeployment, RunningExecutableWhenNoImagePathIsGiven) {
    Bench<> b;
    b.fs.AddFile(b.system.modulePath, AppendedImage({"A.dll"}));
    b.plan.imagePath.clear();
    EXPECT_EQ(engine::DeployFromImageFile(b.plan, b.services, b.observer), 0);
    EXPECT_TRUE(b.fs.HasFile(InFolder(u"A.dll")));
}

}  // namespace
