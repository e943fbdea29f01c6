// A bench for the installation engine's tests: every service the engine
// works through, as fakes, and a plan for one printer.
//
// The profile writer, service manager and shell here are minimal stand-ins
// local to these tests: deployment, the GPC file and the worker's sequence
// need only the Start-menu folder of the shell.
#pragma once

#include <string>
#include <vector>

#include "engine/install_plan.h"
#include "fakes/fake_code_page.h"
#include "fakes/fake_fs.h"
#include "fakes/fake_log_sink.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_spooler.h"
#include "fakes/fake_system_info.h"
#include "fakes/recording_observer.h"

namespace engine_test {

class StubProfileWriter : public os::ProfileWriter {
public:
    int writes = 0;
    bool WriteString(const core::u16&, const core::u16&, const core::u16&, const core::u16&) override {
        ++writes;
        return true;
    }
};

class StubServiceManager : public os::ServiceManager {
public:
    int opens = 0;
    std::unique_ptr<os::ServiceManagerSession> Open() override {
        ++opens;
        return nullptr;
    }
};

class StubShell : public os::Shell {
public:
    core::u16 startMenu = u"C:\\Users\\Ann\\Start Menu";
    int startMenuQueries = 0;
    int shortcuts = 0;

    core::u16 PersonalFolder() override { return u"C:\\Users\\Ann\\Documents"; }
    core::u16 StartMenuFolder() override {
        ++startMenuQueries;
        return startMenu;
    }
    core::u16 ExpandEnvironment(const core::u16& text, std::size_t) override { return text; }
    os::ShortcutResult CreateShortcut(const core::u16&, const core::u16&, const core::u16&) override {
        ++shortcuts;
        return os::ShortcutResult::kSaved;
    }
};

inline const core::u16 kInstallFolder = u"C:\\Program Files\\Labels\\Shop Printer";
inline const core::u16 kPrinterName = u"Shop Printer";

// Services over fakes; `FileSystem`, `Spooler` and `Observer` may be test
// subclasses that record more.
template <class FileSystem = fakes::FakeFileSystem, class Spooler = fakes::FakeSpooler,
          class Observer = fakes::RecordingObserver>
struct Bench {
    FileSystem fs;
    Spooler spooler;
    fakes::FakeRegistry registry;
    StubProfileWriter profiles;
    StubServiceManager serviceManager;
    StubShell shell;
    fakes::FakeSystemInfo system;
    fakes::FakeCodePage codePage;
    fakes::FakeLogSink log;
    Observer observer;
    engine::InstallServices services{fs, spooler, registry, profiles, serviceManager,
                                     shell, system, codePage, log};
    engine::InstallPlan plan;

    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;
    Bench() {
        fs.AddDrive(u"C:");
        fs.AddDirectory(kInstallFolder);
        fs.AddDirectory(u"C:\\Users\\Ann\\Start Menu");
        fs.AddDirectory(spooler.driverDirectory);
        plan.installFolder = kInstallFolder;
        plan.chosenFolder = u"C:\\Program Files\\Labels";
        plan.installPrinterName = kPrinterName;
        plan.printerBaseName = kPrinterName;
        plan.portPrefix = u"LPT1:";
        plan.imagePath = system.modulePath;
        plan.model.Dpi = 203;
        plan.model.PaperWidth = 600;
        plan.model.PaperHeight = 400;
        core::CopyTruncated(plan.model.CommandSet, u"TSC");
    }

    std::string LogText() const { return log.Contents(u"C:\\InstallPrinter.txt"); }
};

// The file's path in the install folder.
inline core::u16 InFolder(core::u16view name) { return kInstallFolder + u"\\" + core::u16(name); }

}  // namespace engine_test
