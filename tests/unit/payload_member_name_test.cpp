#include <gtest/gtest.h>

#include <string>

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
