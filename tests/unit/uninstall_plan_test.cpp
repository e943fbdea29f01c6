#include <gtest/gtest.h>

#include "uninstall/removal_run.h"
#include "uninstall_test_support.h"

namespace {

using uninstall_test::Lines;
using uninstall_test::Machine;
using uninstall_test::U8;

const core::u16 kP1 = u"Label P1";
const core::u16 kP2 = u"Label P2";

uninstall::RemovalOutcome Execute(Machine& m, const uninstall::RemovalPlan& plan) {
    auto services = m.sys.Services();
    uninstall::RemovalLog log(m.logs, m.codePage);
    return uninstall::ExecutePlan(plan, services, log);
}

std::vector<std::string> LogLines(const Machine& m) {
    std::vector<std::string> out;
    std::string all = m.logs.Contents(u"C:\\InstallPrinter.txt");
    std::size_t start = 0;
    while (start < all.size()) {
        const std::size_t end = all.find("\r\n", start);
        out.push_back(all.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    return out;
}

TEST(UninstallPlan, FullInstallationOn64BitWindowsInAWorkingOrder) {
    Machine m(false);
    const auto before = m.Snapshot();
    m.Install(kP1);
    const auto plan = m.Plan(kP1);
    ASSERT_EQ(m.lookup, uninstall::Lookup::kFound);
    ASSERT_TRUE(plan.found);
    EXPECT_TRUE(plan.kept.empty());
    EXPECT_TRUE(plan.otherPrinters.empty());

    const std::string d = "C:\\Windows\\system32\\spool\\drivers\\x64";
    const std::string f = "C:\\Program Files\\Labels\\Label P1";
    const std::string menu = U8(uninstall_test::kPrograms) + "\\Label P1 Driver";
    const std::vector<std::string> expected = {
        "printer Label P1",
        "driver Label P1 Driver | Windows x64 after 0",
        // the files the spooler keeps for the driver, then the installer's copies
        "file " + d + "\\3\\Label P1Drv.dll after 1",
        "file " + d + "\\3\\Label P1GPC.pcd after 1",
        "file " + d + "\\3\\Label P1UI.dll after 1",
        "file " + d + "\\Label P1Drv.dll after 1",
        "file " + d + "\\Label P1UI.dll after 1",
        "file " + d + "\\Label P1GPC.pcd after 1",
        // both monitor files were copied, although 64-bit Windows registers no monitor
        "file C:\\Windows\\system32\\Label P1Mon.dll",
        "file C:\\Windows\\system32\\Label P1MonUI.dll",
        // the shared parts: this is the last printer of the product
        "file " + d + "\\3\\CHISMPL.DLL after 1",
        "file " + d + "\\3\\CHITRAD.DLL after 1",
        "file " + d + "\\3\\ENGLISH.DLL after 1",
        "file " + d + "\\3\\Image.dll after 1",
        "service TarnelPrinter Service",
        // the install folder's contents: not the running program nor Uninstall.ini
        "folder " + f + "\\Inf",
        "file " + f + "\\VorskPrinterService.exe after 14",
        // the records last
        "file " + f + "\\Uninstall.ini record",
        "key SOFTWARE\\Label P1 record",
        "file " + menu + "\\Uninstall Printer Driver.lnk record",
        "folder " + menu + " after 19 record",
        "key SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Label P1 record",
    };
    EXPECT_EQ(Lines(plan), expected);
    EXPECT_EQ(U8(plan.installFolder), f);
    EXPECT_EQ(U8(plan.dataFolder), "C:\\Program Files\\Labels");
    EXPECT_EQ(U8(plan.runOnceCommand), "\"" + f + "\\Uninstaller.exe\" /S");

    const auto outcome = Execute(m, plan);
    EXPECT_EQ(outcome.exitCode, uninstall::kExitRemoved);
    EXPECT_FALSE(outcome.restartNeeded);
    EXPECT_FALSE(outcome.incomplete);
    EXPECT_TRUE(outcome.removeProgram);

    // What remains besides the machine's own things: the running program and
    // its folder, which go after it ends, and the chosen folder above it.
    m.sys.files.DeleteFile(Machine::Program(kP1));
    m.sys.files.RemoveFolder(Machine::Folder(kP1));
    EXPECT_EQ(m.Snapshot(), before);

    // One log line per step between the opening and the closing line.
    const auto lines = LogLines(m);
    ASSERT_EQ(lines.size(), plan.steps.size() + 1);
    EXPECT_EQ(lines[0], "DeletePrinter = 0 PrinterName=Label P1");
    EXPECT_EQ(lines[1], "DeletePrinterDriver = 0 DriverName=Label P1 Driver");
    EXPECT_EQ(lines[14], "DeleteService = 0 ServiceName=TarnelPrinter Service");
    EXPECT_EQ(lines.back(), "**** Uninstall Result=0");
}

TEST(UninstallPlan, FullInstallationOn32BitWindowsTakesPortThenMonitorThenItsFiles) {
    Machine m(true);
    const auto before = m.Snapshot();
    m.Install(kP1);
    const auto plan = m.Plan(kP1);
    const auto lines = Lines(plan);
    const auto at = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) - lines.begin();
    };
    const auto port = at("port Label P1-Port: after 0");
    const auto monitor = at("monitor Label Port Monitor | Windows NT x86 after " + std::to_string(port));
    const auto monFile =
        at("file C:\\Windows\\system32\\Label P1Mon.dll after " + std::to_string(monitor));
    ASSERT_LT(port, static_cast<long>(lines.size()));
    ASSERT_LT(monitor, static_cast<long>(lines.size()));
    ASSERT_LT(monFile, static_cast<long>(lines.size()));
    EXPECT_EQ(lines[1], "driver Label P1 Driver | Windows NT x86 after 0");

    const auto outcome = Execute(m, plan);
    EXPECT_EQ(outcome.exitCode, uninstall::kExitRemoved);
    m.sys.files.DeleteFile(Machine::Program(kP1));
    m.sys.files.RemoveFolder(Machine::Folder(kP1));
    EXPECT_EQ(m.Snapshot(), before);
}

// Two printers of the product, removed one after the other in either order:
// the first removal keeps what the other printer needs, the second leaves
// the machine as it was.
TEST(UninstallPlan, ASecondPrinterKeepsSharedPartsUntilTheLastRemoval) {
    for (bool windows32 : {false, true}) {
        for (bool firstFirst : {true, false}) {
            SCOPED_TRACE(std::string(windows32 ? "32-bit" : "64-bit") + (firstFirst ? ", P1 first" : ", P2 first"));
            Machine m(windows32);
            const auto before = m.Snapshot();
            m.Install(kP1);
            m.Install(kP2);
            const core::u16& gone = firstFirst ? kP1 : kP2;
            const core::u16& stays = firstFirst ? kP2 : kP1;

            const auto plan = m.Plan(gone);
            EXPECT_EQ(plan.otherPrinters, std::vector<core::u16>{stays});
            EXPECT_TRUE(plan.kept.empty());
            // The service runs the first installation's program: removing
            // that installation moves it to the other's program.
            const std::string move = "move-service TarnelPrinter Service | \"" + U8(Machine::Folder(stays)) +
                                     "\\VorskPrinterService.exe\"";
            const auto lines = Lines(plan);
            EXPECT_EQ(std::count(lines.begin(), lines.end(), move), firstFirst ? 1 : 0);
            for (const auto& line : lines) {
                if (line == move) continue;
                EXPECT_EQ(line.find("CHISMPL"), std::string::npos) << line;
                EXPECT_EQ(line.find("service TarnelPrinter"), std::string::npos) << line;
                EXPECT_EQ(line.find("monitor "), std::string::npos) << line;  // the other port still uses it
                EXPECT_EQ(line.find(U8(stays)), std::string::npos) << line;
            }
            const auto outcome = Execute(m, plan);
            EXPECT_EQ(outcome.exitCode, uninstall::kExitRemoved);
            m.sys.files.DeleteFile(Machine::Program(gone));
            m.sys.files.RemoveFolder(Machine::Folder(gone));

            // The remaining printer is complete: printer, driver, its files,
            // the support files, the service with a program that exists, and
            // on 32-bit Windows the monitor with a library that exists.
            const core::u16 d = m.D();
            EXPECT_EQ(m.sys.spooler.printers.size(), 2u);
            for (const auto& f : {d + u"\\3\\" + stays + u"Drv.dll", d + u"\\3\\CHISMPL.DLL", d + u"\\3\\Image.dll",
                                  Machine::Program(stays)})
                EXPECT_TRUE(m.sys.files.Has(f)) << U8(f);
            const auto& service = m.sys.services.services.at(fakes::Fold(uninstall::kServiceName));
            EXPECT_TRUE(service.running);
            EXPECT_TRUE(m.sys.files.Has(uninstall::ServiceProgramPath(service.imagePath))) << U8(service.imagePath);
            EXPECT_EQ(uninstall::ServiceProgramPath(service.imagePath),
                      Machine::Folder(stays) + u"\\VorskPrinterService.exe");
            if (windows32) {
                ASSERT_EQ(m.sys.spooler.monitors.size(), 2u);
                EXPECT_TRUE(m.sys.files.Has(m.sys.spooler.monitors[1].dllName)) << U8(m.sys.spooler.monitors[1].dllName);
            }

            // The last removal takes everything, also the library the monitor
            // kept from the first printer.
            const auto last = m.Plan(stays);
            EXPECT_TRUE(last.otherPrinters.empty());
            EXPECT_EQ(Execute(m, last).exitCode, uninstall::kExitRemoved);
            m.sys.files.DeleteFile(Machine::Program(stays));
            m.sys.files.RemoveFolder(Machine::Folder(stays));
            EXPECT_EQ(m.Snapshot(), before);
        }
    }
}

TEST(UninstallPlan, AHalfRemovedInstallationIsRemovedAsFarAsItExists) {
    Machine m(false);
    const auto before = m.Snapshot();
    m.Install(kP1);
    // Printer deleted by hand, product key and service gone, a driver file
    // and the shortcut missing.
    m.sys.spooler.DeletePrinter(kP1);
    m.sys.registry.DeleteKeyTree(os::RegistryView::k64Bit, u"SOFTWARE\\Label P1");
    m.sys.services.services.clear();
    m.sys.files.DeleteFile(m.D() + u"\\3\\Label P1UI.dll");
    m.sys.files.DeleteFile(Machine::Shortcut(kP1));
    m.sys.journal.clear();

    const auto plan = m.Plan(kP1);
    ASSERT_TRUE(plan.found);
    for (const auto& line : Lines(plan)) {
        EXPECT_EQ(line.rfind("printer", 0), std::string::npos) << line;
        EXPECT_EQ(line.rfind("service", 0), std::string::npos) << line;
        EXPECT_EQ(line.find("\\3\\Label P1UI.dll"), std::string::npos) << line;
        EXPECT_EQ(line.find(".lnk"), std::string::npos) << line;
    }
    EXPECT_EQ(Lines(plan)[0], "driver Label P1 Driver | Windows x64");
    const auto outcome = Execute(m, plan);
    EXPECT_EQ(outcome.exitCode, uninstall::kExitRemoved);
    for (const auto& step : outcome.steps) EXPECT_NE(step.result, uninstall::StepResult::kFailed);

    // Without its product key the installation does not know its Start-menu
    // folder or chosen folder: those stay.
    m.sys.files.DeleteFile(Machine::Program(kP1));
    m.sys.files.RemoveFolder(Machine::Folder(kP1));
    auto now = m.Snapshot();
    const std::string menu = "file " + fakes::Fold(Machine::MenuFolder(kP1)) + " (folder)";
    EXPECT_NE(std::find(now.begin(), now.end(), menu), now.end());
    now.erase(std::find(now.begin(), now.end(), menu));
    EXPECT_EQ(now, before);
}

TEST(UninstallPlan, ASecondRunFindsNothingAndTouchesNothing) {
    Machine m(false);
    m.Install(kP1);
    Execute(m, m.Plan(kP1));
    // The program and "Uninstall.ini" are back where they were (a copy kept
    // elsewhere and put back): nothing else of the installation is there.
    m.sys.files.AddFile(Machine::Folder(kP1) + u"\\Uninstall.ini");
    m.sys.files.AddFile(m.D() + u"\\3\\generic.dll");
    const auto state = m.Snapshot();
    m.sys.journal.clear();
    const auto plan = m.Plan(kP1);
    EXPECT_FALSE(plan.found);
    EXPECT_TRUE(plan.steps.empty());
    EXPECT_TRUE(plan.installFolder.empty());
    EXPECT_TRUE(m.sys.journal.empty());
    EXPECT_EQ(m.Snapshot(), state);
}

TEST(UninstallPlan, WineSpoolerWithoutDriverFlagsStillRemovesTheDriverAndItsFiles) {
    Machine m(false);
    m.Install(kP1);
    m.sys.spooler.flagsRefused = true;
    const auto outcome = Execute(m, m.Plan(kP1));
    EXPECT_EQ(outcome.exitCode, uninstall::kExitRemoved);
    EXPECT_FALSE(m.sys.files.Has(m.D() + u"\\3\\Label P1Drv.dll"));
    const auto& j = m.sys.journal;
    EXPECT_EQ(std::count(j.begin(), j.end(), "DeleteDriver Label P1 Driver [Windows x64]"), 2);
}

TEST(UninstallPlan, AFileInUseWaitsForTheRestartAndTheRecordsStayForTheFinishingRun) {
    Machine m(false);
    m.Install(kP1);
    m.sys.files.SetInUse(m.D() + u"\\3\\Label P1UI.dll");
    const auto plan = m.Plan(kP1);
    const auto outcome = Execute(m, plan);
    EXPECT_EQ(outcome.exitCode, uninstall::kExitRestartRequired);
    EXPECT_TRUE(outcome.restartNeeded);
    EXPECT_FALSE(outcome.removeProgram);
    EXPECT_EQ(m.sys.files.atRestart, std::vector<core::u16>{m.D() + u"\\3\\Label P1UI.dll"});

    // Everything else is gone; the records stay so that the run after the
    // restart finds the installation, and the run-once value starts it.
    EXPECT_FALSE(m.sys.files.Has(m.D() + u"\\3\\Label P1Drv.dll"));
    EXPECT_TRUE(m.sys.spooler.printers.size() == 1);
    EXPECT_TRUE(m.sys.registry.KeyExists(os::RegistryView::k64Bit, u"SOFTWARE\\Label P1"));
    EXPECT_TRUE(m.sys.registry.KeyExists(os::RegistryView::kProcessDefault, uninstall::UninstallEntryPath(kP1)));
    EXPECT_TRUE(m.sys.files.Has(Machine::Folder(kP1) + u"\\Uninstall.ini"));
    EXPECT_TRUE(m.sys.files.Has(Machine::Shortcut(kP1)));
    core::u16 command;
    ASSERT_TRUE(m.sys.registry.ReadString(os::RegistryView::kProcessDefault, uninstall::kRunOnceKey,
                                          uninstall::kRunOnceValue, &command));
    EXPECT_EQ(command, u"\"" + Machine::Program(kP1) + u"\" /S");
    const auto lines = LogLines(m);
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "DeleteFile = 32 FileName=" + U8(m.D()) + "\\3\\Label P1UI.dll AtRestart"),
              lines.end());

    // The run after the restart, when the scheduled file is gone.
    m.sys.files.Restart();
    EXPECT_FALSE(m.sys.files.Has(m.D() + u"\\3\\Label P1UI.dll"));
    Machine& after = m;
    const auto finishing = after.Plan(kP1);
    ASSERT_TRUE(finishing.found);
    const auto done = Execute(after, finishing);
    EXPECT_EQ(done.exitCode, uninstall::kExitRemoved);
    EXPECT_TRUE(done.removeProgram);
    EXPECT_FALSE(after.sys.registry.ReadString(os::RegistryView::kProcessDefault, uninstall::kRunOnceKey,
                                               uninstall::kRunOnceValue, &command));
    EXPECT_FALSE(after.sys.registry.KeyExists(os::RegistryView::k64Bit, u"SOFTWARE\\Label P1"));
}

