// The last part of a removal, run from the temporary copy once the program
// in the install folder has ended: the program's own file, then its folder
// and the chosen folder above it when they are empty.
#pragma once

#include <functional>
#include <vector>

#include "os/file_removal.h"
#include "uninstall/command_line.h"
#include "uninstall/removal_log.h"

namespace uninstall {

inline constexpr char16_t kProgramFile[] = u"Uninstaller.exe";

// How often the program file is tried while the ended process still holds
// it, with `pause` between two tries.
constexpr int kFinishAttempts = 20;

enum class FinishResult {
    kRemoved,      // program and folder are gone
    kAtRestart,    // left to the next restart
    kFolderKept,   // the folder holds something else and stays
    kRefused,      // the folders named are not ones this program may remove
};

// Removes "<options.folder>\Uninstaller.exe", then the folder, then
// options.dataFolder, the folders only when empty. The folder must be a plain
// absolute path that is no protected folder, and the data folder must be its
// parent and not protected either; otherwise nothing is touched.
FinishResult FinishRemoval(const Options& options, const std::vector<core::u16>& protectedFolders,
                           os::FileRemoval& files, RemovalLog& log, const std::function<void()>& pause);

}  // namespace uninstall
