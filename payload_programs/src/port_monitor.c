/* The port monitor ("Rad80PrinterMon.dll", installed into the system folder
 * as "<printer>Mon.dll" and registered with the spooler on 32-bit Windows).
 *
 * A placeholder that behaves as a monitor should, without a device behind
 * it:
 * - it keeps the ports it is given (AddPortEx, or the "AddPort" transceiver
 *   command) as sub-keys of "Ports" under its own monitor key, and lists,
 *   opens and deletes them;
 * - a print job on one of its ports is accepted and its bytes are discarded;
 *   at the end of the job the spooler is told that the job was sent.
 *
 * Where the keys live: the spooler hands a monitor its registry key together
 * with registry functions to reach it (MONITORINIT). When those functions do
 * not work (Wine's are stubs), the monitor finds its key itself under
 * HKLM\SYSTEM\CurrentControlSet\Control\Print\Monitors, as the one whose
 * "Driver" value names this library's file; when that fails too, the ports
 * live only as long as the monitor is loaded.
 *
 * The ports' key layout (one sub-key per port) is also the one Wine's
 * spooler reads to find the monitor that owns a port.
 */
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include "system_library.h"

#define EXPORT __declspec(dllexport)

static const WCHAR kPortsKey[] = L"Ports";
static const WCHAR kMonitorsKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors";
static const WCHAR kPortDescription[] = L"Label printer port";

enum {
    /* Registry key names are at most 255 characters. */
    MAX_PORT_CHARS = 255,
    MAX_MONITOR_NAME_CHARS = 255
};

typedef enum Store {
    STORE_MEMORY,   /* ports are forgotten when the monitor unloads */
    STORE_SPOOLER,  /* through the spooler's MONITORREG functions */
    STORE_REGISTRY  /* through the registry functions, on our own key */
} Store;

typedef struct Port {
    struct Port* next;
    WCHAR name[MAX_PORT_CHARS + 1];
} Port;

typedef struct Monitor {
    CRITICAL_SECTION lock;
    Store store;
    /* STORE_SPOOLER */
    HANDLE spooler;
    HANDLE root;
    MONITORREG reg;
    /* STORE_REGISTRY */
    HKEY key;
    WCHAR name[MAX_MONITOR_NAME_CHARS + 1]; /* "" until known */
    Port* ports;
} Monitor;

typedef struct PortHandle {
    Monitor* monitor;
    WCHAR port[MAX_PORT_CHARS + 1];
    WCHAR* printer; /* the printer of the job in progress, or NULL */
    DWORD job;
} PortHandle;

typedef struct XcvHandle {
    Monitor* monitor;
    ACCESS_MASK access;
} XcvHandle;

static HINSTANCE g_instance;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        g_instance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

static void* Alloc(SIZE_T size)
{
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size);
}

static void Free(void* p)
{
    if (p)
        HeapFree(GetProcessHeap(), 0, p);
}

/* A port name this monitor accepts: 1 to 255 characters, none of which is a
 * backslash (it could not name a registry key) or a comma (it separates the
 * ports in a printer's port list). */
static BOOL ValidPortName(LPCWSTR name)
{
    if (!name || !name[0])
        return FALSE;
    int n = 0;
    for (; name[n]; ++n) {
        if (n >= MAX_PORT_CHARS || name[n] == L'\\' || name[n] == L',' || name[n] < 0x20)
            return FALSE;
    }
    return TRUE;
}

/* ------------------------------------------------------------------------
 * The list in memory. Callers hold the lock. */

static Port* FindPort(Monitor* m, LPCWSTR name)
{
    for (Port* p = m->ports; p; p = p->next) {
        if (lstrcmpiW(p->name, name) == 0)
            return p;
    }
    return NULL;
}

static BOOL RememberPort(Monitor* m, LPCWSTR name)
{
    if (FindPort(m, name))
        return TRUE;
    Port* p = Alloc(sizeof *p);
    if (!p)
        return FALSE;
    lstrcpynW(p->name, name, ARRAYSIZE(p->name));
    /* Appended, so that the ports keep the order they were added in. */
    Port** tail = &m->ports;
    while (*tail)
        tail = &(*tail)->next;
    *tail = p;
    return TRUE;
}

