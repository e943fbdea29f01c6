// One run of the uninstaller, from finding the installation to the last
// message, without windows: the dialogs go through UninstallUi.
#pragma once

#include "os/profile.h"
#include "uninstall/command_line.h"
#include "uninstall/installation.h"
#include "uninstall/removal_log.h"
#include "uninstall/removal_plan.h"
#include "uninstall/removal_run.h"

namespace uninstall {

class UninstallUi {
public:
    virtual ~UninstallUi() = default;
    // A question with Yes and No; true for Yes.
    virtual bool Ask(const core::u16& caption, const core::u16& text) = 0;
    // A message with OK; `warning` shows it as one.
    virtual void Tell(const core::u16& caption, const core::u16& text, bool warning) = 0;
};

struct SessionResult {
    int exitCode = kExitNotFound;
    // The program's own file and folder go after it ends, and then the data
    // folder when it is empty.
    bool removeProgram = false;
    core::u16 installFolder;
    core::u16 dataFolder;
};

// Finds the installation beside `uninstallerPath`, plans, asks (unless
// options.silent), removes, and tells the outcome (unless silent).
// `chineseWithoutKey` chooses the language when no product key says it.
SessionResult RunSession(const Options& options, core::u16view uninstallerPath, const SystemFacts& facts,
                         bool chineseWithoutKey, RemovalServices& services, os::ProfileReader& profiles,
                         RemovalLog& log, UninstallUi& ui);

}  // namespace uninstall
