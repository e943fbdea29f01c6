#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/install_sequence.h"
#include "engine/printer_name.h"
#include "engine_install_test_support.h"
#include "payload/container_writer.h"

namespace {

using core::u16;
using engine_test::InFolder;
using engine_test::kInstallFolder;
using Bytes = std::vector<std::uint8_t>;
using Journal = std::vector<std::string>;

std::string Utf8(core::u16view s) { return core::Utf16ToUtf8(s); }

TEST(WorkerTexts, ByLanguage) {
    struct Case {
        int language;
        const char16_t *suffix, *shortcut, *status;
    } cases[] = {
        {0, u"\\Shop Driver", u"Uninstall Printer Driver.lnk", u"Installing Printer Driver, Please wait..."},
        {1, u"\\Shop 打印机驱动", u"卸载 打印机驱动.lnk", u"正在安装打印机驱动，请稍候..."},
        {2, u"\\Shop Драйвер принтера", u"Удалите драйвер принтера.lnk", u"Установка драйвера принтера, подождите"},
        {7, u"\\Shop Driver", u"Uninstall Printer Driver.lnk", u"Installing Printer Driver, Please wait..."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        const engine::WorkerTexts t = engine::WorkerTextsFor(c.language, u"Shop");
        EXPECT_EQ(t.startMenuSuffix, c.suffix);
        EXPECT_EQ(t.shortcutName, c.shortcut);
        EXPECT_EQ(t.statusText, c.status);
    }
}

TEST(PrinterName, SafeNames) {
    struct Case {
        u16 name;
        bool safe;
    } cases[] = {
        {u"Shop Printer", true},
        {u"TSC TE200 (copy 1)", true},
        {u"标签打印机 (副本 2)", true},
        {u"Принтер этикеток", true},
        {u16(255, u'P'), true},
        {u"COM10", true},
        {u"CONSOLE", true},
        {u"LPT0", true},
        {u".hidden", true},
        {u"", false},
        {u16(256, u'P'), false},
        {u"a\\b", false},
        {u"..\\..\\Windows", false},
        {u"a/b", false},
        {u"C:x", false},
        {u"a*b", false},
        {u"a?b", false},
        {u"a\"b", false},
        {u"a<b", false},
        {u"a>b", false},
        {u"a|b", false},
        {u"a,b", false},
        {u"tab\there", false},
        {u16(u"nul\0byte", 8), false},
        {u"ends in a dot.", false},
        {u"ends in a blank ", false},
        {u"..", false},
        {u"CON", false},
        {u"con.txt", false},
        {u"NUL .x", false},
        {u"Aux", false},
        {u"PRN", false},
        {u"COM1", false},
        {u"lpt9.log", false},
        {u"COM\u00B9", false},
        {u"CONIN$", false},
        {u"conout$", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.name));
        EXPECT_EQ(engine::IsSafePrinterName(c.name), c.safe);
    }
}

// ------------------------------------------------------------ the sequence

// A file system, shell and observer that write what the sequence does into
// one journal, so the order across services shows.
class JournalingFs : public fakes::FakeFileSystem {
public:
    Journal* journal = nullptr;
    std::unique_ptr<os::OutputFile> CreateForWrite(const u16& path) override {
        journal->push_back("write " + Utf8(path));
        return FakeFileSystem::CreateForWrite(path);
    }
    bool RemoveFile(const u16& path) override {
        journal->push_back("remove " + Utf8(path));
        return FakeFileSystem::RemoveFile(path);
    }
    bool MakeDirectory(const u16& path) override {
        journal->push_back("mkdir " + Utf8(path));
        return FakeFileSystem::MakeDirectory(path);
    }
};

class JournalingObserver : public fakes::RecordingObserver {
public:
    Journal* journal = nullptr;
    void SetWaitText(const u16& text) override {
        journal->push_back("wait " + Utf8(text));
        RecordingObserver::SetWaitText(text);
    }
};

using SequenceBench = engine_test::Bench<JournalingFs, fakes::FakeSpooler, JournalingObserver>;

const std::string kFolder = Utf8(kInstallFolder);
const std::string kStartMenu = "C:\\Users\\Ann\\Start Menu";

class Sequence : public ::testing::Test {
protected:
    SequenceBench b;
    Journal journal;
    Bytes container;
    int registration = 1;  // what InstallDriverAndPrinter answers
    engine::InstallSteps steps;

