// Files and folders as the uninstaller removes them: links are never
// followed, files in use can be left to the next restart.
//
// Paths are absolute UTF-16 paths. The Win32 implementation works with file
// system redirection switched off in a 32-bit process on 64-bit Windows, so
// the system folder named is the one the installer wrote to. Results are 0 or
// the Win32 error code of the call that failed.
#pragma once

#include <cstdint>
#include <vector>

#include "core/text.h"

namespace os {

constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorPathNotFound = 3;
constexpr std::uint32_t kErrorSharingViolation = 32;
constexpr std::uint32_t kErrorDirNotEmpty = 145;
constexpr std::uint32_t kErrorUserMappedFile = 1224;

// A reparse point (symbolic link, junction, mount point) is a link: it is
// removed itself and never entered.
enum class PathKind {
    kMissing,
    kFile,
    kFolder,
    kFileLink,
    kFolderLink,
};

struct FolderEntry {
    core::u16 name;
    PathKind kind = PathKind::kFile;
};

class FileRemoval {
public:
    virtual ~FileRemoval() = default;

    // What the path names, without following a link at its end.
    virtual PathKind Kind(const core::u16& path) = 0;

    // One folder, not recursive, without "." and "..". False when the folder
    // cannot be listed.
    virtual bool List(const core::u16& folder, std::vector<FolderEntry>* entries) = 0;

    // Deletes a file (a read-only one too) or a link to a file. 2 when it
    // does not exist; 5, 32 or 1224 typically mean it is in use.
    virtual std::uint32_t DeleteFile(const core::u16& path) = 0;

    // Removes an empty folder, or a link to a folder without touching its
    // target. 145 when the folder is not empty.
    virtual std::uint32_t RemoveFolder(const core::u16& path) = 0;

    // Renames a file that is in use to a new name in its folder that no
    // file has yet ("<path>.<n>.del"), which Windows allows for a loaded
    // library; *aside receives the new path. A file opened without delete
    // sharing cannot be renamed.
    virtual std::uint32_t RenameAside(const core::u16& path, core::u16* aside) = 0;

    // MoveFileExW(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT): the file, or an
    // empty folder, is deleted when the system next starts.
    virtual std::uint32_t DeleteAtRestart(const core::u16& path) = 0;
};

}  // namespace os
