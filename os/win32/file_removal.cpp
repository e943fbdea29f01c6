#include <windows.h>

#include "os/win32/removal_services.h"
#include "os/win32/services.h"
#include "win/handles.h"
#include "win/system_libraries.h"

namespace oswin {

namespace {

// File-system redirection off for the calling thread while it lives, in a
// 32-bit process on 64-bit Windows; nothing otherwise.
class NoRedirection {
public:
    NoRedirection() {
        HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
        using DisableFn = BOOL(WINAPI*)(PVOID*);
        DisableFn disable = nullptr;
        win::ResolveProc(kernel, "Wow64DisableWow64FsRedirection", &disable);
        win::ResolveProc(kernel, "Wow64RevertWow64FsRedirection", &revert_);
        active_ = disable && revert_ && disable(&old_);
    }
    ~NoRedirection() {
        if (active_) revert_(old_);
    }
    NoRedirection(const NoRedirection&) = delete;
    NoRedirection& operator=(const NoRedirection&) = delete;

private:
    BOOL(WINAPI* revert_)(PVOID) = nullptr;
    PVOID old_ = nullptr;
    bool active_ = false;
};

os::PathKind KindOf(DWORD attributes) {
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return folder ? os::PathKind::kFolderLink : os::PathKind::kFileLink;
    return folder ? os::PathKind::kFolder : os::PathKind::kFile;
}

}  // namespace

os::PathKind FileRemoval::Kind(const core::u16& path) {
    NoRedirection scope;
    const DWORD attributes = ::GetFileAttributesW(W(path));
    return attributes == INVALID_FILE_ATTRIBUTES ? os::PathKind::kMissing : KindOf(attributes);
}

bool FileRemoval::List(const core::u16& folder, std::vector<os::FolderEntry>* entries) {
    NoRedirection scope;
    entries->clear();
    const core::u16 pattern = folder + u"\\*";
    WIN32_FIND_DATAW data;
    win::UniqueFind find(::FindFirstFileExW(W(pattern), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    if (!find) return ::GetLastError() == ERROR_FILE_NOT_FOUND;  // an empty drive root lists nothing
    do {
        const core::u16 name = U16(data.cFileName);
        if (name == u"." || name == u"..") continue;
        entries->push_back({name, KindOf(data.dwFileAttributes)});
    } while (::FindNextFileW(find.Get(), &data));
    return true;
}

std::uint32_t FileRemoval::DeleteFile(const core::u16& path) {
    NoRedirection scope;
    const DWORD attributes = ::GetFileAttributesW(W(path));
    if (attributes == INVALID_FILE_ATTRIBUTES) return ::GetLastError();
    if (attributes & FILE_ATTRIBUTE_READONLY) ::SetFileAttributesW(W(path), attributes & ~FILE_ATTRIBUTE_READONLY);
    return ::DeleteFileW(W(path)) ? 0 : ::GetLastError();
}

std::uint32_t FileRemoval::RemoveFolder(const core::u16& path) {
    NoRedirection scope;
    // On a junction or a link to a folder this removes the link, never what
    // it points to.
    return ::RemoveDirectoryW(W(path)) ? 0 : ::GetLastError();
}

std::uint32_t FileRemoval::RenameAside(const core::u16& path, core::u16* aside) {
    NoRedirection scope;
    DWORD error = ERROR_FILE_EXISTS;
    for (int n = 1; n < 100 && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS); ++n) {
        const core::u16 candidate = path + u"." + core::DecimalU16(n) + u".del";
        if (::MoveFileExW(W(path), W(candidate), 0)) {
            *aside = candidate;
            return 0;
        }
        error = ::GetLastError();
    }
    return error;
}

std::uint32_t FileRemoval::DeleteAtRestart(const core::u16& path) {
    NoRedirection scope;
    return ::MoveFileExW(W(path), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) ? 0 : ::GetLastError();
}

}  // namespace oswin
