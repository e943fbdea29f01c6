#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_dbcs_code_page.h"
#include "payload/member_name.h"

namespace {

using payload::IsSafeMemberName;

TEST(IsSafeMemberName, AcceptsPlainRelativeNames) {
    const std::string good[] = {
        "a", "Image.dll", "plotui.dll.x64", "InstallConfig_cn.txt", "sub\\Image.dll", "a\\b\\c.txt",
        "a.b.c", ".hidden", "..x", "x..y", "CONSOLE.txt", "COM10", "COM0", "LPT", "nul2.txt", "AUXI",
        "my con.txt",
    };
    for (const auto& name : good) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(IsSafeMemberName(name));
    }
    EXPECT_TRUE(IsSafeMemberName("\xC4\xE3\xBA\xC3.txt"));  // ANSI (GBK) bytes
}

TEST(IsSafeMemberName, RejectsNamesThatLeaveOrMisnameTheTarget) {
    const std::string bad[] = {
        "",
        std::string("a\0b", 3),   // NUL inside
        std::string("Text.ini\0x", 10),
        "\\x", "\\\\server\\share\\x",                   // rooted, UNC
        "C:x", "C:\\x", "c:", "a:b", "file.txt:stream",  // drive, alternate stream
        "a/b", "/x", "..\\x",
        "a\\\\b", "a\\", "\\",                           // doubled, trailing, lone separator
        ".", "..", "a\\..\\b", ".\\a", "a\\.",
        "a.", "a ", "dir.\\x", "dir \\x", "x\\y.",      // trailing dot or blank
        "CON", "con", "Prn", "AUX", "NUL", "NUL.txt", "nul.tar.gz", "sub\\AUX.dll", "CON\\x", "NUL .txt",
        "COM1", "com9.log", "LPT1", "lpt9.x", "COM\xB9", "LPT\xB2.txt", "CONIN$", "conout$.txt",
        "\x01" "a", "a\tb", "a\nb", "\x1F",
        "a*b", "a?b", "a<b", "a>b", "a|b", "a\"b",
    };
    for (const auto& name : bad) {
        SCOPED_TRACE(::testing::PrintToString(name));
        EXPECT_FALSE(IsSafeMemberName(name));
    }
}