TEST(UninstallPlan, ALoadedLibraryIsRenamedSoThatAnInstallationBeforeTheRestartKeepsItsFile) {
    Machine m(false);
    m.Install(kP1);
    const core::u16 library = m.D() + u"\\3\\Label P1UI.dll";
    m.sys.files.SetLoaded(library);
    const auto outcome = Execute(m, m.Plan(kP1));
    EXPECT_EQ(outcome.exitCode, uninstall::kExitRestartRequired);
    EXPECT_EQ(m.sys.files.atRestart, std::vector<core::u16>{library + u".1.del"});
    EXPECT_FALSE(m.sys.files.Has(library));

    // Installed again before the restart: the restart takes only the old file.
    m.sys.files.AddFile(library);
    m.sys.files.Restart();
    EXPECT_TRUE(m.sys.files.Has(library));
    EXPECT_FALSE(m.sys.files.Has(library + u".1.del"));
}

TEST(UninstallPlan, ADriverTheSpoolerHoldsWaitsWithItsFilesForTheRestart) {
    Machine m(false);
    m.Install(kP1);
    m.sys.spooler.heldDrivers.insert(fakes::Fold(u"Label P1 Driver"));
    const auto plan = m.Plan(kP1);
    const auto outcome = Execute(m, plan);
    EXPECT_EQ(outcome.exitCode, uninstall::kExitRestartRequired);
    // The driver's files are not touched while it is installed.
    for (const auto& n : {u"\\3\\Label P1Drv.dll", u"\\Label P1UI.dll", u"\\3\\CHISMPL.DLL"})
        EXPECT_TRUE(m.sys.files.Has(m.D() + n)) << U8(n);
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
        if (!plan.steps[i].after.empty() && plan.steps[i].after[0] == 1) {
            EXPECT_EQ(outcome.steps[i].result, uninstall::StepResult::kAfterRestart) << i;
        }
    }
}

