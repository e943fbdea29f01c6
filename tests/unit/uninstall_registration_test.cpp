#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/uninstall_registration.h"
#include "engine_journal_world.h"

namespace {

using core::u16;
using enginetest::Utf8;
using Lines = std::vector<std::string>;
using View = os::RegistryView;
using Values = std::vector<std::pair<u16, u16>>;

const u16 kChosen = u"C:\\Program Files\\Label Printer Driver V 1.0";
const u16 kFolder = kChosen + u"\\Q712 (copy 1)";
const u16 kProductKey = u"SOFTWARE\\Q712 (copy 1)";
const u16 kEntryKey = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Q712 (copy 1)";
const u16 kRunOnce = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const u16 kStartMenu = u"C:\\users\\user\\Start Menu\\Programs\\Q712 (copy 1) Driver";
const u16 kShortcut = kStartMenu + u"\\Uninstall Printer Driver.lnk";

class Uninstall : public ::testing::Test {
protected:
    Uninstall() {
        plan.uiLanguage = 0;
        plan.chosenFolder = kChosen;
        plan.installFolder = kFolder;
        plan.installPrinterName = u"Q712 (copy 1)";
        plan.printerBaseName = u"Q712 (copy 1)";
        plan.monitorName = u"Label USB Printer Monitor";
        plan.portPrefix = u"LPT1:";
        result.succeeded = true;
        result.portName = u"Q712 (copy 1)-Port:";
        result.driverName = u"Q712 (copy 1) Driver";
        result.addedPrinterName = u"Q712 (copy 2)";  // renamed by the registration's second pass
        result.startMenuFolder = kStartMenu;
        result.shortcutPath = kShortcut;
        w.registry.SetWideValue(kRunOnce, u"OzrUninstaller", u"C:\\old\\Uninstaller.exe /x", View::kProcessDefault);
        w.registry.SetWideValue(kRunOnce, u"Other", u"keep me", View::kProcessDefault);
    }

    void Register() {
        w.journal.clear();
        engine::RegisterUninstall(plan, result, w.services);
    }

    Values Read(const u16& key, View view) const {
        Values out;
        for (const u16& name : w.registry.WriteOrder(key, view))
            out.emplace_back(name, w.registry.WideValue(key, name, view));
        return out;
    }

    Values ProductValues(const u16& language, const u16& printerName, const u16& portName) const {
        return {
            {u"Data Directory", kChosen},
            {u"Program Directory", kFolder},
            {u"Language", language},
            {u"PrinterName", printerName},
            {u"StartMenuDir", kStartMenu},
            {u"Uninstaller", kShortcut},
            {u"PrinterDriver", u"Q712 (copy 1) Driver"},
            {u"MonitorName", u"Label USB Printer Monitor"},
            {u"PortName", portName},
        };
    }

    Values EntryValues() const {
        const u16 uninstaller = kFolder + u"\\Uninstaller.exe";
        return {
            {u"DisplayIcon", uninstaller},
            {u"DisplayName", u"Q712 (copy 1)"},
            {u"DisplayVersion", u"1.2.1"},
            {u"InstallLocation", kFolder},
            {u"Publisher", u"Quorvane"},
            {u"UninstallString", uninstaller},
            {u"VersionMajor", u"1"},
            {u"VersionMinor", u"2"},
        };
    }

    std::vector<fakes::FakeProfileWriter::Write> IniWrites() const {
        const u16 ini = kFolder + u"\\Uninstall.ini";
        return {{ini, u"Print Settings", u"PrinterName", u"Q712 (copy 1)"},
                {ini, u"Print Settings", u"ServiceName", u"TarnelPrinter Service"}};
    }

    bool RunOnceValueLeft() const {
        return w.registry.HasWideValue(kRunOnce, u"OzrUninstaller", View::kProcessDefault);
    }

