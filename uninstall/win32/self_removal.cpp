#include "uninstall/win32/self_removal.h"

#include <windows.h>

#include <string>

#include "os/win32/services.h"
#include "uninstall/finish.h"
#include "uninstall/paths.h"
#include "uninstall/win32/system_facts.h"
#include "win/handles.h"

namespace uninstall_win {

namespace {

constexpr DWORD kParentWaitMs = 60000;
constexpr DWORD kRetryPauseMs = 250;

core::u16 Hex(std::uint64_t value) {
    static const char16_t digits[] = u"0123456789abcdef";
    core::u16 out;
    do {
        out.insert(out.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value);
    return out;
}

// A new, uniquely named copy of the program in the temporary folder.
bool CopyToTemp(const core::u16& ownPath, core::u16* copy, DWORD* error) {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) {
        *error = ::GetLastError();
        return false;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const core::u16 name = oswin::U16(temp) + u"OzrUninstall-" + Hex(::GetCurrentProcessId()) + u"-" +
                               Hex(::GetTickCount64() + static_cast<std::uint64_t>(attempt)) + u".exe";
        if (::CopyFileW(oswin::W(ownPath), oswin::W(name), TRUE)) {
            *copy = name;
            return true;
        }
        *error = ::GetLastError();
        if (*error != ERROR_FILE_EXISTS && *error != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

}  // namespace

bool StartFinishingRun(const uninstall::SessionResult& result, const uninstall::Options& options,
                       const core::u16& ownPath, uninstall::RemovalLog& log) {
    core::u16 copy;
    DWORD error = 0;
    if (!CopyToTemp(ownPath, &copy, &error)) {
        log.Line("CopyFile = %lu FileName=%s\r\n", error, log.Ansi(ownPath).c_str());
        return false;
    }
    // Deleted once the copy's process has ended and this handle, which the
    // copy does not inherit, is closed with this process. Opening the image
    // for the new process needs read and delete sharing, which this allows.
    win::UniqueFile deleteOnClose(::CreateFileW(oswin::W(copy), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                                nullptr, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!deleteOnClose) {
        error = ::GetLastError();
        ::DeleteFileW(oswin::W(copy));
        log.Line("CreateFile = %lu FileName=%s\r\n", error, log.Ansi(copy).c_str());
        return false;
    }

    HANDLE self = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(), &self, SYNCHRONIZE,
                           TRUE, 0)) {
        log.Line("DuplicateHandle = %lu\r\n", ::GetLastError());
        return false;
    }
    win::UniqueHandle selfHandle(self);

    core::u16 command = uninstall::QuoteArgument(copy) + u" /FINISH=" +
                        Hex(static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(self))) + u" " +
                        uninstall::QuoteArgument(u"/FOLDER=" + result.installFolder);
    if (!result.dataFolder.empty()) command += u" " + uninstall::QuoteArgument(u"/DATA=" + result.dataFolder);
    if (options.silent) command += u" /S";
    if (!options.logFile.empty()) command += u" " + uninstall::QuoteArgument(u"/LOG=" + options.logFile);

    // The copy works from the temporary folder: a process's current folder
    // cannot be removed while it runs.
    const core::u16 tempFolder = uninstall::ParentFolder(copy);
    std::wstring line = oswin::Wide(command);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(oswin::W(copy), line.data(), nullptr, nullptr, TRUE, 0, nullptr, oswin::W(tempFolder),
                          &startup, &process)) {
        error = ::GetLastError();
        log.Line("CreateProcess = %lu FileName=%s\r\n", error, log.Ansi(copy).c_str());
        return false;  // closing the delete-on-close handle removes the copy
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    log.Line("CreateProcess = 0 FileName=%s\r\n", log.Ansi(copy).c_str());
    // Stays open until this process ends, so the copy's file stays in place
    // while it starts.
    deleteOnClose.Release();
    return true;
}

void ScheduleOwnRemoval(const uninstall::SessionResult& result, const core::u16& ownPath, os::FileRemoval& files,
                        uninstall::RemovalLog& log) {
    for (const core::u16* path : {&ownPath, &result.installFolder, &result.dataFolder}) {
        if (path->empty()) continue;
        log.Line("MoveFileEx = %u FileName=%s AtRestart\r\n", static_cast<unsigned>(files.DeleteAtRestart(*path)),
                 log.Ansi(*path).c_str());
    }
}

int RunFinishing(const uninstall::Options& options, os::FileRemoval& files, uninstall::RemovalLog& log) {
    HANDLE parent = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(options.waitHandle));
    ::WaitForSingleObject(parent, kParentWaitMs);
    ::CloseHandle(parent);
    uninstall::FinishRemoval(options, ProtectedFolders(), files, log, [] { ::Sleep(kRetryPauseMs); });
    return uninstall::kExitRemoved;
}

}  // namespace uninstall_win
