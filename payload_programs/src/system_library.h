/* Loading a system library by its full path in the system folder, never
 * through the library search path (which starts in the calling program's own
 * folder). */
#ifndef PAYLOAD_PROGRAMS_SYSTEM_LIBRARY_H
#define PAYLOAD_PROGRAMS_SYSTEM_LIBRARY_H

#include <windows.h>

/* `file` is a bare file name such as L"winspool.drv". NULL with the thread's
 * last error set when the library cannot be loaded. Free with FreeLibrary. */
HMODULE LoadSystemLibrary(LPCWSTR file);

#endif