    void SetUp() override {
        b.fs.journal = &journal;
        b.observer.journal = &journal;
        Bytes out;
        ASSERT_TRUE(payload::BuildResourceForm({{"Uninstaller.exe", {1, 2, 3}}}, &out).ok());
        container = out;
        b.plan.payload = container.data();
        b.plan.payloadSize = container.size();

        steps.createUninstallShortcut = [this](os::Shell&, const u16& target, const u16& link) {
            journal.push_back("shortcut " + Utf8(target) + " -> " + Utf8(link));
        };
        steps.installDriverAndPrinter = [this](const engine::InstallPlan&, engine::InstallServices&,
                                               engine::InstallObserver&, engine::InstallResult* result) {
            journal.push_back("register, shortcut at " + Utf8(result->shortcutPath));
            return registration;
        };
        steps.registerUninstall = [this](const engine::InstallPlan&, const engine::InstallResult& result,
                                         engine::InstallServices&) {
            journal.push_back("uninstall " + Utf8(result.startMenuFolder) + " | " + Utf8(result.shortcutPath));
        };
        steps.installPrinterService = [this](const engine::InstallPlan&, engine::InstallServices&) {
            journal.push_back("service");
        };
    }

    engine::InstallResult Run() { return engine::RunInstallation(b.plan, b.services, b.observer, steps); }
};

TEST_F(Sequence, OrderOnSuccessAndOnFailure) {
    const std::string menuFolder = kStartMenu + "\\Shop Printer Driver";
    const std::string shortcut = menuFolder + "\\Uninstall Printer Driver.lnk";
    const Journal common = {
        "write " + kFolder + "\\Uninstaller.exe",
        "wait Uninstaller.exe",
        "remove " + kFolder + "\\InstallConfig.txt",
        "remove " + kFolder + "\\logo.bmp",
        "mkdir " + menuFolder,
        "shortcut " + kFolder + "\\Uninstaller.exe -> " + shortcut,
        "wait Installing Printer Driver, Please wait...",
        "register, shortcut at " + shortcut,
    };
    for (const int registered : {1, 0}) {
        SCOPED_TRACE(registered);
        journal.clear();
        registration = registered;
        const engine::InstallResult result = Run();
        Journal expected = common;
        if (registered) {
            expected.push_back("uninstall " + menuFolder + " | " + shortcut);
            expected.push_back("service");
        }
        EXPECT_EQ(journal, expected);
        EXPECT_EQ(result.succeeded, registered == 1);
        EXPECT_EQ(Utf8(result.startMenuFolder), menuFolder);
        EXPECT_EQ(Utf8(result.shortcutPath), shortcut);
        EXPECT_TRUE(b.fs.DirectoryExists(result.startMenuFolder));
    }
}

TEST_F(Sequence, StartMenuFolderAndShortcutByLanguage) {
    struct Case {
        int language;
        u16 startMenu;
        u16 folder, shortcut;
    } cases[] = {
        {0, u"C:\\Users\\Ann\\Start Menu", u"C:\\Users\\Ann\\Start Menu\\Shop Printer Driver",
         u"C:\\Users\\Ann\\Start Menu\\Shop Printer Driver\\Uninstall Printer Driver.lnk"},
        {1, u"C:\\Users\\Ann\\Start Menu", u"C:\\Users\\Ann\\Start Menu\\Shop Printer 打印机驱动",
         u"C:\\Users\\Ann\\Start Menu\\Shop Printer 打印机驱动\\卸载 打印机驱动.lnk"},
        {2, u"C:\\Users\\Ann\\Start Menu", u"C:\\Users\\Ann\\Start Menu\\Shop Printer Драйвер принтера",
         u"C:\\Users\\Ann\\Start Menu\\Shop Printer Драйвер принтера\\Удалите драйвер принтера.lnk"},
        // No Start menu: the folder lands in the root of the current drive.
        {0, u"", u"\\Shop Printer Driver", u"\\Shop Printer Driver\\Uninstall Printer Driver.lnk"},
        {1, u"", u"\\Shop Printer 打印机驱动", u"\\Shop Printer 打印机驱动\\卸载 打印机驱动.lnk"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        SCOPED_TRACE(Utf8(c.startMenu));
        journal.clear();
        b.plan.uiLanguage = c.language;
        b.shell.startMenu = c.startMenu;
        const engine::InstallResult result = Run();
        EXPECT_EQ(result.startMenuFolder, c.folder);
        EXPECT_EQ(result.shortcutPath, c.shortcut);
        EXPECT_NE(std::find(journal.begin(), journal.end(), "mkdir " + Utf8(c.folder)), journal.end());
        EXPECT_NE(std::find(journal.begin(), journal.end(),
                            "shortcut " + kFolder + "\\Uninstaller.exe -> " + Utf8(c.shortcut)),
                  journal.end());
        EXPECT_EQ(b.observer.WaitTexts().back(), engine::WorkerTextsFor(c.language, u"Shop Printer").statusText);
    }
}

TEST_F(Sequence, ExistingStartMenuFolderIsUsedAsItIs) {
    b.fs.AddDirectory(u"C:\\Users\\Ann\\Start Menu\\Shop Printer Driver");
    const engine::InstallResult result = Run();
    EXPECT_TRUE(result.succeeded);
    EXPECT_EQ(journal.back(), "service");
}

TEST_F(Sequence, DeployedTextsAndLogoAreDeleted) {
    Bytes out;
    ASSERT_TRUE(payload::BuildResourceForm({{"InstallConfig.txt", {1}}, {"LOGO.BMP", {2}}, {"Image.dll", {3}}}, &out)
                    .ok());
    container = out;
    b.plan.payload = container.data();
    b.plan.payloadSize = container.size();
    Run();
    EXPECT_FALSE(b.fs.HasFile(InFolder(u"InstallConfig.txt")));
    EXPECT_FALSE(b.fs.HasFile(InFolder(u"logo.bmp")));
    EXPECT_TRUE(b.fs.HasFile(InFolder(u"Image.dll")));
}

TEST_F(Sequence, AppendedFormWithoutMemoryCopy) {
    Bytes image;
    ASSERT_TRUE(payload::BuildAppendedForm({'M', 'Z'}, "H", {{"Uninstaller.exe", {7, 7}}}, &image).ok());
    b.fs.AddFile(b.plan.imagePath, image);
    b.plan.payload = nullptr;
    b.plan.payloadSize = 0;
    journal.clear();
    Run();
    EXPECT_EQ(b.fs.Contents(InFolder(u"Uninstaller.exe")), (Bytes{7, 7}));
    EXPECT_EQ(b.observer.WaitTexts().front(), InFolder(u"Uninstaller.exe"));
    EXPECT_EQ(b.LogText(), "");
}

TEST_F(Sequence, UnsafePrinterNameDoesNothing) {
    b.plan.installPrinterName = u"..\\..\\Windows";
    b.plan.installFolder = u"C:\\Program Files\\Labels\\..\\..\\Windows";
    const engine::InstallResult result = Run();
    EXPECT_FALSE(result.succeeded);
    EXPECT_TRUE(journal.empty());
    EXPECT_TRUE(b.observer.events.empty());
    EXPECT_EQ(b.log.appends, 0);
    EXPECT_EQ(b.shell.startMenuQueries, 0);
}

}  // namespace
