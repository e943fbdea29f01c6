/* The printer service program ("VorskPrinterService.exe", registered by the
 * installer as the service "TarnelPrinter Service").
 *
 * A placeholder: a well-behaved Windows service that does no work. It
 * connects to the service control manager at once, reports that it runs,
 * accepts stop and shutdown requests, and reports that it stopped.
 *
 * Started as a plain program, without the service control manager, it
 * shows nothing and ends with the error of the failed connection
 * (ERROR_FAILED_SERVICE_CONTROLLER_CONNECT, 1063).
 */
#include <windows.h>

static WCHAR kServiceName[] = L"TarnelPrinter Service";

static SERVICE_STATUS_HANDLE g_status_handle;
static LONG g_checkpoint;
static HANDLE g_stop_event;

/* Called from the service's thread and from the control handler's thread:
 * every report is built afresh, and only the check point is shared. */
static void ReportStatus(DWORD state, DWORD exit_code, DWORD wait_hint)
{
    SERVICE_STATUS status;
    ZeroMemory(&status, sizeof status);
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwWin32ExitCode = exit_code;
    status.dwWaitHint = wait_hint;
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    const BOOL pending = state != SERVICE_RUNNING && state != SERVICE_STOPPED;
    status.dwCheckPoint = pending ? (DWORD)InterlockedIncrement(&g_checkpoint) : 0;
    SetServiceStatus(g_status_handle, &status);
}

static DWORD WINAPI ControlHandler(DWORD control, DWORD event_type, LPVOID event_data, LPVOID context)
{
    (void)event_type;
    (void)event_data;
    (void)context;
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        ReportStatus(SERVICE_STOP_PENDING, NO_ERROR, 3000);
        SetEvent(g_stop_event);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

static VOID WINAPI ServiceMain(DWORD argc, LPWSTR* argv)
{
    (void)argc;
    (void)argv;
    g_status_handle = RegisterServiceCtrlHandlerExW(kServiceName, ControlHandler, NULL);
    if (!g_status_handle)
        return;
    ReportStatus(SERVICE_START_PENDING, NO_ERROR, 3000);
    g_stop_event = CreateEventW(NULL, TRUE, FALSE, NULL);
    if (!g_stop_event) {
        ReportStatus(SERVICE_STOPPED, GetLastError(), 0);
        return;
    }
    ReportStatus(SERVICE_RUNNING, NO_ERROR, 0);
    WaitForSingleObject(g_stop_event, INFINITE);
    /* The handle stays open: the control handler may still run on the
     * dispatcher's thread until the manager has the final status. */
    ReportStatus(SERVICE_STOPPED, NO_ERROR, 0);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show)
{
    (void)instance;
    (void)previous;
    (void)command_line;
    (void)show;
    const SERVICE_TABLE_ENTRYW table[] = {
        {kServiceName, ServiceMain},
        {NULL, NULL},
    };
    if (!StartServiceCtrlDispatcherW(table)) {
        const DWORD error = GetLastError();
        return error ? (int)error : 1;
    }
    return 0;
}
