#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fakes/fake_fs.h"
#include "texts/install_texts.h"
#include "texts_test_support.h"

namespace {

using core::u16;
using testsupport::Repeat;
using testsupport::Utf16File;
using texts::InstallTexts;

const u16 kSep = Repeat(u'=', 50);

// A file in the payload's layout: six blocks, the title block, name lines.
u16 Layout(const std::vector<u16>& blocks, const std::vector<u16>& names) {
    u16 s;
    for (const u16& b : blocks) s += b + kSep + u"\r\n";
    for (std::size_t i = 0; i < names.size(); ++i) s += names[i] + (i + 1 < names.size() ? u"\r\n" : u"");
    return s;
}

const std::vector<u16> kBlocks = {u"Welcome\r\n\r\nto it.\r\n", u"Folder\r\n", u"Busy\r\n",
                                  u"Done\r\nClick\r\n",        u"Stopped\r\n", u"Broken\r\n",
                                  u"The Title\r\n"};
const std::vector<u16> kNames = {u"Base", u"Drv", u"Mon", u"Mon:", u"Product", u"RES.DLL", u"Dialog title"};

InstallTexts Parse(const std::vector<std::uint8_t>& bytes) {
    InstallTexts t;
    std::memset(static_cast<void*>(&t), 0x5A, sizeof t);  // poison: proves every field is written
    texts::ParseInstallTexts(bytes.data(), bytes.size(), t);
    return t;
}

u16 F(const char16_t* field, std::size_t cap) { return u16(core::FieldView(field, cap)); }
#define FIELD(t, name) F((t).name, sizeof((t).name) / sizeof(char16_t))

struct Names {
    u16 title, base, driver, monitor, prefix, product, res;
};
Names NamesOf(const InstallTexts& t) {
    return {FIELD(t, WindowTitle), FIELD(t, PrinterBaseName), FIELD(t, DriverName), FIELD(t, MonitorName),
            FIELD(t, PortPrefix),  FIELD(t, ProductTitle),    FIELD(t, DriverResourceDll)};
}
void ExpectNames(const InstallTexts& t, const Names& n) {
    const Names got = NamesOf(t);
    EXPECT_EQ(got.title, n.title);
    EXPECT_EQ(got.base, n.base);
    EXPECT_EQ(got.driver, n.driver);
    EXPECT_EQ(got.monitor, n.monitor);
    EXPECT_EQ(got.prefix, n.prefix);
    EXPECT_EQ(got.product, n.product);
    EXPECT_EQ(got.res, n.res);
}

TEST(ParseInstallTexts, FillsPagesWithLfLinesAndNamesWithoutLineEnds) {
    const InstallTexts t = Parse(Utf16File(Layout(kBlocks, kNames)));
    EXPECT_EQ(FIELD(t, WelcomeText), u"Welcome\n\nto it.\n");
    EXPECT_EQ(FIELD(t, FolderText), u"Folder\n");
    EXPECT_EQ(FIELD(t, InstallingText), u"Busy\n");
    EXPECT_EQ(FIELD(t, SuccessText), u"Done\nClick\n");
    EXPECT_EQ(FIELD(t, CancelledText), u"Stopped\n");
    EXPECT_EQ(FIELD(t, FailedText), u"Broken\n");
    // The seventh name line (the dialog title) goes into no field.
    ExpectNames(t, {u"The Title", u"Base", u"Drv", u"Mon", u"Mon:", u"Product", u"RES.DLL"});
}

TEST(ParseInstallTexts, TwentyEqualSignsAnywhereEndABlockNineteenDoNot) {
    struct Case {
        u16 line;
        bool separates;
    };
    const Case cases[] = {
        {u"See " + Repeat(u'=', 20) + u" here\r\n", true},
        {Repeat(u'=', 20) + u"\r\n", true},
        {u"x" + Repeat(u'=', 19) + u"\r\n", false},
        {Repeat(u'=', 10) + u" " + Repeat(u'=', 10) + u"\r\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(core::Utf16ToUtf8(c.line));
        std::vector<u16> blocks = kBlocks;
        blocks[0] = u"Hello\r\n" + c.line + u"Rest\r\n";
        const InstallTexts t = Parse(Utf16File(Layout(blocks, kNames)));
        if (c.separates) {
            // Everything shifts by one block: "Rest" opens the folder page.
            EXPECT_EQ(FIELD(t, WelcomeText), u"Hello\n");
            EXPECT_EQ(FIELD(t, FolderText), u"Rest\n");
            EXPECT_EQ(FIELD(t, FailedText), u"Stopped\n");
            EXPECT_EQ(FIELD(t, WindowTitle), u"Broken");
        } else {
            EXPECT_EQ(FIELD(t, WelcomeText), u"Hello\n" + c.line.substr(0, c.line.size() - 2) + u"\nRest\n");
            EXPECT_EQ(FIELD(t, WindowTitle), u"The Title");
        }
    }
}

TEST(ParseInstallTexts, WithoutByteOrderMarkTheFirstCharacterIsLost) {
    const InstallTexts t = Parse(Utf16File(Layout(kBlocks, kNames), /*bom=*/false));
    EXPECT_EQ(FIELD(t, WelcomeText), u"elcome\n\nto it.\n");
    EXPECT_EQ(FIELD(t, PrinterBaseName), u"Base");
}

TEST(ParseInstallTexts, EmptyLinesBetweenNameLinesFillNothing) {
    const u16 names = u"\r\nT\r\n\r\n\r\nBase\r\nDrv\r\n\r\nMon\r\nMon:\r\n\r\nProduct\r\nRES.DLL\r\n\r\nLast";
    u16 s;
    for (std::size_t i = 0; i < 6; ++i) s += kBlocks[i] + kSep + u"\r\n";
    const InstallTexts t = Parse(Utf16File(s + names));
    ExpectNames(t, {u"T", u"Base", u"Drv", u"Mon", u"Mon:", u"Product", u"RES.DLL"});
}

TEST(ParseInstallTexts, SeparatorLinesAmongNameLinesAreIgnored) {
    u16 s;
    for (std::size_t i = 0; i < 6; ++i) s += kBlocks[i] + kSep + u"\r\n";
    s += u"T\r\n" + kSep + u"\r\nBase\r\n" + kSep + u"\r\nDrv";
    const InstallTexts t = Parse(Utf16File(s));
    ExpectNames(t, {u"T", u"Base", u"Drv", u"", u"", u"", u""});
}

TEST(ParseInstallTexts, FewerThanSixSeparatorsLeaveEveryNameEmpty) {
    for (std::size_t separators = 0; separators <= 6; ++separators) {
        SCOPED_TRACE(separators);
        u16 s;
        for (std::size_t i = 0; i < separators; ++i) s += u"Page\r\n" + kSep + u"\r\n";
        s += u"Title\r\nBase\r\nDrv";
        const InstallTexts t = Parse(Utf16File(s));
        if (separators < 6) {
            ExpectNames(t, {u"", u"", u"", u"", u"", u"", u""});
        } else {
            ExpectNames(t, {u"Title", u"Base", u"Drv", u"", u"", u"", u""});
        }
        const u16 pages[] = {FIELD(t, WelcomeText), FIELD(t, FolderText),    FIELD(t, InstallingText),
                             FIELD(t, SuccessText), FIELD(t, CancelledText), FIELD(t, FailedText)};
        for (std::size_t k = 0; k < 6; ++k) {
            SCOPED_TRACE(k);
            // Pages before the last separator get "Page"; the one after it
            // collects the trailing lines.
            const u16 want = k < separators ? u"Page\n" : k == separators ? u"Title\nBase\nDrv" : u"";
            EXPECT_EQ(pages[k], want);
        }
    }
}

TEST(ParseInstallTexts, PageBlockIsCutAtItsCapacity) {
    // Blocks of limit - 1, limit and limit + 1 characters (511 fit).
    for (std::size_t len : {510u, 511u, 512u, 2000u}) {
        SCOPED_TRACE(len);
        std::vector<u16> blocks = kBlocks;
        u16 block;
        while (block.size() + 51 < len) block += Repeat(u'a', 50) + u"\n";
        block += Repeat(u'b', len - block.size() - 1) + u"\n";
        ASSERT_EQ(block.size(), len);
        blocks[0] = block;
        blocks[5] = block;
        const InstallTexts t = Parse(Utf16File(Layout(blocks, kNames)));
        const u16 want = block.substr(0, std::min<std::size_t>(len, 511));
        EXPECT_EQ(FIELD(t, WelcomeText), want);
        EXPECT_EQ(FIELD(t, FailedText), want);
        EXPECT_EQ(FIELD(t, FolderText), u"Folder\n");  // the neighbours are intact
        EXPECT_EQ(FIELD(t, WindowTitle), u"The Title");
    }
}

TEST(ParseInstallTexts, LongPageLineArrivesInPiecesAndIsJoinedAgain) {
    std::vector<u16> blocks = kBlocks;
    const u16 line = Repeat(u'x', 253) + u"y" + Repeat(u'z', 46);  // 300 characters
    blocks[1] = line + u"\r\n";
    const InstallTexts t = Parse(Utf16File(Layout(blocks, kNames)));
    EXPECT_EQ(FIELD(t, FolderText), line + u"\n");
}

TEST(ParseInstallTexts, LongNameLineIsCutAndDoesNotSpillIntoTheNextField) {
    // Lengths around the 254-character read: at 253 the read ends between CR
    // and LF.
    for (std::size_t len : {252u, 253u, 254u, 255u, 300u, 600u}) {
        SCOPED_TRACE(len);
        std::vector<u16> names = kNames;
        names[0] = Repeat(u'n', len);
        const InstallTexts t = Parse(Utf16File(Layout(kBlocks, names)));
        ExpectNames(t, {u"The Title", Repeat(u'n', std::min<std::size_t>(len, 254)), u"Drv", u"Mon",
                        u"Mon:", u"Product", u"RES.DLL"});
    }
}

TEST(ParseInstallTexts, FileThatEndsEarlyLeavesTheRemainingNamesEmpty) {
    std::vector<u16> names(kNames.begin(), kNames.begin() + 3);
    const InstallTexts t = Parse(Utf16File(Layout(kBlocks, names)));
    ExpectNames(t, {u"The Title", u"Base", u"Drv", u"Mon", u"", u"", u""});
}

TEST(ParseInstallTexts, OddAndTinySizesAreHandled) {
    const auto good = Utf16File(Layout(kBlocks, kNames));
    {
        SCOPED_TRACE("one stray byte at the end");
        auto bytes = good;
        bytes.push_back(0x41);
        ExpectNames(Parse(bytes), {u"The Title", u"Base", u"Drv", u"Mon", u"Mon:", u"Product", u"RES.DLL"});
    }
    {
        SCOPED_TRACE("last character cut in half");
        const std::vector<u16> names(kNames.begin(), kNames.end() - 1);  // ends in "RES.DLL"
        auto bytes = Utf16File(Layout(kBlocks, names));
        bytes.pop_back();  // half of the final 'L' remains
        ExpectNames(Parse(bytes), {u"The Title", u"Base", u"Drv", u"Mon", u"Mon:", u"Product", u"RES.DL"});
    }
    for (std::size_t size = 0; size <= 3; ++size) {
        SCOPED_TRACE(size);
        const std::vector<std::uint8_t> bytes = {0xFF, 0xFE, 'A'};
        const InstallTexts t = Parse(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + size));
        EXPECT_EQ(FIELD(t, WelcomeText), u"");
        ExpectNames(t, {u"", u"", u"", u"", u"", u"", u""});
    }
}

TEST(LoadInstallTexts, MissingFileGivesTheFourDefaultNamesOnly) {
    fakes::FakeFileSystem fs;
    fs.AddDirectory(u"C:\\Docs");
    InstallTexts t;
    std::memset(static_cast<void*>(&t), 0x5A, sizeof t);
    EXPECT_FALSE(texts::LoadInstallTexts(u"C:\\Docs\\InstallConfig_rs.txt", fs, t));
    EXPECT_EQ(FIELD(t, WelcomeText), u"");
    EXPECT_EQ(FIELD(t, FailedText), u"");
    ExpectNames(t, {u"", u"USB Printer", u"USB Printer Driver", u"USB Printer Monitor",
                    u"USB PRINTER PORT:", u"", u""});
}

TEST(LoadInstallTexts, OpenedFileNeverGetsDefaults) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {"empty file", {}},
        {"BOM only", {0xFF, 0xFE}},
        {"no separators", Utf16File(u"Just text\r\nBase")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fakes::FakeFileSystem fs;
        fs.AddFile(u"C:\\Docs\\InstallConfig_en.txt", c.bytes);
        InstallTexts t;
        EXPECT_TRUE(texts::LoadInstallTexts(u"c:\\docs\\installconfig_en.txt", fs, t));
        ExpectNames(t, {u"", u"", u"", u"", u"", u"", u""});
    }
    fakes::FakeFileSystem fs;
    fs.AddFile(u"C:\\Docs\\InstallConfig_en.txt", Utf16File(Layout(kBlocks, kNames)));
    InstallTexts t;
    EXPECT_TRUE(texts::LoadInstallTexts(u"C:\\Docs\\InstallConfig_en.txt", fs, t));
    EXPECT_EQ(FIELD(t, PrinterBaseName), u"Base");
}

TEST(ReadLastLine, TakesTheLastLineReadKeepingItsLineFeed) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        u16 expected;
    };
    const u16 long300 = Repeat(u'a', 254) + Repeat(u'b', 46);
    const Case cases[] = {
        {"last line without line end", Utf16File(u"one\r\ntwo\r\nTitle"), u"Title"},
        {"last line ends with CR LF", Utf16File(u"one\r\nTitle\r\n"), u"Title\n"},
        {"only LF", Utf16File(u"one\nTitle\n"), u"Title\n"},
        {"single line keeps the BOM", Utf16File(u"Title"), u"\uFEFFTitle"},
        {"empty file", {}, u""},
        {"BOM only", {0xFF, 0xFE}, u"\uFEFF"},
        {"over-long last line gives its last piece", Utf16File(u"x\r\n" + long300), Repeat(u'b', 46)},
        {"stray byte", [] {
             auto b = Utf16File(u"x\r\nTitle");
             b.push_back('Z');
             return b;
         }(), u"Title"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(texts::ReadLastLine(c.bytes.data(), c.bytes.size()), c.expected);
    }
}

}  // namespace
