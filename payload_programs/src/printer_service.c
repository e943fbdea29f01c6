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
static SERVICE_STATUS g_status;
static HANDLE g_stop_event;

static void ReportStatus(DWORD state, DWORD exit_code, DWORD wait_hint)
{
    g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    g_status.dwCurrentState = state;
    g_status.dwWin32ExitCode = exit_code;
    g_status.dwServiceSpecificExitCode = 0;
    g_status.dwWaitHint = wait_hint;
    g_status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    if (state == SERVICE_RUNNING || state == SERVICE_STOPPED)
        g_status.dwCheckPoint = 0;
    else
        ++g_status.dwCheckPoint;
    SetServiceStatus(g_status_handle, &g_status);
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
