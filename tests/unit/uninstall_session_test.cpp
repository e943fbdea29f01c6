// A whole run: dialogs, exit codes and the finishing step.
#include <gtest/gtest.h>

#include <memory>

#include "uninstall/finish.h"
#include "uninstall/session.h"
#include "uninstall/uninstall_texts.h"
#include "uninstall_test_support.h"

namespace {

using uninstall_test::Machine;
using uninstall_test::U8;

const core::u16 kP1 = u"Label P1";

class ScriptedUi : public uninstall::UninstallUi {
public:
    bool answer = true;
    struct Shown {
        bool question;
        core::u16 caption, text;
        bool warning;
    };
    std::vector<Shown> shown;
    bool Ask(const core::u16& caption, const core::u16& text) override {
        shown.push_back({true, caption, text, false});
        return answer;
    }
    void Tell(const core::u16& caption, const core::u16& text, bool warning) override {
        shown.push_back({false, caption, text, warning});
    }
};

class UninstallSession : public ::testing::Test {
protected:
    uninstall::SessionResult Run(const uninstall::Options& options, bool chineseWithoutKey = false) {
        auto services = m().sys.Services();
        uninstall::RemovalLog log(m().logs, m().codePage, options.logFile);
        return uninstall::RunSession(options, Machine::Program(kP1), m().facts, chineseWithoutKey, services,
                                     m().profiles, log, ui);
    }
    // A fresh machine and dialog script.
    void Reset() {
        machine = std::make_unique<Machine>(false);
        ui = ScriptedUi();
    }
    Machine& m() { return *machine; }
    std::unique_ptr<Machine> machine = std::make_unique<Machine>(false);
    ScriptedUi ui;
};

TEST_F(UninstallSession, ConfirmedRemovalSaysSoInTheInstallationsLanguage) {
    for (const auto& [language, chinese] : {std::pair<core::u16, bool>{u"English", false}, {u"Chinese", true}}) {
        SCOPED_TRACE(U8(language));
        Reset();
        m().Install(kP1, uninstall_test::kChosen, language);
        const auto result = Run({});
        EXPECT_EQ(result.exitCode, uninstall::kExitRemoved);
        EXPECT_TRUE(result.removeProgram);
        EXPECT_EQ(result.installFolder, Machine::Folder(kP1));
        EXPECT_EQ(result.dataFolder, uninstall_test::kChosen);
        ASSERT_EQ(ui.shown.size(), 2u);
        EXPECT_TRUE(ui.shown[0].question);
        EXPECT_EQ(ui.shown[0].caption, uninstall::Caption(chinese));
        EXPECT_EQ(ui.shown[0].text, uninstall::MessageText(uninstall::Message::kConfirm, chinese, kP1));
        EXPECT_NE(ui.shown[0].text.find(kP1), core::u16::npos);
        EXPECT_FALSE(ui.shown[1].question);
        EXPECT_EQ(ui.shown[1].text, uninstall::MessageText(uninstall::Message::kRemoved, chinese, kP1));
        EXPECT_FALSE(ui.shown[1].warning);
    }
}

TEST_F(UninstallSession, NoMeansNothingIsTouched) {
    m().Install(kP1);
    const auto state = m().Snapshot();
    ui.answer = false;
    const auto result = Run({});
    EXPECT_EQ(result.exitCode, uninstall::kExitCancelled);
    EXPECT_FALSE(result.removeProgram);
    EXPECT_EQ(m().Snapshot(), state);
    EXPECT_TRUE(m().sys.journal.empty());
    EXPECT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(m().logs.Contents(u"C:\\InstallPrinter.txt"), "");
}

TEST_F(UninstallSession, SilentModeAsksNothingAndAnswersWithTheExitCode) {
    const struct {
        const char* name;
        void (*prepare)(Machine&);
        int exitCode;
    } cases[] = {
        {"everything removed", [](Machine& m) { m.Install(kP1); }, uninstall::kExitRemoved},
        {"not installed", [](Machine&) {}, uninstall::kExitNotFound},
        {"file in use", [](Machine& m) {
             m.Install(kP1);
             m.sys.files.SetInUse(m.D() + u"\\3\\Label P1UI.dll");
         }, uninstall::kExitRestartRequired},
        {"printer cannot be deleted", [](Machine& m) {
             m.Install(kP1);
             m.sys.spooler.failPrinters.insert(fakes::Fold(kP1));
         }, uninstall::kExitNotRemoved},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        c.prepare(m());
        uninstall::Options silent;
        silent.silent = true;
        silent.logFile = u"C:\\admin\\uninstall.log";
        EXPECT_EQ(Run(silent).exitCode, c.exitCode);
        EXPECT_TRUE(ui.shown.empty());
        // The /LOG file gets the same lines as the install log.
        EXPECT_EQ(m().logs.Contents(u"C:\\admin\\uninstall.log"), m().logs.Contents(u"C:\\InstallPrinter.txt"));
        EXPECT_NE(m().logs.Contents(u"C:\\admin\\uninstall.log"), "");
    }
}

TEST_F(UninstallSession, NotFoundIsToldAndLogged) {
    for (bool chinese : {false, true}) {
        Reset();
        EXPECT_EQ(Run({}, chinese).exitCode, uninstall::kExitNotFound);
        ASSERT_EQ(ui.shown.size(), 1u);
        EXPECT_EQ(ui.shown[0].text, uninstall::MessageText(uninstall::Message::kNotFound, chinese, u""));
        EXPECT_TRUE(ui.shown[0].warning);
        EXPECT_EQ(m().logs.Contents(u"C:\\InstallPrinter.txt"),
                  "**** Uninstall NotFound=NoSettings Folder=C:\\Program Files\\Labels\\Label P1 PrinterName=\r\n");
    }
}

TEST_F(UninstallSession, WhatStaysIsListedInTheWarning) {
    m().Install(kP1);
    m().sys.spooler.printers.push_back({u"Label P1 copy", u"Label P1 Driver", u"USB001"});
    const auto result = Run({});
    EXPECT_EQ(result.exitCode, uninstall::kExitNotRemoved);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_TRUE(ui.shown[1].warning);
    EXPECT_NE(ui.shown[1].text.find(u"Driver: Label P1 Driver"), core::u16::npos) << U8(ui.shown[1].text);
    EXPECT_EQ(m().sys.spooler.printers.size(), 2u);  // "Office" and the user's copy
}

class FinishStep : public ::testing::Test {
protected:
    uninstall::FinishResult Finish(const core::u16& folder, const core::u16& data = u"") {
        uninstall::Options o;
        o.finish = true;
        o.folder = folder;
        o.dataFolder = data;
        uninstall::RemovalLog log(m.logs, m.codePage);
        return uninstall::FinishRemoval(o, m.facts.protectedFolders, m.sys.files, log, [&] { ++pauses; });
    }
    Machine m{false};
    int pauses = 0;
};

TEST_F(FinishStep, RemovesTheProgramItsFolderAndTheEmptyChosenFolder) {
    const core::u16 folder = u"C:\\Program Files\\Labs\\P1";
    m.sys.files.AddFile(folder + u"\\Uninstaller.exe");
    EXPECT_EQ(Finish(folder, u"C:\\Program Files\\Labs"), uninstall::FinishResult::kRemoved);
    EXPECT_FALSE(m.sys.files.Has(u"C:\\Program Files\\Labs"));
    EXPECT_TRUE(m.sys.files.Has(u"C:\\Program Files"));
    EXPECT_EQ(pauses, 0);
}

TEST_F(FinishStep, TheChosenFolderStaysWhenItHoldsAnythingElse) {
    const core::u16 folder = Machine::Folder(kP1);
    m.sys.files.AddFile(folder + u"\\Uninstaller.exe");
    EXPECT_EQ(Finish(folder, uninstall_test::kChosen), uninstall::FinishResult::kRemoved);
    EXPECT_FALSE(m.sys.files.Has(folder));
    EXPECT_TRUE(m.sys.files.Has(uninstall_test::kChosen + u"\\readme.txt"));
}

TEST_F(FinishStep, AFolderWithSomethingLeftStays) {
    const core::u16 folder = Machine::Folder(kP1);
    m.sys.files.AddFile(folder + u"\\Uninstaller.exe");
    m.sys.files.AddFile(folder + u"\\notes.txt");
    EXPECT_EQ(Finish(folder, uninstall_test::kChosen), uninstall::FinishResult::kFolderKept);
    EXPECT_FALSE(m.sys.files.Has(folder + u"\\Uninstaller.exe"));
    EXPECT_TRUE(m.sys.files.Has(folder + u"\\notes.txt"));
}

TEST_F(FinishStep, AProgramStillHeldIsLeftToTheRestart) {
    const core::u16 folder = Machine::Folder(kP1);
    m.sys.files.AddFile(folder + u"\\Uninstaller.exe");
    m.sys.files.SetInUse(folder + u"\\Uninstaller.exe");
    EXPECT_EQ(Finish(folder), uninstall::FinishResult::kAtRestart);
    EXPECT_EQ(pauses, uninstall::kFinishAttempts - 1);
    EXPECT_EQ(m.sys.files.atRestart, (std::vector<core::u16>{folder + u"\\Uninstaller.exe", folder}));
}

TEST_F(FinishStep, ALoadedProgramIsRenamedBeforeTheRestartTakesIt) {
    const core::u16 folder = Machine::Folder(kP1);
    m.sys.files.AddFile(folder + u"\\Uninstaller.exe");
    m.sys.files.SetLoaded(folder + u"\\Uninstaller.exe");
    EXPECT_EQ(Finish(folder), uninstall::FinishResult::kAtRestart);
    EXPECT_EQ(m.sys.files.atRestart, (std::vector<core::u16>{folder + u"\\Uninstaller.exe.1.del", folder}));
    // A new installation into the folder before the restart keeps it.
    m.sys.files.AddFile(folder + u"\\Uninstaller.exe");
    m.sys.files.Restart();
    EXPECT_TRUE(m.sys.files.Has(folder + u"\\Uninstaller.exe"));
}

TEST_F(FinishStep, FoldersItMayNotRemoveAreNotTouched) {
    m.sys.files.AddFile(u"C:\\Windows\\Uninstaller.exe");
    const auto state = m.Snapshot();
    for (const core::u16& folder : {core::u16(u"C:\\Windows"), core::u16(u"C:\\"), core::u16(u"C:\\a\\..\\Windows"),
                                    core::u16(u"relative")}) {
        SCOPED_TRACE(U8(folder));
        EXPECT_EQ(Finish(folder), uninstall::FinishResult::kRefused);
    }
    EXPECT_EQ(m.Snapshot(), state);
    // A data folder that is not the install folder's parent is left alone.
    const core::u16 folder = Machine::Folder(kP1);
    m.sys.files.AddFile(folder + u"\\Uninstaller.exe");
    m.sys.files.AddFolder(u"C:\\Empty");
    EXPECT_EQ(Finish(folder, u"C:\\Empty"), uninstall::FinishResult::kRemoved);
    EXPECT_TRUE(m.sys.files.Has(u"C:\\Empty"));
}

}  // namespace
