#include <windows.h>
#include <shlobj.h>

#include <string>

#include "os/win32/services.h"

namespace oswin {

namespace {

// SHGetSpecialFolderLocation + SHGetPathFromIDListW, as the installer has
// always resolved its folders; empty when the shell gives none.
core::u16 SpecialFolder(int csidl) {
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, &pidl)) || !pidl) return core::u16();
    wchar_t path[MAX_PATH] = {};
    const BOOL ok = ::SHGetPathFromIDListW(pidl, path);
    ::CoTaskMemFree(pidl);
    return ok ? U16(path) : core::u16();
}

}  // namespace

core::u16 Shell::PersonalFolder() { return SpecialFolder(CSIDL_PERSONAL); }

core::u16 Shell::StartMenuFolder() { return SpecialFolder(CSIDL_STARTMENU); }

core::u16 Shell::ExpandEnvironment(const core::u16& text, std::size_t capacity) {
    if (capacity == 0) return core::u16();
    std::wstring buffer(capacity, L'\0');
    const DWORD needed = ::ExpandEnvironmentStringsW(W(text), buffer.data(), static_cast<DWORD>(capacity));
    // A result that does not fit is not returned cut in the middle of a
    // variable: fall back to the text as given, cut to the capacity.
    if (needed == 0 || needed > capacity) return text.substr(0, capacity - 1);
    buffer.resize(needed - 1);
    return U16(buffer);
}

Shell& ShellFolders() {
    static Shell instance;
    return instance;
}

os::ShortcutResult Shell::CreateShortcut(const core::u16&, const core::u16&, const core::u16&) {
    return os::ShortcutResult::kNoLinkObject;  // not available in this build yet
}

}  // namespace oswin
