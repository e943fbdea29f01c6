#include "uninstall/win32/system_facts.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "os/win32/services.h"

namespace uninstall_win {

namespace {

core::u16 Folder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return core::u16();
    return oswin::U16(path);
}

core::u16 Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    const DWORD n = ::GetEnvironmentVariableW(name, value, MAX_PATH);
    return n > 0 && n < MAX_PATH ? oswin::U16(value) : core::u16();
}

}  // namespace

core::u16 OwnPath() {
    std::wstring path(32768, L'\0');
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0 || n >= path.size()) return core::u16();
    path.resize(n);
    // Started through a short name, the program would not recognise its
    // folder in the product key's long one.
    std::wstring longPath(32768, L'\0');
    const DWORD m = ::GetLongPathNameW(path.c_str(), longPath.data(), static_cast<DWORD>(longPath.size()));
    if (m > 0 && m < longPath.size()) {
        longPath.resize(m);
        return oswin::U16(longPath);
    }
    return oswin::U16(path);
}

std::vector<core::u16> ProtectedFolders() {
    std::vector<core::u16> out;
    const int folders[] = {CSIDL_WINDOWS,         CSIDL_SYSTEM,           CSIDL_SYSTEMX86,
                           CSIDL_PROGRAM_FILES,   CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON,
                           CSIDL_PROFILE,         CSIDL_PERSONAL,         CSIDL_COMMON_DOCUMENTS,
                           CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_APPDATA,
                           CSIDL_LOCAL_APPDATA,   CSIDL_COMMON_APPDATA,   CSIDL_STARTMENU,
                           CSIDL_COMMON_STARTMENU, CSIDL_PROGRAMS,        CSIDL_COMMON_PROGRAMS,
                           CSIDL_STARTUP,         CSIDL_COMMON_STARTUP,   CSIDL_FONTS};
    for (int csidl : folders) {
        core::u16 path = Folder(csidl);
        if (!path.empty()) out.push_back(std::move(path));
    }
    for (const wchar_t* name : {L"ProgramW6432", L"ProgramFiles", L"ProgramFiles(x86)", L"SystemRoot"}) {
        core::u16 path = Environment(name);
        if (!path.empty()) out.push_back(std::move(path));
    }
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
    if (n > 0 && n <= MAX_PATH) out.push_back(oswin::U16(temp));
    return out;
}

uninstall::SystemFacts GatherFacts(os::SpoolerAdmin& spooler) {
    uninstall::SystemFacts facts;
    // The 64-bit build runs only on 64-bit Windows; the 32-bit one on 32-bit
    // Windows unless it runs under WoW64.
    facts.windows32 = sizeof(void*) == 4 && !oswin::System().IsRunningOnWow64();
    facts.driverDirectory = spooler.DriverDirectory(u"");
    facts.driverStore = spooler.DriverDirectory(uninstall::DriverEnvironment(facts));
    facts.systemDirectory = oswin::System().SystemDirectory();
    for (int csidl : {CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU}) {
        core::u16 path = Folder(csidl);
        if (!path.empty()) facts.startMenuRoots.push_back(std::move(path));
    }
    facts.protectedFolders = ProtectedFolders();
    for (const core::u16* d : {&facts.driverDirectory, &facts.driverStore, &facts.systemDirectory})
        if (!d->empty()) facts.protectedFolders.push_back(*d);
    return facts;
}

bool UserWantsChinese() { return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_CHINESE; }

}  // namespace uninstall_win