TEST(UninstallPlan, FailuresGiveTheNotRemovedCode) {
    struct Case {
        const char* name;
        void (*inject)(Machine&);
        std::uint32_t code;
    };
    const Case cases[] = {
        {"printer refuses", [](Machine& m) { m.sys.spooler.failPrinters.insert(fakes::Fold(kP1)); }, 5},
        {"no restart deletion", [](Machine& m) {
             m.sys.files.SetInUse(m.D() + u"\\Label P1Drv.dll");
             m.sys.files.restartRefused = true;
         }, 32},
        {"key protected", [](Machine& m) { m.sys.registry.failDelete.insert(fakes::Fold(u"SOFTWARE\\Label P1")); }, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Machine m(false);
        m.Install(kP1);
        c.inject(m);
        const auto plan = m.Plan(kP1);
        const auto outcome = Execute(m, plan);
        EXPECT_EQ(outcome.exitCode, uninstall::kExitNotRemoved);
        EXPECT_TRUE(outcome.incomplete);
        bool seen = false;
        for (const auto& s : outcome.steps) seen |= s.result == uninstall::StepResult::kFailed && s.code == c.code;
        EXPECT_TRUE(seen);
    }
    // A printer that cannot be deleted blocks its driver and the driver's
    // files, which are not tried.
    Machine m(false);
    m.Install(kP1);
    m.sys.spooler.failPrinters.insert(fakes::Fold(kP1));
    const auto outcome = Execute(m, m.Plan(kP1));
    EXPECT_EQ(outcome.steps[1].result, uninstall::StepResult::kBlocked);
    EXPECT_TRUE(m.sys.files.Has(m.D() + u"\\3\\Label P1Drv.dll"));
    EXPECT_EQ(std::count(m.sys.journal.begin(), m.sys.journal.end(), "DeleteDriver Label P1 Driver [Windows x64]"), 0);
}

TEST(UninstallPlan, ThingsNotOfThisInstallationAreLeftAloneAndReported) {
    Machine m(false);
    m.Install(kP1);
    const core::u16 key = u"SOFTWARE\\Label P1";
    // A user's copy of the printer on the same driver; the recorded printer
    // moved to another driver; values pointing outside the installation.
    m.sys.spooler.printers.push_back({u"Label P1 copy", u"Label P1 Driver", u"USB001"});
    m.sys.spooler.printers[1].driver = u"Generic Text";
    m.sys.registry.SetValue(os::RegistryView::k64Bit, key, u"StartMenuDir", u"C:\\Windows");
    m.sys.registry.SetValue(os::RegistryView::k64Bit, key, u"Uninstaller", u"C:\\Windows\\system32\\kernel32.dll");
    m.sys.registry.SetValue(os::RegistryView::k64Bit, key, u"Data Directory", u"C:\\");
    m.sys.files.AddFile(u"C:\\Windows\\system32\\kernel32.dll");
    const auto plan = m.Plan(kP1);
    ASSERT_TRUE(plan.found);

    std::vector<std::string> kept;
    for (const auto& k : plan.kept) kept.push_back(U8(k.name) + " / " + U8(k.detail));
    // Our driver stays for the copy, so the printer service does too, with
    // its program in the install folder.
    const std::vector<std::string> expected = {
        "Label P1 / Generic Text", "Label P1 Driver / Label P1 copy",
        "C:\\Program Files\\Labels\\Label P1\\VorskPrinterService.exe / ",
        "C:\\Windows\\system32\\kernel32.dll / ", "C:\\Windows / "};
    EXPECT_EQ(kept, expected);
    EXPECT_TRUE(plan.dataFolder.empty());
    for (const auto& line : Lines(plan)) {
        EXPECT_EQ(line.find("C:\\Windows\\system32\\kernel32"), std::string::npos) << line;
        EXPECT_EQ(line.rfind("printer", 0), std::string::npos) << line;
        EXPECT_EQ(line.rfind("driver", 0), std::string::npos) << line;
        EXPECT_EQ(line.find("CHISMPL"), std::string::npos) << line;  // our driver stays, so do they
        EXPECT_EQ(line.find("Label P1Drv.dll"), std::string::npos) << line;
    }
    const auto outcome = Execute(m, plan);
    EXPECT_EQ(outcome.exitCode, uninstall::kExitNotRemoved);
    EXPECT_TRUE(m.sys.files.Has(u"C:\\Windows\\system32\\kernel32.dll"));
}

TEST(UninstallPlan, ProductKeyOfAnotherInstallationMakesItsNamesNotOurs) {
    Machine m(false);
    m.Install(kP1, u"C:\\Program Files\\Other");  // the name installed again elsewhere
    m.sys.files.AddFile(Machine::Program(kP1));
    m.sys.files.AddFile(Machine::Folder(kP1) + u"\\Uninstall.ini");
    m.profiles.Set(Machine::Folder(kP1) + u"\\Uninstall.ini", u"Print Settings", u"PrinterName", kP1);
    const auto state = m.Snapshot();
    const auto plan = m.Plan(kP1);
    EXPECT_EQ(m.lookup, uninstall::Lookup::kOtherInstallation);
    EXPECT_FALSE(plan.found);
    EXPECT_EQ(m.Snapshot(), state);
}

TEST(UninstallPlan, LinksInTheInstallFolderAreRemovedNotFollowed) {
    Machine m(false);
    m.Install(kP1);
    const core::u16 f = Machine::Folder(kP1);
    m.sys.files.AddLink(f + u"\\Inf\\to-windows", true);
    m.sys.files.AddLink(f + u"\\kernel", false);
    m.sys.files.AddFile(f + u"\\Inf\\a.inf");
    const auto lines = Lines(m.Plan(kP1));
    const auto has = [&](const std::string& l) { return std::find(lines.begin(), lines.end(), l) != lines.end(); };
    EXPECT_TRUE(has("folder " + U8(f) + "\\Inf\\to-windows"));
    EXPECT_TRUE(has("file " + U8(f) + "\\kernel"));
    EXPECT_TRUE(has("file " + U8(f) + "\\Inf\\a.inf"));
    for (const auto& l : lines) EXPECT_EQ(l.find("to-windows\\"), std::string::npos) << l;
}

TEST(UninstallPlan, AProtectedInstallFolderIsNeverEmptied) {
    Machine m(false);
    // An "installation" whose folder would be the system folder itself.
    m.Install(u"system32", u"C:\\Windows");
    const auto plan = m.Plan(u"system32", u"C:\\Windows");
    ASSERT_TRUE(plan.found);
    EXPECT_TRUE(plan.installFolder.empty());
    EXPECT_TRUE(plan.dataFolder.empty());
    for (const auto& line : Lines(plan)) EXPECT_EQ(line.find("localspl"), std::string::npos) << line;
    ASSERT_FALSE(plan.kept.empty());
    EXPECT_EQ(plan.kept.back().reason, uninstall::KeepReason::kProtectedFolder);
}

}  // namespace