TEST(IsSafeMemberName, LengthLimitIs255Bytes) {
    struct Case { std::size_t length; bool safe; };
    const Case cases[] = {{3, true}, {254, true}, {255, true}, {256, false}, {1000, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        EXPECT_EQ(IsSafeMemberName(std::string(c.length, 'n')), c.safe);
        // The limit is on the whole name, folder parts included.
        EXPECT_EQ(IsSafeMemberName("d\\" + std::string(c.length - 2, 'n')), c.safe);
    }
}

// The wide check applies the rules of the 8-bit check to characters: every
// case of the 8-bit tables gives the same answer on its Latin-1 widening.
TEST(IsSafeMemberNameWide, SameRulesOnCharacters) {
    struct Case { const char16_t* name; std::size_t length; bool safe; };
    const Case cases[] = {
        {u"Image.dll", 9, true}, {u"sub\\Image.dll", 13, true}, {u"..x", 3, true}, {u"COM10", 5, true},
        {u"\u8868.txt", 5, true},          // a CJK character
        {u"\uFF3C\uFF0F.txt", 6, true},   // full-width '\' and '/' are letters to Windows
        {u"", 0, false}, {u"a\0b", 3, false}, {u"\\x", 2, false}, {u"C:x", 3, false},
        {u"a/b", 3, false}, {u"..\\x", 4, false}, {u"a\\\\b", 4, false}, {u"a\\", 2, false},
        {u".", 1, false}, {u"a.", 2, false}, {u"a ", 2, false}, {u"NUL .txt", 8, false},
        {u"sub\\aux.dll", 11, false}, {u"COM\u00B9", 4, false}, {u"lpt\u00B2.x", 6, false},
        {u"CONOUT$", 7, false}, {u"a|b", 3, false}, {u"a*b", 3, false}, {u"\x1F", 1, false},
        {u"\uFFFD.txt", 5, false},  // a byte sequence the code page could not convert
    };
    for (const Case& c : cases) {
        const core::u16view name(c.name, c.length);
        SCOPED_TRACE(core::Utf16ToUtf8(name));
        EXPECT_EQ(IsSafeMemberName(name), c.safe);
    }
}

TEST(IsSafeMemberNameWide, LengthLimitIs255Units) {
    struct Case { std::size_t length; bool safe; };
    const Case cases[] = {{254, true}, {255, true}, {256, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        EXPECT_EQ(IsSafeMemberName(core::u16(c.length, u'\u8868')), c.safe);
        EXPECT_EQ(IsSafeMemberName(u"d\\" + core::u16(c.length - 2, u'n')), c.safe);
    }
}

TEST(ToSafeMemberName, DoubleByteNamesAreJudgedAfterConversion) {
    const char16_t kBiao = fakes::FakeDbcsCodePage::Pair(0x95, 0x5C);
    const char16_t kPo = fakes::FakeDbcsCodePage::Pair(0x83, 0x7C);
    struct Case {
        std::string name;
        bool bytewise;   // the 8-bit check's answer
        bool safe;       // the answer after conversion
        core::u16 wide;  // the name written, when safe
    };
    const Case cases[] = {
        // Second byte 0x5C: the 8-bit check sees a trailing or inner '\'.
        {"\x95\x5C", false, true, {kBiao}},
        {"\x95\x5C.txt", true, true, core::u16{kBiao} + u".txt"},
        {"\x95\x5C\\x.txt", false, true, core::u16{kBiao} + u"\\x.txt"},
        {"dir\\\x95\x5C", false, true, u"dir\\" + core::u16{kBiao}},
        // Second byte 0x7C: the 8-bit check sees '|'.
        {"\x83\x7C.dll", false, true, core::u16{kPo} + u".dll"},
        // Two such characters in a row: "\x81", "\x81" and an empty part
        // in the 8-bit view.
        {"\x81\x5C\x81\x5C", false, true, core::u16(2, fakes::FakeDbcsCodePage::Pair(0x81, 0x5C))},
        // A character ending in 0x5C before ".." does not make ".." a part
        // of its own, but the part it ends still ends in a dot.
        {"\x81\x5C..\\x", false, false, {}},
        // A real separator after a complete character still separates.
        {"\x95\x5C\\..\\x", false, false, {}},
        {"\x95\x5C\\", false, false, {}},
        // A lead byte without its second byte does not convert.
        {"a\x95", true, false, {}},
        {"\x95\x20.txt", true, false, {}},
        // Control bytes are refused before conversion.
        {std::string("\x95\x5C\0x", 4), false, false, {}},
        {"\x95\x5C\x01", false, false, {}},
        // Reserved device names and ASCII rules are unchanged.
        {"NUL.txt", false, false, {}},
        {"a:b", false, false, {}},
        {"plain.txt", true, true, u"plain.txt"},
    };
    fakes::FakeDbcsCodePage codePage;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.name));
        EXPECT_EQ(IsSafeMemberName(c.name), c.bytewise);
        core::u16 wide = u"poison";
        EXPECT_EQ(payload::ToSafeMemberName(c.name, codePage, &wide), c.safe);
        EXPECT_EQ(wide, c.safe ? c.wide : u"poison");
    }
}

TEST(ToSafeMemberName, LengthLimitIs255BytesWhateverTheCharacters) {
    fakes::FakeDbcsCodePage codePage;
    struct Case { std::size_t pairs; std::size_t extra; bool safe; };
    // 127 pairs and one ASCII byte: 255 bytes, 128 characters.
    const Case cases[] = {{127, 0, true}, {127, 1, true}, {128, 0, false}, {127, 2, false}};
    for (const Case& c : cases) {
        std::string name;
        for (std::size_t i = 0; i < c.pairs; ++i) name += "\x95\x5C";
        name += std::string(c.extra, 'n');
        SCOPED_TRACE(name.size());
        EXPECT_EQ(payload::ToSafeMemberName(name, codePage, nullptr), c.safe);
    }
}

TEST(MatchStartupName, WholeNameAsciiCaseIgnoredSpelledAsTheList) {
    struct Case { std::string member; std::string expected; };
    const Case cases[] = {
        {"PRINTERNAME.TXT", "PrinterName.txt"},
        {"printername.txt", "PrinterName.txt"},
        {"PrinterName.txt", "PrinterName.txt"},
        {"LOGO.BMP", "logo.bmp"},
        {"Logo.bmp", "logo.bmp"},
        {"text.INI", "Text.ini"},
        {"installconfig_CN.TXT", "InstallConfig_cn.txt"},
        {"InstallConfig_EN.txt", "InstallConfig_en.txt"},
        {"InstallConfig_RS.TXT", "InstallConfig_rs.txt"},
        {"InstallConfig_tn.txt", ""},  // deployed, not a start-up name
        {"sub\\Text.ini", ""},
        {"Text.ini ", ""},
        {"Text.in", ""},
        {"Text.inii", ""},
        {std::string("Text.ini\0", 9), ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.member));
        EXPECT_EQ(std::string(payload::MatchStartupName(c.member)), c.expected);
    }
}

}  // namespace