    enginetest::EngineWorld w;
    engine::InstallPlan plan;
    engine::InstallResult result;
};

TEST_F(Uninstall, EverythingInOrder) {
    Register();
    EXPECT_EQ(Read(kProductKey, View::k64Bit), ProductValues(u"English", u"Q712 (copy 2)", u"Q712 (copy 1)-Port:"));
    EXPECT_EQ(Read(kEntryKey, View::kProcessDefault), EntryValues());
    EXPECT_EQ(w.profiles.writes, IniWrites());
    EXPECT_FALSE(RunOnceValueLeft());
    EXPECT_EQ(w.registry.WideValue(kRunOnce, u"Other", View::kProcessDefault), u"keep me");

    // Each key in its own view only.
    EXPECT_FALSE(w.registry.HasKey(kProductKey, View::kProcessDefault));
    EXPECT_FALSE(w.registry.HasKey(kEntryKey, View::k64Bit));

    Lines expected = {"CreateKey 64 " + Utf8(kProductKey)};
    for (const auto& v : ProductValues(u"", u"", u"")) expected.push_back("SetString " + Utf8(v.first));
    expected.push_back("CloseKey software\\q712 (copy 1)");
    expected.push_back("WriteProfileString " + Utf8(kFolder) + "\\Uninstall.ini [Print Settings] PrinterName");
    expected.push_back("WriteProfileString " + Utf8(kFolder) + "\\Uninstall.ini [Print Settings] ServiceName");
    expected.push_back("CreateKey default " + Utf8(kEntryKey));
    for (const auto& v : EntryValues()) expected.push_back("SetString " + Utf8(v.first));
    expected.push_back("CloseKey " + std::string("software\\microsoft\\windows\\currentversion\\uninstall\\q712 (copy 1)"));
    expected.push_back("OpenForWrite default " + Utf8(kRunOnce));
    expected.push_back("DeleteValue OzrUninstaller");
    expected.push_back("CloseKey software\\microsoft\\windows\\currentversion\\runonce");
    EXPECT_EQ(w.journal, expected);
}

TEST_F(Uninstall, ProductKeyNamesByLanguageAndFallbacks) {
    struct Case {
        const char* label;
        int language;
        u16 addedName, portName;
        u16 wantLanguage, wantPrinter, wantPort;
    } cases[] = {
        {"English", 0, u"Q712 (copy 2)", u"Q712 (copy 1)-Port:", u"English", u"Q712 (copy 2)", u"Q712 (copy 1)-Port:"},
        {"Chinese", 1, u"Q712 (copy 2)", u"USB001", u"Chinese", u"Q712 (copy 2)", u"USB001"},
        {"Russian", 2, u"Q712 (copy 2)", u"COM3:", u"English", u"Q712 (copy 2)", u"COM3:"},
        {"no added name, no port recorded", 0, u"", u"", u"English", u"Q712 (copy 1)", u"LPT1:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        plan.uiLanguage = c.language;
        result.addedPrinterName = c.addedName;
        result.portName = c.portName;
        Register();
        const Values got = Read(kProductKey, View::k64Bit);
        const Values want = ProductValues(c.wantLanguage, c.wantPrinter, c.wantPort);
        // A repeated installation rewrites every value: the last nine writes.
        ASSERT_GE(got.size(), want.size());
        EXPECT_EQ(Values(got.end() - static_cast<std::ptrdiff_t>(want.size()), got.end()), want);
        EXPECT_EQ(w.registry.WideValueCount(kProductKey, View::k64Bit), want.size());
    }
}

TEST_F(Uninstall, SecondInstallationRewritesEveryValue) {
    Values old;
    for (const auto& v : EntryValues()) w.registry.SetWideValue(kEntryKey, v.first, u"old", View::kProcessDefault);
    for (const auto& v : ProductValues(u"", u"", u"")) w.registry.SetWideValue(kProductKey, v.first, u"old");
    Register();
    for (const auto& v : ProductValues(u"English", u"Q712 (copy 2)", u"Q712 (copy 1)-Port:")) {
        SCOPED_TRACE(Utf8(v.first));
        EXPECT_EQ(w.registry.WideValue(kProductKey, v.first), v.second);
    }
    for (const auto& v : EntryValues()) {
        SCOPED_TRACE(Utf8(v.first));
        EXPECT_EQ(w.registry.WideValue(kEntryKey, v.first, View::kProcessDefault), v.second);
    }
}

TEST_F(Uninstall, Failures) {
    const Values product = ProductValues(u"English", u"Q712 (copy 2)", u"Q712 (copy 1)-Port:");
    auto Without = [](Values values, const u16& name) {
        values.erase(std::remove_if(values.begin(), values.end(), [&](const auto& v) { return v.first == name; }),
                     values.end());
        return values;
    };
    struct Case {
        const char* label;
        std::function<void(fakes::FakeRegistry&, fakes::FakeProfileWriter&)> setup;
        Values product, entry;
        bool iniWritten, runOnceLeft;
    } cases[] = {
        {"product key not creatable: nothing at all",
         [](fakes::FakeRegistry& r, fakes::FakeProfileWriter&) { r.FailCreate(kProductKey); }, {}, {}, false, true},
        {"one product value refused",
         [](fakes::FakeRegistry& r, fakes::FakeProfileWriter&) { r.FailValue(u"StartMenuDir"); },
         Without(product, u"StartMenuDir"), EntryValues(), true, false},
        {"one entry value refused",
         [](fakes::FakeRegistry& r, fakes::FakeProfileWriter&) { r.FailValue(u"InstallLocation"); }, product,
         Without(EntryValues(), u"InstallLocation"), true, false},
        {"uninstall entry not creatable",
         [](fakes::FakeRegistry& r, fakes::FakeProfileWriter&) { r.FailCreate(kEntryKey); }, product, {}, true,
         false},
        {"Uninstall.ini not writable",
         [](fakes::FakeRegistry&, fakes::FakeProfileWriter& p) { p.FailPath(kFolder + u"\\Uninstall.ini"); },
         product, EntryValues(), false, false},
        {"run-once key cannot be opened",
         [](fakes::FakeRegistry& r, fakes::FakeProfileWriter&) { r.FailOpen(Utf8(kRunOnce)); }, product,
         EntryValues(), true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        enginetest::EngineWorld fresh;
        fresh.registry.SetWideValue(kRunOnce, u"OzrUninstaller", u"x", View::kProcessDefault);
        c.setup(fresh.registry, fresh.profiles);
        engine::RegisterUninstall(plan, result, fresh.services);
        Values got;
        for (const u16& n : fresh.registry.WriteOrder(kProductKey, View::k64Bit))
            got.emplace_back(n, fresh.registry.WideValue(kProductKey, n));
        EXPECT_EQ(got, c.product);
        got.clear();
        for (const u16& n : fresh.registry.WriteOrder(kEntryKey, View::kProcessDefault))
            got.emplace_back(n, fresh.registry.WideValue(kEntryKey, n, View::kProcessDefault));
        EXPECT_EQ(got, c.entry);
        EXPECT_EQ(fresh.profiles.writes.empty(), !c.iniWritten);
        EXPECT_EQ(fresh.registry.HasWideValue(kRunOnce, u"OzrUninstaller", View::kProcessDefault), c.runOnceLeft);
    }
}

TEST_F(Uninstall, MissingRunOnceKeyIsNotCreated) {
    enginetest::EngineWorld fresh;
    engine::RegisterUninstall(plan, result, fresh.services);
    EXPECT_FALSE(fresh.registry.HasKey(kRunOnce, View::kProcessDefault));
    EXPECT_FALSE(fresh.registry.HasKey(kRunOnce, View::k64Bit));
    EXPECT_EQ(fresh.registry.WriteOrder(kEntryKey, View::kProcessDefault).size(), 8u);
}

TEST_F(Uninstall, RunOnceValueOfTheOtherViewStays) {
    w.registry.SetWideValue(kRunOnce, u"OzrUninstaller", u"64", View::k64Bit);
    Register();
    EXPECT_FALSE(RunOnceValueLeft());
    EXPECT_TRUE(w.registry.HasWideValue(kRunOnce, u"OzrUninstaller", View::k64Bit));
}

TEST_F(Uninstall, NamesThatWouldLeaveTheirKeysWriteNothingThere) {
    struct Case {
        const char* label;
        u16 baseName, printerName;
        bool productKey, entry;
    } cases[] = {
        {"empty base name: SOFTWARE itself", u"", u"Q712", false, false},
        {"base name with a backslash", u"Microsoft\\Windows", u"Q712", false, false},
        {"base name '..'", u"..", u"Q712", false, false},
        {"printer name with a backslash", u"Q712", u"x\\..\\..\\Run", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        enginetest::EngineWorld fresh;
        plan.printerBaseName = c.baseName;
        plan.installPrinterName = c.printerName;
        engine::RegisterUninstall(plan, result, fresh.services);
        Lines created;
        for (const auto& e : fresh.journal)
            if (e.rfind("CreateKey", 0) == 0) created.push_back(e);
        Lines expected;
        if (c.productKey) expected.push_back("CreateKey 64 SOFTWARE\\" + Utf8(c.baseName));
        EXPECT_EQ(created, expected);
        EXPECT_EQ(fresh.profiles.writes.empty(), !c.productKey);
    }
}

// ---------------------------------------------------------- service

TEST_F(Uninstall, ServiceParameters) {
    engine::InstallPrinterService(plan, w.services);
    ASSERT_EQ(w.serviceManager.services.size(), 1u);
    const auto& s = w.serviceManager.services.at(u"TarnelPrinter Service");
    EXPECT_EQ(s.config.name, u"TarnelPrinter Service");
    EXPECT_EQ(s.config.displayName, u"TarnelPrinter Service");
    EXPECT_EQ(s.config.serviceType, 0x110u);
    EXPECT_EQ(s.config.startType, 2u);
    EXPECT_EQ(s.config.errorControl, 1u);
    EXPECT_EQ(s.config.binaryPath,
              u"\"C:\\Program Files\\Label Printer Driver V 1.0\\Q712 (copy 1)\\VorskPrinterService.exe\"");
    EXPECT_EQ(s.description, u"TarnelPrinter Printer Monitor");
    EXPECT_EQ(s.starts, 1);
    EXPECT_EQ(w.journal, (Lines{"OpenSCManager", "CreateService TarnelPrinter Service",
                                "SetDescription TarnelPrinter Printer Monitor", "StartService TarnelPrinter Service",
                                "CloseServiceHandle TarnelPrinter Service", "CloseServiceManager"}));
}

TEST_F(Uninstall, ServiceOutcomes) {
    os::ServiceConfig existing;
    existing.name = u"TarnelPrinter Service";
    existing.binaryPath = u"C:\\elsewhere\\VorskPrinterService.exe";
    existing.startType = 3;
    struct Case {
        const char* label;
        std::function<void(fakes::FakeServiceManager&)> setup;
        Lines calls;
        int starts;
        bool registered;
    } cases[] = {
        {"existing service is left alone",
         [&](fakes::FakeServiceManager& m) { m.AddExisting(existing); },
         {"OpenSCManager", "CreateService TarnelPrinter Service", "CloseServiceManager"}, 0, true},
        {"no service manager", [](fakes::FakeServiceManager& m) { m.openFails = true; }, {"OpenSCManager"}, 0,
         false},
        {"creation refused", [](fakes::FakeServiceManager& m) { m.createError = 5; },
         {"OpenSCManager", "CreateService TarnelPrinter Service", "CloseServiceManager"}, 0, false},
        {"start fails: stays registered", [](fakes::FakeServiceManager& m) { m.startError = 2; },
         {"OpenSCManager", "CreateService TarnelPrinter Service", "SetDescription TarnelPrinter Printer Monitor",
          "StartService TarnelPrinter Service", "CloseServiceHandle TarnelPrinter Service", "CloseServiceManager"},
         0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        enginetest::EngineWorld fresh;
        c.setup(fresh.serviceManager);
        engine::InstallPrinterService(plan, fresh.services);
        EXPECT_EQ(fresh.journal, c.calls);
        EXPECT_EQ(fresh.serviceManager.services.count(u"TarnelPrinter Service"), c.registered ? 1u : 0u);
        if (c.registered) {
            EXPECT_EQ(fresh.serviceManager.services.at(u"TarnelPrinter Service").starts, c.starts);
        }
        EXPECT_EQ(fresh.serviceManager.openSessions, 0);
        EXPECT_EQ(fresh.serviceManager.openServices, 0);
    }
    // The existing service kept its configuration.
    enginetest::EngineWorld again;
    again.serviceManager.AddExisting(existing);
    engine::InstallPrinterService(plan, again.services);
    EXPECT_EQ(again.serviceManager.services.at(u"TarnelPrinter Service").config.binaryPath, existing.binaryPath);
    EXPECT_EQ(again.serviceManager.services.at(u"TarnelPrinter Service").config.startType, 3u);
}

// --------------------------------------------------------- shortcut

TEST(UninstallShortcut, WorkingFolder) {
    struct Case {
        u16 target, folder;
    } cases[] = {
        {u"C:\\Program Files\\Label Printer Driver V 1.0\\Q712\\Uninstaller.exe",
         u"C:\\Program Files\\Label Printer Driver V 1.0\\Q712"},
        {u"C:\\Uninstaller.exe", u"C:"},
        {u"Uninstaller.exe", u""},
        {u"", u""},
        {u"C:\\Folder\\", u"C:\\Folder"},
        {u"\\\\server\\share\\Uninstaller.exe", u"\\\\server\\share"},
        {u"C:\\标签\\Uninstaller.exe", u"C:\\标签"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.target));
        EXPECT_EQ(engine::ShortcutWorkingFolder(c.target), c.folder);
    }
}

TEST(UninstallShortcut, CreatesTheLinkWithTargetAndWorkingFolderOnly) {
    const u16 target = kFolder + u"\\Uninstaller.exe";
    for (os::ShortcutResult answer :
         {os::ShortcutResult::kSaved, os::ShortcutResult::kComNotFresh, os::ShortcutResult::kNoLinkObject}) {
        SCOPED_TRACE(static_cast<int>(answer));
        fakes::FakeShell shell;
        shell.shortcutResult = answer;
        engine::CreateUninstallShortcut(shell, target, kShortcut);
        ASSERT_EQ(shell.requests.size(), 1u);
        EXPECT_EQ(shell.requests[0], (fakes::FakeShell::Shortcut{target, kFolder, kShortcut}));
        EXPECT_EQ(shell.links.size(), answer == os::ShortcutResult::kSaved ? 1u : 0u);
    }
}

}  // namespace
