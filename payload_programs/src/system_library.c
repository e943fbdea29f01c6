/* Loading a system library by its full path in the system folder. */
#include "system_library.h"

HMODULE LoadSystemLibrary(LPCWSTR file)
{
    WCHAR path[MAX_PATH];
    const UINT folder = GetSystemDirectoryW(path, MAX_PATH);
    const int length = lstrlenW(file);
    if (folder == 0 || folder >= MAX_PATH || length == 0 || folder + 1 + length >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return NULL;
    }
    path[folder] = L'\\';
    lstrcpyW(path + folder + 1, file);
    return LoadLibraryW(path);
}