static void ForgetPort(Monitor* m, LPCWSTR name)
{
    for (Port** link = &m->ports; *link; link = &(*link)->next) {
        if (lstrcmpiW((*link)->name, name) == 0) {
            Port* gone = *link;
            *link = gone->next;
            Free(gone);
            return;
        }
    }
}

/* ------------------------------------------------------------------------
 * The "Ports" key, through whichever store the monitor has. */

static LONG OpenPortsKey(Monitor* m, HANDLE* ports)
{
    DWORD disposition = 0;
    *ports = NULL;
    if (m->store == STORE_SPOOLER)
        return m->reg.fpCreateKey(m->root, kPortsKey, 0, KEY_ALL_ACCESS, NULL, ports, &disposition, m->spooler);
    if (m->store == STORE_REGISTRY) {
        HKEY key = NULL;
        const LONG rc =
            RegCreateKeyExW(m->key, kPortsKey, 0, NULL, 0, KEY_READ | KEY_WRITE, NULL, &key, &disposition);
        *ports = key;
        return rc;
    }
    return ERROR_SUCCESS;
}

static void ClosePortsKey(Monitor* m, HANDLE ports)
{
    if (!ports)
        return;
    if (m->store == STORE_SPOOLER)
        m->reg.fpCloseKey(ports, m->spooler);
    else if (m->store == STORE_REGISTRY)
        RegCloseKey((HKEY)ports);
}

/* Writes (add) or removes (delete) one port's key. */
static LONG StorePort(Monitor* m, LPCWSTR name, BOOL add)
{
    if (m->store == STORE_MEMORY)
        return ERROR_SUCCESS;
    HANDLE ports;
    LONG rc = OpenPortsKey(m, &ports);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (add) {
        HANDLE port = NULL;
        DWORD disposition = 0;
        if (m->store == STORE_SPOOLER) {
            rc = m->reg.fpCreateKey(ports, name, 0, KEY_ALL_ACCESS, NULL, &port, &disposition, m->spooler);
            if (rc == ERROR_SUCCESS)
                m->reg.fpCloseKey(port, m->spooler);
        } else {
            HKEY key = NULL;
            rc = RegCreateKeyExW((HKEY)ports, name, 0, NULL, 0, KEY_READ, NULL, &key, &disposition);
            if (rc == ERROR_SUCCESS)
                RegCloseKey(key);
        }
    } else {
        rc = m->store == STORE_SPOOLER ? m->reg.fpDeleteKey(ports, name, m->spooler)
                                       : RegDeleteKeyW((HKEY)ports, name);
        if (rc == ERROR_FILE_NOT_FOUND)
            rc = ERROR_SUCCESS;
    }
    ClosePortsKey(m, ports);
    return rc;
}

static void LoadPorts(Monitor* m)
{
    HANDLE ports;
    if (m->store == STORE_MEMORY || OpenPortsKey(m, &ports) != ERROR_SUCCESS)
        return;
    for (DWORD i = 0;; ++i) {
        WCHAR name[MAX_PORT_CHARS + 1];
        DWORD chars = ARRAYSIZE(name);
        const LONG rc = m->store == STORE_SPOOLER
                            ? m->reg.fpEnumKey(ports, i, name, &chars, NULL, m->spooler)
                            : RegEnumKeyExW((HKEY)ports, i, name, &chars, NULL, NULL, NULL, NULL);
        if (rc == ERROR_MORE_DATA)
            continue; /* a key no port of ours can have */
        if (rc != ERROR_SUCCESS)
            break;
        if (ValidPortName(name))
            RememberPort(m, name);
    }
    ClosePortsKey(m, ports);
}

static const WCHAR* BaseName(const WCHAR* path)
{
    const WCHAR* base = path;
    for (const WCHAR* p = path; *p; ++p) {
        if (*p == L'\\' || *p == L'/')
            base = p + 1;
    }
    return base;
}

/* The base name of this library's file, or "" when it cannot be read. */
static void OwnFileName(WCHAR* out, DWORD chars)
{
    WCHAR path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(g_instance, path, MAX_PATH);
    out[0] = L'\0';
    if (n > 0 && n < MAX_PATH)
        lstrcpynW(out, BaseName(path), (int)chars);
}

