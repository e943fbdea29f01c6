#include "uninstall/finish.h"

#include "uninstall/paths.h"
#include "uninstall/removal_plan.h"

namespace uninstall {

namespace {

bool InUse(std::uint32_t code) {
    return code == os::kErrorAccessDenied || code == os::kErrorSharingViolation || code == os::kErrorUserMappedFile;
}

}  // namespace

FinishResult FinishRemoval(const Options& options, const std::vector<core::u16>& protectedFolders,
                           os::FileRemoval& files, RemovalLog& log, const std::function<void()>& pause) {
    core::u16 folder, data;
    if (!CanonicalPath(options.folder, &folder) || IsProtectedFolder(folder, protectedFolders)) {
        log.Line("**** Kept Directory=%s Reason=ProtectedFolder\r\n", log.Ansi(options.folder).c_str());
        return FinishResult::kRefused;
    }
    if (!options.dataFolder.empty() &&
        (!CanonicalPath(options.dataFolder, &data) || !SamePath(data, ParentFolder(folder)) ||
         IsProtectedFolder(data, protectedFolders)))
        data.clear();

    const core::u16 program = JoinPath(folder, kProgramFile);
    std::uint32_t code = files.DeleteFile(program);
    for (int attempt = 1; attempt < kFinishAttempts && InUse(code); ++attempt) {
        pause();
        code = files.DeleteFile(program);
    }
    if (InUse(code)) {
        // Renamed first where possible, so that a new installation into the
        // same folder before the restart keeps its own program.
        core::u16 aside;
        const core::u16& doomed = files.RenameAside(program, &aside) == 0 ? aside : program;
        const std::uint32_t later = files.DeleteAtRestart(doomed);
        log.Line("DeleteFile = %u FileName=%s AtRestart\r\n", static_cast<unsigned>(code), log.Ansi(doomed).c_str());
        if (later != 0) return FinishResult::kFolderKept;
        const std::uint32_t folderLater = files.DeleteAtRestart(folder);
        log.Line("RemoveDirectory = %u Directory=%s AtRestart\r\n", static_cast<unsigned>(folderLater),
                 log.Ansi(folder).c_str());
        return FinishResult::kAtRestart;
    }
    log.Line("DeleteFile = %u FileName=%s\r\n", static_cast<unsigned>(code), log.Ansi(program).c_str());

    code = files.RemoveFolder(folder);
    log.Line("RemoveDirectory = %u Directory=%s\r\n", static_cast<unsigned>(code), log.Ansi(folder).c_str());
    if (code != 0 && code != os::kErrorFileNotFound && code != os::kErrorPathNotFound) return FinishResult::kFolderKept;
    if (!data.empty()) {
        // Only when nothing else is in it: it is the folder chosen in the
        // wizard, which may hold other things.
        code = files.RemoveFolder(data);
        if (code != os::kErrorDirNotEmpty)
            log.Line("RemoveDirectory = %u Directory=%s\r\n", static_cast<unsigned>(code), log.Ansi(data).c_str());
    }
    return FinishResult::kRemoved;
}

}  // namespace uninstall
