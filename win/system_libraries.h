// Library loading that cannot be redirected to a planted DLL.
//
// The installer runs elevated, often from a downloads folder. Its import
// table names only libraries that Windows always takes from the system
// folder (the KnownDLLs) plus comctl32, which the manifest binds to the
// system's side-by-side copy. Everything else is loaded here, by full path
// from the system folder, after the process-wide search has been restricted
// to the system folder.
#pragma once

#include <windows.h>

namespace win {

// Restricts the default DLL search of the process to the system folder
// (SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32), looked up at run
// time so older systems without it still start) and removes the current
// folder from the search (SetDllDirectoryW(L"")). Call first thing.
void HardenLibrarySearch();

// Loads `fileName` (e.g. L"winspool.drv") from the system folder by its full
// path; null on failure (GetLastError tells why). The module stays loaded for
// the life of the process.
HMODULE LoadSystemLibrary(const wchar_t* fileName);

// Looks `name` up in `module` into the typed function pointer *slot; null
// when the module lacks it.
template <typename F>
void ResolveProc(HMODULE module, const char* name, F* slot) {
    *slot = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace win
