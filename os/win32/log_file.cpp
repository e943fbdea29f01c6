#include <windows.h>

#include "os/win32/services.h"
#include "win/handles.h"

namespace oswin {

bool LogSink::AppendToLog(const core::u16& path, std::string_view bytes) {
    // FILE_FLAG_OPEN_REPARSE_POINT opens a planted symbolic link or junction
    // itself instead of its target; the checks below then refuse it.
    win::UniqueFile file(::CreateFileW(W(path), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.Get(), &info)) return false;
    if (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))
        return false;
    if (info.nNumberOfLinks > 1) return false;
    if (::GetFileType(file.Get()) != FILE_TYPE_DISK) return false;
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(bytes.size());
    if (size == 0) return true;
    return ::WriteFile(file.Get(), bytes.data(), size, &written, nullptr) && written == size;
}

LogSink& Logs() {
    static LogSink instance;
    return instance;
}

}  // namespace oswin
