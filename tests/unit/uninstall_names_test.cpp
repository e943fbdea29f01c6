// Name and path rules, the command line, and reading "Uninstall.ini" and the
// product key.
#include <gtest/gtest.h>

#include "uninstall/command_line.h"
#include "uninstall/paths.h"
#include "uninstall_test_support.h"

namespace {

using uninstall_test::U8;

TEST(UninstallNames, PlainNamesStayOneComponent) {
    const struct {
        core::u16 name;
        bool plain;
    } cases[] = {
        {u"Label P1", true},         {u"Q712 (副本 1)", true},    {u"a.b", true},
        {u"", false},                {u".", false},               {u"..", false},
        {u"..\\Windows", false},     {u"a/b", false},             {u"C:", false},
        {u"a:stream", false},        {u"name.", false},           {u"name ", false},
        {u"a*b", false},             {u"a?b", false},             {u"a\"b", false},
        {u"a<b", false},             {u"a|b", false},             {core::u16(u"a\0b", 3), false},
        {u"a\tb", false},            {core::u16(200, u'x'), true}, {core::u16(201, u'x'), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(U8(c.name));
        EXPECT_EQ(uninstall::IsPlainName(c.name), c.plain);
    }
    EXPECT_TRUE(uninstall::IsLocalPrinterName(u"Label P1 (copy 1)"));
    EXPECT_FALSE(uninstall::IsLocalPrinterName(u"\\\\server\\Label P1"));
    EXPECT_FALSE(uninstall::IsLocalPrinterName(u"a,b"));
    EXPECT_FALSE(uninstall::IsLocalPrinterName(u""));
}

TEST(UninstallNames, CanonicalPathsRefuseEverythingThatCouldClimbOut) {
    const struct {
        const char16_t* path;
        const char16_t* canonical;  // null: refused
    } cases[] = {
        {u"C:\\Program Files\\Labels\\P1", u"C:\\Program Files\\Labels\\P1"},
        {u"c:\\a\\", u"C:\\a"},
        {u"C:\\", u"C:\\"},
        {u"C:\\a\\..\\Windows", nullptr},
        {u"C:\\a\\.\\b", nullptr},
        {u"C:\\a\\\\b", nullptr},
        {u"C:\\a/..\\b", nullptr},
        {u"C:a\\b", nullptr},
        {u"\\Windows", nullptr},
        {u"\\\\server\\share\\x", nullptr},
        {u"\\\\?\\C:\\x", nullptr},
        {u"C:\\a\\b:stream", nullptr},
        {u"C:\\a\\b.", nullptr},
        {u"relative\\path", nullptr},
        {u"", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(U8(c.path));
        core::u16 out = u"poison";
        EXPECT_EQ(uninstall::CanonicalPath(c.path, &out), c.canonical != nullptr);
        EXPECT_EQ(out, c.canonical ? core::u16(c.canonical) : core::u16());
    }
    core::u16 out;
    EXPECT_TRUE(uninstall::CanonicalPath(u"C:\\" + core::u16(200, u'a') + u"\\" + core::u16(55, u'b'), &out));
    EXPECT_FALSE(uninstall::CanonicalPath(u"C:\\" + core::u16(200, u'a') + u"\\" + core::u16(56, u'b'), &out));
}

TEST(UninstallNames, BelowMeansStrictlyInsideTheFolder) {
    EXPECT_TRUE(uninstall::IsBelow(u"C:\\a\\b", u"C:\\a"));
    EXPECT_TRUE(uninstall::IsBelow(u"C:\\A\\b\\c", u"C:\\a"));
    EXPECT_TRUE(uninstall::IsBelow(u"C:\\a", u"C:\\"));
    EXPECT_FALSE(uninstall::IsBelow(u"C:\\a", u"C:\\a"));
    EXPECT_FALSE(uninstall::IsBelow(u"C:\\ab", u"C:\\a"));
    EXPECT_FALSE(uninstall::IsBelow(u"D:\\a\\b", u"C:\\a"));
    EXPECT_FALSE(uninstall::IsBelow(u"C:\\a\\b", u""));
    EXPECT_EQ(uninstall::ParentFolder(u"C:\\a\\b"), u"C:\\a");
    EXPECT_EQ(uninstall::ParentFolder(u"C:\\a"), u"C:\\");
    EXPECT_EQ(uninstall::ParentFolder(u"C:\\"), u"");
    EXPECT_EQ(uninstall::JoinPath(u"C:\\", u"x"), u"C:\\x");
    EXPECT_TRUE(uninstall::IsProtectedFolder(u"C:\\", {}));
    EXPECT_TRUE(uninstall::IsProtectedFolder(u"C:\\Users", {u"C:\\Users\\admin\\Documents"}));
    EXPECT_FALSE(uninstall::IsProtectedFolder(u"C:\\Users\\admin\\Documents\\Labels", {u"C:\\Users\\admin\\Documents"}));
    EXPECT_TRUE(uninstall::IsProtectedFolder(u"C:\\a\\..\\b", {}));
}

TEST(UninstallNames, ServiceProgramPathComesQuotedOrUpToExe) {
    EXPECT_EQ(uninstall::ServiceProgramPath(u"\"C:\\Program Files\\L\\VorskPrinterService.exe\" -x"),
              u"C:\\Program Files\\L\\VorskPrinterService.exe");
    EXPECT_EQ(uninstall::ServiceProgramPath(u"C:\\Program Files\\L\\VorskPrinterService.exe"),
              u"C:\\Program Files\\L\\VorskPrinterService.exe");
    EXPECT_EQ(uninstall::ServiceProgramPath(u"C:\\L\\Vorsk.EXE /run"), u"C:\\L\\Vorsk.EXE");
    EXPECT_EQ(uninstall::ServiceProgramPath(u"\"C:\\unterminated"), u"C:\\unterminated");
}

TEST(UninstallCommandLine, SplitsAsWindowsProgramsDo) {
    const struct {
        const char16_t* line;
        std::vector<core::u16> args;
    } cases[] = {
        {u"\"C:\\Program Files\\L\\Uninstaller.exe\"", {u"C:\\Program Files\\L\\Uninstaller.exe"}},
        {u"Uninstaller.exe /S  /LOG=C:\\u.log", {u"Uninstaller.exe", u"/S", u"/LOG=C:\\u.log"}},
        {u"u.exe /LOG=\"C:\\a b\\u.log\"", {u"u.exe", u"/LOG=C:\\a b\\u.log"}},
        {u"u.exe \"a\\\\\" b", {u"u.exe", u"a\\", u"b"}},
        {u"u.exe a\\\\\\\"b", {u"u.exe", u"a\\\"b"}},
        {u"u.exe a\\b\\c", {u"u.exe", u"a\\b\\c"}},
        {u"u.exe \"a \"\"b\"\" c\"", {u"u.exe", u"a \"b\" c"}},
        {u"u.exe \"\"", {u"u.exe", u""}},
        {u"u.exe\t\tx ", {u"u.exe", u"x"}},
        {u"", {u""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(U8(c.line));
        EXPECT_EQ(uninstall::SplitCommandLine(c.line), c.args);
    }
}

TEST(UninstallCommandLine, QuotedArgumentsComeBackUnchanged) {
    for (const core::u16& arg : {core::u16(u"plain"), core::u16(u"C:\\Program Files\\L\\"), core::u16(u"a\"b"),
                                 core::u16(u"a\\\"b"), core::u16(u"tab\there"), core::u16(u""),
                                 core::u16(u"/FOLDER=C:\\Program Files\\Labels\\Q (副本 1)"), core::u16(u"end\\\\")}) {
        SCOPED_TRACE(U8(arg));
        const auto split = uninstall::SplitCommandLine(u"p.exe " + uninstall::QuoteArgument(arg) + u" next");
        ASSERT_EQ(split.size(), 3u);
        EXPECT_EQ(split[1], arg);
        EXPECT_EQ(split[2], u"next");
    }
}

TEST(UninstallCommandLine, OptionsAndTheirMistakes) {
    uninstall::Options o;
    core::u16 error;
    ASSERT_TRUE(uninstall::ParseOptions({}, &o, &error));
    EXPECT_FALSE(o.silent);
    EXPECT_FALSE(o.finish);
    ASSERT_TRUE(uninstall::ParseOptions({u"/s", u"/log=C:\\u.log"}, &o, &error));
    EXPECT_TRUE(o.silent);
    EXPECT_EQ(o.logFile, u"C:\\u.log");
    ASSERT_TRUE(uninstall::ParseOptions({u"/FINISH=1fC", u"/FOLDER=C:\\L\\P1", u"/DATA=C:\\L", u"/S"}, &o, &error));
    EXPECT_TRUE(o.finish);
    EXPECT_EQ(o.waitHandle, 0x1fcu);
    EXPECT_EQ(o.folder, u"C:\\L\\P1");
    EXPECT_EQ(o.dataFolder, u"C:\\L");

    const struct {
        std::vector<core::u16> args;
        const char16_t* offending;
    } bad[] = {
        {{u"/X"}, u"/X"},
        {{u"S"}, u"S"},
        {{u"/S", u"/S"}, u"/S"},
        {{u"/LOG="}, u"/LOG="},
        {{u"/LOG=a", u"/LOG=b"}, u"/LOG=b"},
        {{u"/FINISH=xyz", u"/FOLDER=C:\\a"}, u"/FINISH=xyz"},
        {{u"/FINISH=12345678901234567"}, u"/FINISH=12345678901234567"},
        {{u"/FINISH=10"}, u"/FOLDER="},
        {{u"/FOLDER=C:\\a"}, u"/FINISH="},
        {{u"/DATA=C:\\a"}, u"/FINISH="},
    };
    for (const auto& c : bad) {
        SCOPED_TRACE(U8(c.offending));
        error.clear();
        EXPECT_FALSE(uninstall::ParseOptions(c.args, &o, &error));
        EXPECT_EQ(error, c.offending);
    }
}

class UninstallLookup : public ::testing::Test {
protected:
    void SetUp() override { m.Install(u"Label P1"); }
    uninstall::Lookup Find(const core::u16& program = uninstall_test::Machine::Program(u"Label P1")) {
        return uninstall::FindInstallation(m.profiles, m.sys.registry, program, &found);
    }
    void SetKey(const char16_t* name, const core::u16& value) {
        m.sys.registry.SetValue(os::RegistryView::k64Bit, u"SOFTWARE\\Label P1", name, value);
    }
    const core::u16 ini = uninstall_test::Machine::Folder(u"Label P1") + u"\\Uninstall.ini";
    uninstall_test::Machine m{false};
    uninstall::Installation found;
};

TEST_F(UninstallLookup, ReadsUninstallIniAndEveryProductKeyValue) {
    ASSERT_EQ(Find(), uninstall::Lookup::kFound);
    EXPECT_EQ(found.baseName, u"Label P1");
    EXPECT_EQ(found.installFolder, u"C:\\Program Files\\Labels\\Label P1");
    ASSERT_TRUE(found.hasProductKey);
    EXPECT_EQ(found.key.dataDirectory, uninstall_test::kChosen);
    EXPECT_EQ(found.key.programDirectory, found.installFolder);
    EXPECT_EQ(found.key.printerName, u"Label P1");
    EXPECT_EQ(found.key.startMenuDir, uninstall_test::Machine::MenuFolder(u"Label P1"));
    EXPECT_EQ(found.key.shortcut, uninstall_test::Machine::Shortcut(u"Label P1"));
    EXPECT_EQ(found.key.printerDriver, u"Label P1 Driver");
    EXPECT_EQ(found.key.monitorName, uninstall_test::kMonitor);
    EXPECT_EQ(found.key.portName, u"USB001");
    // A printer name is read with room for one unit more than the installer
    // writes, so an over-long value shows.
    ASSERT_FALSE(m.profiles.calls.empty());
    EXPECT_EQ(m.profiles.calls[0].path, ini);
    EXPECT_EQ(m.profiles.calls[0].section, u"Print Settings");
    EXPECT_EQ(m.profiles.calls[0].key, u"PrinterName");
    EXPECT_GT(m.profiles.calls[0].capacity, 256u);
}

TEST_F(UninstallLookup, LanguageComesFromTheProductKey) {
    for (const auto& [value, chinese] : {std::pair<core::u16, bool>{u"Chinese", true}, {u"chinese", true},
                                         {u"English", false}, {u"Russian", false}, {u"", false}}) {
        SCOPED_TRACE(U8(value));
        SetKey(u"Language", value);
        ASSERT_EQ(Find(), uninstall::Lookup::kFound);
        EXPECT_EQ(uninstall::WantsChinese(found), chinese);
    }
}

TEST_F(UninstallLookup, WhatItCannotUseIsSaidAsSuch) {
    const struct {
        const char* name;
        core::u16 iniName;
        uninstall::Lookup expected;
    } cases[] = {
        {"no name", u"", uninstall::Lookup::kNoSettings},
        {"climbs out", u"..\\..\\Windows\\System32\\kernel32", uninstall::Lookup::kUnusableName},
        {"stream", u"Label P1:x", uninstall::Lookup::kUnusableName},
        {"other folder name", u"Label P2", uninstall::Lookup::kFolderMismatch},
        {"same name other case", u"label p1", uninstall::Lookup::kFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m.profiles.Set(ini, u"Print Settings", u"PrinterName", c.iniName);
        EXPECT_EQ(Find(), c.expected);
    }
    EXPECT_EQ(Find(u"Uninstaller.exe"), uninstall::Lookup::kFolderMismatch);
    EXPECT_EQ(Find(u"C:\\a\\..\\Label P1\\Uninstaller.exe"), uninstall::Lookup::kFolderMismatch);
}

TEST_F(UninstallLookup, TheProductKeyMustBelongToThisFolder) {
    m.sys.registry.DeleteKeyTree(os::RegistryView::k64Bit, u"SOFTWARE\\Label P1");
    ASSERT_EQ(Find(), uninstall::Lookup::kFound);
    EXPECT_FALSE(found.hasProductKey);

    SetKey(u"PrinterName", u"Label P1");  // a key without "Program Directory": damaged, still ours
    ASSERT_EQ(Find(), uninstall::Lookup::kFound);
    EXPECT_TRUE(found.hasProductKey);

    SetKey(u"Program Directory", u"C:\\Program Files\\Labels\\Label P1\\");  // a trailing backslash is the same
    ASSERT_EQ(Find(), uninstall::Lookup::kFound);
    EXPECT_TRUE(found.hasProductKey);

    SetKey(u"Program Directory", u"D:\\Elsewhere\\Label P1");
    EXPECT_EQ(Find(), uninstall::Lookup::kOtherInstallation);
    EXPECT_FALSE(found.hasProductKey);
}

}  // namespace