/* Finds the monitor key whose "Driver" value names this library's file and
 * opens it for reading and writing. */
static BOOL FindOwnKey(Monitor* m)
{
    WCHAR own[MAX_PATH];
    OwnFileName(own, MAX_PATH);
    if (!own[0])
        return FALSE;
    HKEY monitors;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMonitorsKey, 0, KEY_READ, &monitors) != ERROR_SUCCESS)
        return FALSE;
    BOOL found = FALSE;
    for (DWORD i = 0; !found; ++i) {
        WCHAR name[MAX_MONITOR_NAME_CHARS + 1];
        DWORD chars = ARRAYSIZE(name);
        const LONG rc = RegEnumKeyExW(monitors, i, name, &chars, NULL, NULL, NULL, NULL);
        if (rc == ERROR_MORE_DATA)
            continue;
        if (rc != ERROR_SUCCESS)
            break;
        HKEY key;
        if (RegOpenKeyExW(monitors, name, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
            continue;
        WCHAR driver[MAX_PATH + 1];
        DWORD type = 0, bytes = sizeof(driver) - sizeof(WCHAR);
        if (RegQueryValueExW(key, L"Driver", NULL, &type, (BYTE*)driver, &bytes) == ERROR_SUCCESS &&
            type == REG_SZ) {
            driver[bytes / sizeof(WCHAR)] = L'\0';
            if (lstrcmpiW(BaseName(driver), own) == 0) {
                m->key = key;
                lstrcpynW(m->name, name, ARRAYSIZE(m->name));
                found = TRUE;
                continue;
            }
        }
        RegCloseKey(key);
    }
    RegCloseKey(monitors);
    return found;
}

static void ChooseStore(Monitor* m, PMONITORINIT init)
{
    if (init && init->cbSize >= sizeof(MONITORINIT) && init->pMonitorReg &&
        init->pMonitorReg->cbSize >= sizeof(MONITORREG)) {
        m->reg = *init->pMonitorReg;
        m->root = init->hckRegistryRoot;
        m->spooler = init->hSpooler;
        m->store = STORE_SPOOLER;
        HANDLE ports;
        if (OpenPortsKey(m, &ports) == ERROR_SUCCESS) {
            ClosePortsKey(m, ports);
            return;
        }
    }
    m->store = FindOwnKey(m) ? STORE_REGISTRY : STORE_MEMORY;
}

/* ------------------------------------------------------------------------
 * Ports. */

static BOOL AddOwnPort(Monitor* m, LPCWSTR name)
{
    if (!ValidPortName(name)) {
        SetLastError(ERROR_INVALID_NAME);
        return FALSE;
    }
    EnterCriticalSection(&m->lock);
    /* Adding a port that exists already gives the port the caller wants. */
    LONG rc = StorePort(m, name, TRUE);
    if (rc == ERROR_SUCCESS && !RememberPort(m, name))
        rc = ERROR_NOT_ENOUGH_MEMORY;
    LeaveCriticalSection(&m->lock);
    if (rc != ERROR_SUCCESS) {
        SetLastError((DWORD)rc);
        return FALSE;
    }
    return TRUE;
}

static BOOL DeleteOwnPort(Monitor* m, LPCWSTR name)
{
    EnterCriticalSection(&m->lock);
    LONG rc = ERROR_UNKNOWN_PORT;
    if (name && FindPort(m, name)) {
        rc = StorePort(m, name, FALSE);
        if (rc == ERROR_SUCCESS)
            ForgetPort(m, name);
    }
    LeaveCriticalSection(&m->lock);
    if (rc != ERROR_SUCCESS) {
        SetLastError((DWORD)rc);
        return FALSE;
    }
    return TRUE;
}

static BOOL WINAPI MonEnumPorts(HANDLE hMonitor, LPWSTR pName, DWORD Level, LPBYTE pPorts, DWORD cbBuf,
                                LPDWORD pcbNeeded, LPDWORD pcReturned)
{
    (void)pName;
    Monitor* m = hMonitor;
    if (!m || !pcbNeeded || !pcReturned) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (Level != 1 && Level != 2) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    EnterCriticalSection(&m->lock);
    const DWORD entry = Level == 1 ? sizeof(PORT_INFO_1W) : sizeof(PORT_INFO_2W);
    DWORD count = 0, needed = 0;
    for (const Port* p = m->ports; p; p = p->next) {
        ++count;
        needed += entry + (DWORD)(lstrlenW(p->name) + 1) * sizeof(WCHAR);
        if (Level == 2)
            needed += (DWORD)(lstrlenW(m->name) + 1 + ARRAYSIZE(kPortDescription)) * sizeof(WCHAR);
    }
    BOOL ok = FALSE;
    *pcbNeeded = needed;
    *pcReturned = 0;
    if (needed > cbBuf || (needed > 0 && !pPorts)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
    } else if (count == 0) {
        ok = TRUE;
    } else {
        /* The structures first, the strings behind them. */
        WCHAR* text = (WCHAR*)(pPorts + count * entry);
        DWORD i = 0;
        for (const Port* p = m->ports; p; p = p->next, ++i) {
            WCHAR* port_name = text;
            lstrcpyW(text, p->name);
            text += lstrlenW(p->name) + 1;
            if (Level == 1) {
                ((PORT_INFO_1W*)pPorts)[i].pName = port_name;
            } else {
                PORT_INFO_2W* info = &((PORT_INFO_2W*)pPorts)[i];
                info->pPortName = port_name;
                info->pMonitorName = text;
                lstrcpyW(text, m->name);
                text += lstrlenW(m->name) + 1;
                info->pDescription = text;
                lstrcpyW(text, kPortDescription);
                text += ARRAYSIZE(kPortDescription);
                info->fPortType = PORT_TYPE_WRITE;
                info->Reserved = 0;
            }
        }
        *pcReturned = count;
        ok = TRUE;
    }
    LeaveCriticalSection(&m->lock);
    return ok;
}

static BOOL WINAPI MonOpenPort(HANDLE hMonitor, LPWSTR pName, PHANDLE pHandle)
{
    Monitor* m = hMonitor;
    if (!m || !pName || !pHandle) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    EnterCriticalSection(&m->lock);
    const BOOL known = FindPort(m, pName) != NULL;
    LeaveCriticalSection(&m->lock);
    if (!known) {
        SetLastError(ERROR_UNKNOWN_PORT);
        return FALSE;
    }
    PortHandle* h = Alloc(sizeof *h);
    if (!h) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    h->monitor = m;
    lstrcpynW(h->port, pName, ARRAYSIZE(h->port));
    *pHandle = h;
    return TRUE;
}

static BOOL WINAPI MonStartDocPort(HANDLE hPort, LPWSTR pPrinterName, DWORD JobId, DWORD Level, LPBYTE pDocInfo)
{
    (void)Level;
    (void)pDocInfo;
    PortHandle* h = hPort;
    if (!h) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Free(h->printer);
    h->printer = NULL;
    if (pPrinterName) {
        h->printer = Alloc((SIZE_T)(lstrlenW(pPrinterName) + 1) * sizeof(WCHAR));
        if (!h->printer) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return FALSE;
        }
        lstrcpyW(h->printer, pPrinterName);
    }
    h->job = JobId;
    return TRUE;
}

