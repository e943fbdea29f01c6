// Removing the running program and its folder once it has ended.
//
// A program cannot delete its own file while it runs. So, when the removal
// is otherwise done, the program copies itself into the temporary folder,
// opens the copy so that it is deleted when the last handle to it closes
// (FILE_FLAG_DELETE_ON_CLOSE), and starts the copy with /FINISH. The copy
// waits for the program to end, deletes it and the folders left empty
// (uninstall::FinishRemoval), and ends; the system then deletes the copy
// itself, as its file was opened for deletion on close. No helper stays
// behind. When the copy cannot be made or started, the program's file and
// folders are left to the next restart instead (MoveFileEx).
#pragma once

#include "os/file_removal.h"
#include "uninstall/command_line.h"
#include "uninstall/removal_log.h"
#include "uninstall/session.h"

namespace uninstall_win {

// Starts the finishing run. False (with the reason logged) when it could
// not be started; the caller then falls back to ScheduleOwnRemoval.
bool StartFinishingRun(const uninstall::SessionResult& result, const uninstall::Options& options,
                       const core::u16& ownPath, uninstall::RemovalLog& log);

// Leaves the program's file, then its folder and the data folder, to the
// next restart.
void ScheduleOwnRemoval(const uninstall::SessionResult& result, const core::u16& ownPath, os::FileRemoval& files,
                        uninstall::RemovalLog& log);

// The finishing run itself: waits for the first run to end, then removes its
// file and folders. Returns the program's exit code (0).
int RunFinishing(const uninstall::Options& options, os::FileRemoval& files, uninstall::RemovalLog& log);

}  // namespace uninstall_win
