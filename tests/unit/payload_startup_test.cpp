#include <gtest/gtest.h>

#include "fakes/fake_dbcs_code_page.h"
#include "fakes/fake_fs.h"
#include "payload/startup_files.h"
#include "payload_test_support.h"

namespace {

using namespace payload_test;

const core::u16 kDocs = u"C:\\Users\\me\\Documents";

// Records the paths that files were created under, then lets the fake
// create them.
class RecordingFs : public fakes::FakeFileSystem {
public:
    std::vector<core::u16> created;
    std::unique_ptr<os::OutputFile> CreateForWrite(const core::u16& path) override {
        created.push_back(path);
        return FakeFileSystem::CreateForWrite(path);
    }
};

RawEntry Member(const std::string& name, const std::string& contents) {
    return {name, Compress(ToBytes(contents))};
}

// The file name part as the file system holds it.
std::vector<core::u16> NamesIn(fakes::FakeFileSystem& fs, const core::u16& folder) {
    std::vector<os::DirEntry> entries;
    fs.ListDirectory(folder, &entries);
    std::vector<core::u16> names;
    for (const auto& e : entries)
        if (!e.isDirectory) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ExtractStartupFiles, WritesOnlyStartupNamesSpelledAsTheListSpellsThem) {
    RecordingFs fs;
    fs.AddDirectory(kDocs);
    const Bytes c = ResourceForm({
        Member("CHISMPL.DLL", "dll"),
        Member("PRINTERNAME.TXT", "models"),
        Member("installconfig_CN.txt", "cn texts"),
        Member("InstallConfig_tn.txt", "tn texts"),  // deployed later, not at start-up
        Member("sub\\Text.ini", "nested"),
        Member("LOGO.bmp", "BM"),
        Member("Text.ini", "[Text]"),
    });
    payload::ExtractStartupFiles(c.data(), c.size(), kDocs, fs, {});
    EXPECT_EQ(fs.created, (std::vector<core::u16>{kDocs + u"\\PrinterName.txt", kDocs + u"\\InstallConfig_cn.txt",
                                                   kDocs + u"\\logo.bmp", kDocs + u"\\Text.ini"}));
    EXPECT_EQ(NamesIn(fs, kDocs), (std::vector<core::u16>{u"InstallConfig_cn.txt", u"PrinterName.txt", u"Text.ini",
                                                           u"logo.bmp"}));
    EXPECT_EQ(fs.ContentsString(kDocs + u"\\PrinterName.txt"), "models");
    EXPECT_EQ(fs.ContentsString(kDocs + u"\\Text.ini"), "[Text]");
    EXPECT_FALSE(fs.DirectoryExists(kDocs + u"\\sub"));
}

TEST(ExtractStartupFiles, UnsafeOrNearMissNamesAreSkipped) {
    RecordingFs fs;
    fs.AddDirectory(kDocs);
    const Bytes c = ResourceForm({
        Member("..\\Text.ini", "x"),
        Member("C:Text.ini", "x"),
        Member("\\Text.ini", "x"),
        Member(std::string("Text.ini\0evil", 13), "x"),  // equal only as a C string
        Member("Text.ini.", "x"),
        Member(std::string(300, 'T'), "x"),
    });
    payload::ExtractStartupFiles(c.data(), c.size(), kDocs, fs, {});
    EXPECT_TRUE(fs.created.empty());
    fakes::FakeDbcsCodePage codePage;
    payload::ExtractStartupFiles(c.data(), c.size(), kDocs, fs, {}, codePage);
    EXPECT_TRUE(fs.created.empty());
}

TEST(ExtractStartupFiles, DoubleByteNamesJudgedOnTheirCharactersLeaveTheStartupNamesAlone) {
    // Second bytes 0x5C and 0x7C: one character each in a double-byte code
    // page. None is a start-up name, so none is written, and they change
    // nothing for the start-up names around them.
    RecordingFs fs;
    fs.AddDirectory(kDocs);
    const Bytes c = ResourceForm({
        Member("\x95\x5C.txt", "dbcs"),
        Member("PrinterName.txt", "models"),
        Member("\x83\x7C\\Text.ini", "dbcs folder"),
        Member("Text.ini", "[Text]"),
        Member("\x81\x5C", "dbcs"),
    });
    fakes::FakeDbcsCodePage codePage;
    payload::ExtractStartupFiles(c.data(), c.size(), kDocs, fs, {}, codePage);
    EXPECT_EQ(fs.created, (std::vector<core::u16>{kDocs + u"\\PrinterName.txt", kDocs + u"\\Text.ini"}));
    EXPECT_EQ(fs.ContentsString(kDocs + u"\\Text.ini"), "[Text]");
    EXPECT_EQ(codePage.conversions, 2);  // each start-up name was judged through the code page
}

TEST(ExtractStartupFiles, FailingMembersDoNotStopTheOthers) {
    RecordingFs fs;
    fs.AddDirectory(kDocs);
    fs.FailCreate(kDocs + u"\\InstallConfig_en.txt");
    Bytes corrupt = Compress(ToBytes("logo bytes"));
    corrupt[0] = 0;
    const Bytes c = ResourceForm({
        {"logo.bmp", corrupt},
        Member("InstallConfig_en.txt", "en"),
        {"InstallConfig_cn.txt", {}},  // C = 0: an empty file
        Member("PrinterName.txt", "models"),
    });
    payload::ExtractStartupFiles(c.data(), c.size(), kDocs, fs, {});
    EXPECT_EQ(fs.ContentsString(kDocs + u"\\PrinterName.txt"), "models");
    EXPECT_TRUE(fs.HasFile(kDocs + u"\\logo.bmp"));  // created, left as written
    EXPECT_TRUE(fs.Contents(kDocs + u"\\logo.bmp").empty());
    EXPECT_TRUE(fs.HasFile(kDocs + u"\\InstallConfig_cn.txt"));
    EXPECT_FALSE(fs.HasFile(kDocs + u"\\InstallConfig_en.txt"));
}

TEST(ExtractStartupFiles, ReplacesAnExistingFile) {
    fakes::FakeFileSystem fs;
    fs.AddFile(kDocs + u"\\PrinterName.txt", std::string(5000, 'o'));
    const Bytes c = ResourceForm({Member("PrinterName.txt", "new")});
    payload::ExtractStartupFiles(c.data(), c.size(), kDocs, fs, {});
    EXPECT_EQ(fs.ContentsString(kDocs + u"\\PrinterName.txt"), "new");
}

TEST(ExtractStartupFiles, NothingToExtractWritesNothing) {
    const Bytes withEntries = ResourceForm({Member("PrinterName.txt", "m")}, 0);
    const Bytes noStartupName = ResourceForm({Member("Image.dll", "m")});
    struct Case { const char* what; const std::uint8_t* data; std::size_t size; };
    const Case cases[] = {
        {"null", nullptr, 100},
        {"M is 0", withEntries.data(), withEntries.size()},
        {"shorter than M", withEntries.data(), 3},
        {"no start-up name", noStartupName.data(), noStartupName.size()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingFs fs;
        fs.AddDirectory(kDocs);
        int reports = 0;
        payload::ExtractStartupFiles(c.data, c.size, kDocs, fs, [&reports](int) { ++reports; });
        EXPECT_TRUE(fs.created.empty());
        EXPECT_TRUE(fs.Files().empty());
        EXPECT_EQ(reports, 0);
    }
}

TEST(ExtractStartupFiles, EmptyFolderGivesRootedNames) {
    RecordingFs fs;
    const Bytes c = ResourceForm({Member("PrinterName.txt", "m")});
    payload::ExtractStartupFiles(c.data(), c.size(), u"", fs, {});
    EXPECT_EQ(fs.created, std::vector<core::u16>{u"\\PrinterName.txt"});
}

TEST(ExtractStartupFiles, CutContainerKeepsEarlierMembers) {
    RecordingFs fs;
    fs.AddDirectory(kDocs);
    const std::string models(20000, 'm');
    const Bytes whole = ResourceForm({Member("Text.ini", "[Text]"), {"PrinterName.txt", Compress(TextBytes(50000, 1))}});
    const Bytes cut(whole.begin(), whole.end() - 100);
    payload::ExtractStartupFiles(cut.data(), cut.size(), kDocs, fs, {});
    EXPECT_EQ(fs.ContentsString(kDocs + u"\\Text.ini"), "[Text]");
    // The member's length was cut to what the buffer holds: a shorter file.
    const Bytes partial = fs.Contents(kDocs + u"\\PrinterName.txt");
    const Bytes full = TextBytes(50000, 1);
    EXPECT_LT(partial.size(), full.size());
    EXPECT_TRUE(std::equal(partial.begin(), partial.end(), full.begin()));
}

TEST(ExtractStartupFiles, OneCounterRunsThroughAllMembersAgainstTheContainerSize) {
    fakes::FakeFileSystem fs;
    fs.AddDirectory(kDocs);
    const Bytes first = TextBytes(30000, 2), second = TextBytes(40000, 3);
    const Bytes c = ResourceForm({{"PrinterName.txt", Compress(first)}, {"Text.ini", Compress(second)}});
    std::vector<int> positions;
    payload::ExtractStartupFiles(c.data(), c.size(), kDocs, fs, [&positions](int p) { positions.push_back(p); });
    ASSERT_FALSE(positions.empty());
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_EQ(positions.back(), payload::ProgressPosition(70000, static_cast<std::int32_t>(c.size())));
    EXPECT_GT(positions.back(), 100);
}

}  // namespace