/* No device is behind the port yet: the bytes are taken and dropped. */
static BOOL WINAPI MonWritePort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbWritten)
{
    (void)pBuffer;
    if (!hPort || !pcbWritten) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *pcbWritten = cbBuf;
    return TRUE;
}

static BOOL WINAPI MonReadPort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuffer, LPDWORD pcbRead)
{
    (void)pBuffer;
    (void)cbBuffer;
    if (!hPort || !pcbRead) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *pcbRead = 0;
    return TRUE;
}

typedef BOOL(WINAPI* OpenPrinterFn)(LPWSTR, LPHANDLE, LPPRINTER_DEFAULTSW);
typedef BOOL(WINAPI* ClosePrinterFn)(HANDLE);
typedef BOOL(WINAPI* SetJobFn)(HANDLE, DWORD, DWORD, LPBYTE, DWORD);

/* Tells the spooler that the job went to the printer, so that it leaves the
 * queue. */
static void JobSent(LPWSTR printer, DWORD job)
{
    HMODULE spooler = LoadSystemLibrary(L"winspool.drv");
    if (!spooler)
        return;
    OpenPrinterFn open_printer = (OpenPrinterFn)(void*)GetProcAddress(spooler, "OpenPrinterW");
    ClosePrinterFn close_printer = (ClosePrinterFn)(void*)GetProcAddress(spooler, "ClosePrinter");
    SetJobFn set_job = (SetJobFn)(void*)GetProcAddress(spooler, "SetJobW");
    HANDLE h = NULL;
    if (open_printer && close_printer && set_job && open_printer(printer, &h, NULL)) {
        set_job(h, job, 0, NULL, JOB_CONTROL_SENT_TO_PRINTER);
        close_printer(h);
    }
    FreeLibrary(spooler);
}

