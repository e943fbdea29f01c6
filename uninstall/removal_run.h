// Carrying out a removal plan, and what it comes to.
//
// Steps run in plan order. A step whose prerequisites were not carried out is
// not tried. A file in use is left to the next restart (MoveFileEx); a driver
// or monitor that the spooler still holds waits for the run after the
// restart. While anything waits for a restart, the installation's records
// (product key, uninstall entry, Start-menu shortcut, "Uninstall.ini") and
// the program stay, and the run-once value makes the program finish the
// removal after the restart. Each step writes one line to the install log:
// "<call> = <Win32 code> <what>=<name>".
#pragma once

#include <cstdint>
#include <vector>

#include "uninstall/removal_log.h"
#include "uninstall/removal_plan.h"

namespace uninstall {

// Exit codes of the program.
constexpr int kExitRemoved = 0;
constexpr int kExitCancelled = 1;
constexpr int kExitNotFound = 2;
constexpr int kExitNotRemoved = 4;          // something could not be removed or was left alone
constexpr int kExitBadCommandLine = 87;     // ERROR_INVALID_PARAMETER
constexpr int kExitRestartRequired = 3010;  // ERROR_SUCCESS_REBOOT_REQUIRED

enum class StepResult {
    kDone,
    kAbsent,          // already gone
    kAtRestart,       // in use: deleted when the system restarts
    kAfterRestart,    // held by the system: the run after the restart removes it
    kFailed,
    kBlocked,         // not tried: a step it needs failed
    kKeptForRestart,  // a record kept for the run after the restart
};

struct StepOutcome {
    StepResult result = StepResult::kFailed;
    std::uint32_t code = 0;  // the Win32 code of the call (or of the step that blocked it)
};

struct RemovalOutcome {
    std::vector<StepOutcome> steps;  // one per plan step
    bool restartNeeded = false;
    bool incomplete = false;  // a step failed or was blocked, or the plan kept something
    bool runOnceSet = false;
    int exitCode = kExitRemoved;
    // The program and its folder go once the program has ended.
    bool removeProgram = false;
};

// How long a running printer service gets to stop.
constexpr std::uint32_t kServiceStopTimeoutMs = 30000;

RemovalOutcome ExecutePlan(const RemovalPlan& plan, RemovalServices& services, RemovalLog& log);

// The log lines that open a run and say what planning found.
void LogPlan(const Installation& installation, const RemovalPlan& plan, RemovalLog& log);

}  // namespace uninstall
