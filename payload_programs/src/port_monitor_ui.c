/* The port monitor's user interface ("Rad80PrinterMonUI.dll", installed into
 * the system folder as "<printer>MonUI.dll").
 *
 * The spooler loads it when a user adds, configures or deletes one of the
 * monitor's ports. It shows no dialog yet:
 * - adding a port this way is not supported (the installer adds its port
 *   with AddPortEx, which needs no interface);
 * - a port has nothing to configure, so configuring succeeds at once;
 * - deleting a port asks the monitor to delete it, through the transceiver
 *   command "DeletePort" on the port, as the spooler's own port interfaces
 *   do.
 */
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include "system_library.h"

#define EXPORT __declspec(dllexport)

typedef BOOL(WINAPI* OpenPrinterFn)(LPWSTR, LPHANDLE, LPPRINTER_DEFAULTSW);
typedef BOOL(WINAPI* ClosePrinterFn)(HANDLE);
typedef BOOL(WINAPI* XcvDataFn)(HANDLE, PCWSTR, PBYTE, DWORD, PBYTE, DWORD, PDWORD, PDWORD);

static BOOL WINAPI UiAddPort(PCWSTR pszServer, HWND hWnd, PCWSTR pszPortNameIn, PWSTR* ppszPortNameOut)
{
    (void)pszServer;
    (void)hWnd;
    (void)pszPortNameIn;
    if (ppszPortNameOut)
        *ppszPortNameOut = NULL;
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

static BOOL WINAPI UiConfigurePort(PCWSTR pName, HWND hWnd, PCWSTR pPortName)
{
    (void)pName;
    (void)hWnd;
    if (!pPortName || !pPortName[0]) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

/* "[\\server],XcvPort <port>", the name that opens a port's transceiver. */
static WCHAR* XcvPortObject(PCWSTR server, PCWSTR port)
{
    static const WCHAR kXcvPort[] = L",XcvPort ";
    const int server_chars = server ? lstrlenW(server) : 0;
    const SIZE_T chars = (SIZE_T)server_chars + ARRAYSIZE(kXcvPort) + (SIZE_T)lstrlenW(port);
    WCHAR* object = HeapAlloc(GetProcessHeap(), 0, chars * sizeof(WCHAR));
    if (!object)
        return NULL;
    object[0] = L'\0';
    if (server_chars)
        lstrcpyW(object, server);
    lstrcatW(object, kXcvPort);
    lstrcatW(object, port);
    return object;
}

static BOOL WINAPI UiDeletePort(PCWSTR pszServer, HWND hWnd, PCWSTR pszPortName)
{
    (void)hWnd;
    if (!pszPortName || !pszPortName[0]) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    HMODULE spooler = LoadSystemLibrary(L"winspool.drv");
    if (!spooler)
        return FALSE;
    OpenPrinterFn open_printer = (OpenPrinterFn)(void*)GetProcAddress(spooler, "OpenPrinterW");
    ClosePrinterFn close_printer = (ClosePrinterFn)(void*)GetProcAddress(spooler, "ClosePrinter");
    XcvDataFn xcv_data = (XcvDataFn)(void*)GetProcAddress(spooler, "XcvDataW");
    DWORD error = ERROR_PROC_NOT_FOUND;
    if (open_printer && close_printer && xcv_data) {
        WCHAR* object = XcvPortObject(pszServer, pszPortName);
        PRINTER_DEFAULTSW defaults = {NULL, NULL, SERVER_ACCESS_ADMINISTER};
        HANDLE xcv = NULL;
        if (!object) {
            error = ERROR_NOT_ENOUGH_MEMORY;
        } else if (!open_printer(object, &xcv, &defaults)) {
            error = GetLastError();
        } else {
            DWORD needed = 0, status = ERROR_SUCCESS;
            const DWORD bytes = (DWORD)(lstrlenW(pszPortName) + 1) * sizeof(WCHAR);
            if (xcv_data(xcv, L"DeletePort", (PBYTE)pszPortName, bytes, NULL, 0, &needed, &status))
                error = status;
            else
                error = GetLastError();
            close_printer(xcv);
        }
        if (object)
            HeapFree(GetProcessHeap(), 0, object);
    }
    FreeLibrary(spooler);
    SetLastError(error);
    return error == ERROR_SUCCESS;
}

static const MONITORUI kMonitorUI = {
    .dwMonitorUISize = sizeof(MONITORUI),
    .pfnAddPortUI = UiAddPort,
    .pfnConfigurePortUI = UiConfigurePort,
    .pfnDeletePortUI = UiDeletePort,
};

EXPORT PMONITORUI WINAPI InitializePrintMonitorUI(VOID)
{
    return (PMONITORUI)&kMonitorUI;
}
