#include <windows.h>
#include <shlobj.h>

#include <string>

#include "os/win32/services.h"
#include "win/handles.h"

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

namespace {

// The shell's link object and the two interfaces used on it, spelled out
// here so that no GUID library is needed.
const CLSID kShellLinkClass = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kShellLinkWideInterface = {0x000214F9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kPersistFileInterface = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

}  // namespace

os::ShortcutResult Shell::CreateShortcut(const core::u16& target, const core::u16& workingFolder,
                                         const core::u16& linkPath) {
    // Only a fresh apartment of our own: a thread that had COM already is
    // left alone (S_FALSE is still balanced by the scope's CoUninitialize).
    const win::ComScope com(COINIT_APARTMENTTHREADED);
    if (!com.Fresh()) return os::ShortcutResult::kComNotFresh;
    // The interfaces are released before the scope ends COM.
    win::ComPtr<IShellLinkW> link;
    win::ComPtr<IPersistFile> file;
    if (FAILED(::CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, kShellLinkWideInterface,
                                  link.PutVoid())) ||
        !link || FAILED(link->QueryInterface(kPersistFileInterface, file.PutVoid())) || !file) {
        return os::ShortcutResult::kNoLinkObject;
    }
    // SetPath answers S_FALSE for a target that does not exist yet but keeps
    // it; the results are not looked at.
    link->SetPath(W(target));
    link->SetWorkingDirectory(W(workingFolder));
    file->Save(W(linkPath), TRUE);
    return os::ShortcutResult::kSaved;
}

}  // namespace oswin