static BOOL WINAPI MonEndDocPort(HANDLE hPort)
{
    PortHandle* h = hPort;
    if (!h) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (h->printer) {
        JobSent(h->printer, h->job);
        Free(h->printer);
        h->printer = NULL;
    }
    return TRUE;
}

static BOOL WINAPI MonClosePort(HANDLE hPort)
{
    PortHandle* h = hPort;
    if (!h) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Free(h->printer);
    Free(h);
    return TRUE;
}

static BOOL WINAPI MonAddPortEx(HANDLE hMonitor, LPWSTR pName, DWORD Level, LPBYTE lpBuffer, LPWSTR lpMonitorName)
{
    (void)pName;
    Monitor* m = hMonitor;
    if (!m || !lpBuffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (Level != 1 && Level != 2) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    /* PORT_INFO_1W and PORT_INFO_2W both start with the port's name. */
    LPCWSTR port = ((const PORT_INFO_1W*)lpBuffer)->pName;
    if (lpMonitorName && lpMonitorName[0] && lstrlenW(lpMonitorName) <= MAX_MONITOR_NAME_CHARS) {
        EnterCriticalSection(&m->lock);
        if (!m->name[0])
            lstrcpynW(m->name, lpMonitorName, ARRAYSIZE(m->name));
        LeaveCriticalSection(&m->lock);
    }
    return AddOwnPort(m, port);
}

static BOOL WINAPI MonDeletePort(HANDLE hMonitor, LPWSTR pName, HWND hWnd, LPWSTR pPortName)
{
    (void)pName;
    (void)hWnd;
    if (!hMonitor) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return DeleteOwnPort(hMonitor, pPortName);
}

/* ------------------------------------------------------------------------
 * Transceiver commands (XcvData), as the monitor's user interface uses them:
 * "MonitorUI" (the interface library's file name), "AddPort", "DeletePort"
 * and "PortExists" (input: the port name, NUL-terminated). */

static BOOL WINAPI MonXcvOpenPort(HANDLE hMonitor, LPCWSTR pszObject, ACCESS_MASK GrantedAccess, PHANDLE phXcv)
{
    (void)pszObject;
    if (!hMonitor || !phXcv) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    XcvHandle* h = Alloc(sizeof *h);
    if (!h) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    h->monitor = hMonitor;
    h->access = GrantedAccess;
    *phXcv = h;
    return TRUE;
}

/* The port name in an XcvData input: NUL-terminated within cbInputData. */
static LPCWSTR InputPortName(PBYTE input, DWORD bytes)
{
    const WCHAR* text = (const WCHAR*)input;
    const DWORD chars = bytes / sizeof(WCHAR);
    if (!input)
        return NULL;
    for (DWORD i = 0; i < chars; ++i) {
        if (text[i] == L'\0')
            return text;
    }
    return NULL;
}

static DWORD WINAPI MonXcvDataPort(HANDLE hXcv, LPCWSTR pszDataName, PBYTE pInputData, DWORD cbInputData,
                                   PBYTE pOutputData, DWORD cbOutputData, PDWORD pcbOutputNeeded)
{
    XcvHandle* h = hXcv;
    if (!h || !pszDataName)
        return ERROR_INVALID_PARAMETER;
    if (pcbOutputNeeded)
        *pcbOutputNeeded = 0;

    if (lstrcmpW(pszDataName, L"MonitorUI") == 0) {
        /* "<name>Mon.dll" goes with "<name>MonUI.dll": the same name with
         * "UI" before the extension. */
        WCHAR file[MAX_PATH + 2];
        OwnFileName(file, MAX_PATH);
        int n = lstrlenW(file);
        if (n < 4 || lstrcmpiW(file + n - 4, L".dll") != 0)
            return ERROR_INVALID_DATA;
        lstrcpyW(file + n - 4, L"UI.dll");
        n += 2;
        const DWORD bytes = (DWORD)(n + 1) * sizeof(WCHAR);
        if (pcbOutputNeeded)
            *pcbOutputNeeded = bytes;
        if (!pOutputData || cbOutputData < bytes)
            return ERROR_INSUFFICIENT_BUFFER;
        CopyMemory(pOutputData, file, bytes);
        return ERROR_SUCCESS;
    }

    LPCWSTR port = InputPortName(pInputData, cbInputData);
    if (lstrcmpW(pszDataName, L"PortExists") == 0) {
        if (!port)
            return ERROR_INVALID_PARAMETER;
        if (pcbOutputNeeded)
            *pcbOutputNeeded = sizeof(DWORD);
        if (!pOutputData || cbOutputData < sizeof(DWORD))
            return ERROR_INSUFFICIENT_BUFFER;
        EnterCriticalSection(&h->monitor->lock);
        const DWORD exists = FindPort(h->monitor, port) != NULL;
        LeaveCriticalSection(&h->monitor->lock);
        CopyMemory(pOutputData, &exists, sizeof exists);
        return ERROR_SUCCESS;
    }
    if (lstrcmpW(pszDataName, L"AddPort") == 0 || lstrcmpW(pszDataName, L"DeletePort") == 0) {
        if (!(h->access & SERVER_ACCESS_ADMINISTER))
            return ERROR_ACCESS_DENIED;
        if (!port)
            return ERROR_INVALID_PARAMETER;
        const BOOL ok = pszDataName[0] == L'A' ? AddOwnPort(h->monitor, port) : DeleteOwnPort(h->monitor, port);
        return ok ? ERROR_SUCCESS : GetLastError();
    }
    return ERROR_INVALID_PARAMETER;
}

static BOOL WINAPI MonXcvClosePort(HANDLE hXcv)
{
    Free(hXcv);
    return TRUE;
}

static VOID WINAPI MonShutdown(HANDLE hMonitor)
{
    Monitor* m = hMonitor;
    if (!m)
        return;
    while (m->ports) {
        Port* next = m->ports->next;
        Free(m->ports);
        m->ports = next;
    }
    if (m->key)
        RegCloseKey(m->key);
    DeleteCriticalSection(&m->lock);
    Free(m);
}

static const MONITOR2 kMonitor = {
    .cbSize = sizeof(MONITOR2),
    .pfnEnumPorts = MonEnumPorts,
    .pfnOpenPort = MonOpenPort,
    .pfnStartDocPort = MonStartDocPort,
    .pfnWritePort = MonWritePort,
    .pfnReadPort = MonReadPort,
    .pfnEndDocPort = MonEndDocPort,
    .pfnClosePort = MonClosePort,
    .pfnAddPortEx = MonAddPortEx,
    .pfnDeletePort = MonDeletePort,
    .pfnXcvOpenPort = MonXcvOpenPort,
    .pfnXcvDataPort = MonXcvDataPort,
    .pfnXcvClosePort = MonXcvClosePort,
    .pfnShutdown = MonShutdown,
};

/* The spooler's entry point. `*phMonitor` becomes the monitor's context,
 * which the spooler passes back to every MONITOR2 function and finally to
 * Shutdown. */
EXPORT LPMONITOR2 WINAPI InitializePrintMonitor2(PMONITORINIT pMonitorInit, PHANDLE phMonitor)
{
    if (!phMonitor) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return NULL;
    }
    *phMonitor = NULL;
    Monitor* m = Alloc(sizeof *m);
    if (!m) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
    InitializeCriticalSection(&m->lock);
    ChooseStore(m, pMonitorInit);
    LoadPorts(m);
    *phMonitor = m;
    return (LPMONITOR2)&kMonitor;
}
