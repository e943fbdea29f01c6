/* Placeholder port monitor.
 *
 * The spooler loads a port monitor and calls its InitializePrintMonitor2
 * export; a NULL result with the thread's last error set makes AddMonitor
 * fail with that error instead of registering a monitor that cannot work.
 */
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

__declspec(dllexport) LPMONITOR2 WINAPI InitializePrintMonitor2(PMONITORINIT init, PHANDLE monitor)
{
    (void)init;
    if (monitor)
        *monitor = NULL;
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return NULL;
}
