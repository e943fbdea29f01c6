/* The printer driver's configuration library ("plotui.dll", installed into
 * the spooler's driver directory as "<printer>UI.dll").
 *
 * The spooler loads it into the calling program whenever the printer is
 * added and whenever a program asks for the printer's document properties or
 * device capabilities (Wine's spooler runs inside the calling process and
 * calls these entry points without checking that they exist, so every one of
 * them must be here). It shows no property pages yet: it answers with a
 * default device mode of the right size and with the paper forms and the
 * resolution of the printer's GPC data file, and it accepts the spooler's
 * printer and driver events.
 *
 * The device mode is the public DEVMODEW followed by a small private block.
 * The forms of the GPC file are numbered DMPAPER_USER, DMPAPER_USER + 1, ...
 * in the order of the file; the first form is the default paper.
 *
 * winspool.drv is loaded by full path from the system folder when it is
 * needed, so that the library imports nothing that the loader might take
 * from another folder.
 */
#include "printer_interface.h"

#include <stddef.h>
#include <winspool.h>

#include "gpc_forms.h"
#include "system_library.h"

#define EXPORT __declspec(dllexport)

/* The private part of the device mode. */
typedef struct PrivateDevmode {
    DWORD signature;
    DWORD size;
    DWORD version;
    DWORD reserved;
} PrivateDevmode;

typedef struct FullDevmode {
    DEVMODEW pub;
    PrivateDevmode priv;
} FullDevmode;

enum {
    PRIVATE_SIGNATURE = 0x55444C50, /* "PLDU" */
    PRIVATE_VERSION = 1,
    DRIVER_VERSION = 0x0121,        /* 1.2.1 */
    PAPER_NAME_CHARS = 64,          /* DC_PAPERNAMES entries */
    DRIVER_INFO_LIMIT = 1 << 16     /* a larger DRIVER_INFO_2W answer is refused */
};

#define PUBLIC_SIZE ((DWORD)sizeof(DEVMODEW))
#define PRIVATE_SIZE ((DWORD)sizeof(PrivateDevmode))
#define TOTAL_SIZE (PUBLIC_SIZE + PRIVATE_SIZE)
_Static_assert(sizeof(FullDevmode) == PUBLIC_SIZE + PRIVATE_SIZE, "no padding between the parts");

/* Whether a device mode of `size` public bytes holds the whole field. */
#define HAS_FIELD(size, field) \
    (offsetof(DEVMODEW, field) + sizeof(((const DEVMODEW*)0)->field) <= (size))

/* ------------------------------------------------------------------------
 * The printer's GPC data file, found through the spooler. */

typedef BOOL(WINAPI* OpenPrinterFn)(LPWSTR, LPHANDLE, LPPRINTER_DEFAULTSW);
typedef BOOL(WINAPI* ClosePrinterFn)(HANDLE);
typedef BOOL(WINAPI* GetPrinterDriverFn)(HANDLE, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD);

typedef struct Spooler {
    HMODULE module;
    OpenPrinterFn open_printer;
    ClosePrinterFn close_printer;
    GetPrinterDriverFn get_printer_driver;
} Spooler;

static BOOL LoadSpooler(Spooler* s)
{
    ZeroMemory(s, sizeof *s);
    s->module = LoadSystemLibrary(L"winspool.drv");
    if (!s->module)
        return FALSE;
    s->open_printer = (OpenPrinterFn)(void*)GetProcAddress(s->module, "OpenPrinterW");
    s->close_printer = (ClosePrinterFn)(void*)GetProcAddress(s->module, "ClosePrinter");
    s->get_printer_driver = (GetPrinterDriverFn)(void*)GetProcAddress(s->module, "GetPrinterDriverW");
    if (s->open_printer && s->close_printer && s->get_printer_driver)
        return TRUE;
    FreeLibrary(s->module);
    s->module = NULL;
    return FALSE;
}

static void ReadGpcFile(LPCWSTR path, GpcDevice* device)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    LARGE_INTEGER size;
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= GPC_MAX_FILE_BYTES) {
        const DWORD wanted = (DWORD)size.QuadPart;
        unsigned char* data = HeapAlloc(GetProcessHeap(), 0, wanted);
        if (data) {
            DWORD total = 0, got = 0;
            while (total < wanted && ReadFile(file, data + total, wanted - total, &got, NULL) && got > 0)
                total += got;
            /* Only what was read is parsed: a file cut meanwhile is simply short. */
            GpcReadDevice(data, total, device);
            HeapFree(GetProcessHeap(), 0, data);
        }
    }
    CloseHandle(file);
}

/* The device described by the printer's data file, through the printer
 * handle or, without one, the printer's name. Without a readable file the
 * device has no forms and no resolution. */
static void ReadPrinterDevice(HANDLE printer, LPCWSTR name, GpcDevice* device)
{
    GpcReadDevice(NULL, 0, device); /* resets it */
    Spooler s;
    if (!LoadSpooler(&s))
        return;
    HANDLE handle = printer;
    if (!handle && (!name || !s.open_printer((LPWSTR)name, &handle, NULL)))
        handle = NULL;
    if (handle) {
        DWORD needed = 0;
        s.get_printer_driver(handle, NULL, 2, NULL, 0, &needed);
        if (needed >= sizeof(DRIVER_INFO_2W) && needed <= DRIVER_INFO_LIMIT) {
            BYTE* buffer = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, needed);
            if (buffer) {
                const DRIVER_INFO_2W* info = (const DRIVER_INFO_2W*)buffer;
                if (s.get_printer_driver(handle, NULL, 2, buffer, needed, &needed) && info->pDataFile &&
                    info->pDataFile[0])
                    ReadGpcFile(info->pDataFile, device);
                HeapFree(GetProcessHeap(), 0, buffer);
            }
        }
        if (handle != printer)
            s.close_printer(handle);
    }
    FreeLibrary(s.module);
}

/* ------------------------------------------------------------------------
 * Device modes. */

static void FormNameW(const GpcForm* form, WCHAR* out, int out_chars)
{
    WCHAR wide[GPC_FORM_NAME_BYTES + 1];
    if (!MultiByteToWideChar(CP_ACP, 0, form->name, -1, wide, ARRAYSIZE(wide)))
        wide[0] = L'\0';
    lstrcpynW(out, wide, out_chars);
}

static short TenthsOfMillimetre(uint32_t thousandths)
{
    return (short)((thousandths + 50) / 100); /* at most 32767 by GPC_MAX_FORM_EDGE */
}

static void SelectForm(FullDevmode* dm, const GpcDevice* device, unsigned index)
{
    const GpcForm* form = &device->forms[index];
    dm->pub.dmPaperSize = (short)(DMPAPER_USER + index);
    dm->pub.dmPaperWidth = TenthsOfMillimetre(form->width);
    dm->pub.dmPaperLength = TenthsOfMillimetre(form->height);
    FormNameW(form, dm->pub.dmFormName, CCHFORMNAME);
    dm->pub.dmFields |= DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH | DM_FORMNAME;
}

static void BuildDefault(FullDevmode* dm, LPCWSTR printer_name, const GpcDevice* device)
{
    ZeroMemory(dm, sizeof *dm);
    if (printer_name)
        lstrcpynW(dm->pub.dmDeviceName, printer_name, CCHDEVICENAME);
    dm->pub.dmSpecVersion = DM_SPECVERSION;
    dm->pub.dmDriverVersion = DRIVER_VERSION;
    dm->pub.dmSize = (WORD)PUBLIC_SIZE;
    dm->pub.dmDriverExtra = (WORD)PRIVATE_SIZE;
    dm->pub.dmFields = DM_ORIENTATION | DM_SCALE | DM_COPIES | DM_COLOR;
    dm->pub.dmOrientation = DMORIENT_PORTRAIT;
    dm->pub.dmScale = 100;
    dm->pub.dmCopies = 1;
    dm->pub.dmColor = DMCOLOR_MONOCHROME;
    if (device->form_count > 0)
        SelectForm(dm, device, 0);
    if (device->dpi > 0) {
        dm->pub.dmPrintQuality = (short)device->dpi;
        dm->pub.dmYResolution = (short)device->dpi;
        dm->pub.dmFields |= DM_PRINTQUALITY | DM_YRESOLUTION;
    }
    dm->priv.signature = PRIVATE_SIGNATURE;
    dm->priv.size = PRIVATE_SIZE;
    dm->priv.version = PRIVATE_VERSION;
}

/* Takes over from a caller's device mode what this printer can do: the
 * orientation, the number of copies and one of its own forms (by number or
 * by name). Everything else keeps its default. Only the public part that the
 * caller's dmSize covers is read. */
static void MergeDevmode(FullDevmode* dm, const DEVMODEW* in, const GpcDevice* device)
{
    if (!in || !HAS_FIELD(in->dmSize, dmFields))
        return;
    const DWORD size = in->dmSize;
    const DWORD fields = in->dmFields;
    if ((fields & DM_ORIENTATION) && HAS_FIELD(size, dmOrientation) &&
        (in->dmOrientation == DMORIENT_PORTRAIT || in->dmOrientation == DMORIENT_LANDSCAPE))
        dm->pub.dmOrientation = in->dmOrientation;
    if ((fields & DM_COPIES) && HAS_FIELD(size, dmCopies) && in->dmCopies >= 1 &&
        (unsigned)in->dmCopies <= device->max_copies)
        dm->pub.dmCopies = in->dmCopies;
    if ((fields & DM_PAPERSIZE) && HAS_FIELD(size, dmPaperSize) && in->dmPaperSize >= DMPAPER_USER &&
        in->dmPaperSize < DMPAPER_USER + (int)device->form_count) {
        SelectForm(dm, device, (unsigned)(in->dmPaperSize - DMPAPER_USER));
    } else if ((fields & DM_FORMNAME) && HAS_FIELD(size, dmFormName)) {
        WCHAR wanted[CCHFORMNAME];
        lstrcpynW(wanted, in->dmFormName, CCHFORMNAME); /* the caller's field need not end */
        for (unsigned i = 0; i < device->form_count; ++i) {
            WCHAR name[CCHFORMNAME];
            FormNameW(&device->forms[i], name, CCHFORMNAME);
            if (wanted[0] && lstrcmpiW(wanted, name) == 0) {
                SelectForm(dm, device, i);
                break;
            }
        }
    }
}

/* The dmFields bits this library sets, with the end of the field each names. */
static const struct {
    DWORD bit;
    size_t end;
} kFieldEnds[] = {
#define FIELD_END(bit, field) {bit, offsetof(DEVMODEW, field) + sizeof(((const DEVMODEW*)0)->field)}
    FIELD_END(DM_ORIENTATION, dmOrientation),   FIELD_END(DM_PAPERSIZE, dmPaperSize),
    FIELD_END(DM_PAPERLENGTH, dmPaperLength),   FIELD_END(DM_PAPERWIDTH, dmPaperWidth),
    FIELD_END(DM_SCALE, dmScale),               FIELD_END(DM_COPIES, dmCopies),
    FIELD_END(DM_PRINTQUALITY, dmPrintQuality), FIELD_END(DM_COLOR, dmColor),
    FIELD_END(DM_YRESOLUTION, dmYResolution),   FIELD_END(DM_FORMNAME, dmFormName),
#undef FIELD_END
};

/* Writes the device mode in a layout the caller chose: `size` public bytes
 * (fields beyond them dropped) and `extra` private bytes. `out` holds
 * size + extra bytes. */
static void WriteDevmodeAs(const FullDevmode* dm, DEVMODEW* out, WORD spec_version, WORD size, WORD extra)
{
    BYTE* bytes = (BYTE*)out;
    const DWORD public_copy = size < PUBLIC_SIZE ? size : PUBLIC_SIZE;
    const DWORD private_copy = extra < PRIVATE_SIZE ? extra : PRIVATE_SIZE;
    ZeroMemory(bytes, (SIZE_T)size + extra);
    CopyMemory(bytes, &dm->pub, public_copy);
    CopyMemory(bytes + size, &dm->priv, private_copy);
    out->dmSpecVersion = spec_version;
    out->dmSize = size;
    out->dmDriverExtra = extra;
    for (size_t i = 0; i < ARRAYSIZE(kFieldEnds); ++i) {
        if (kFieldEnds[i].end > size)
            out->dmFields &= ~kFieldEnds[i].bit;
    }
}

/* Writes the whole device mode when `room` bytes hold it, else the public
 * part alone when they hold that; fails with ERROR_INSUFFICIENT_BUFFER. */
static BOOL WriteDevmode(const FullDevmode* dm, DEVMODEW* out, DWORD room)
{
    if (room >= TOTAL_SIZE) {
        CopyMemory(out, dm, TOTAL_SIZE);
        return TRUE;
    }
    if (room >= PUBLIC_SIZE) {
        WriteDevmodeAs(dm, out, dm->pub.dmSpecVersion, (WORD)PUBLIC_SIZE, 0);
        return TRUE;
    }
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
}

/* ------------------------------------------------------------------------
 * Document and device properties. */

/* The direct call (no property sheet): fMode 0 or no output asks for the
 * size; otherwise the default device mode, merged with pdmIn when
 * DM_IN_BUFFER is set, goes to pdmOut when DM_OUT_BUFFER is set. */
static LONG DocumentDefaults(DocumentPropertyHeader* dph)
{
    if (!dph || dph->cbSize < sizeof(DocumentPropertyHeader)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (dph->fMode == 0 || !dph->pdmOut) {
        dph->cbOut = TOTAL_SIZE;
        return (LONG)TOTAL_SIZE;
    }
    if (dph->fMode & DM_OUT_BUFFER) {
        GpcDevice device;
        FullDevmode dm;
        ReadPrinterDevice(dph->hPrinter, dph->pszPrinterName, &device);
        BuildDefault(&dm, dph->pszPrinterName, &device);
        if (dph->fMode & DM_IN_BUFFER)
            MergeDevmode(&dm, dph->pdmIn, &device);
        if (!WriteDevmode(&dm, dph->pdmOut, dph->cbOut))
            return -1;
    }
    return IDOK;
}

/* A property sheet request through the common property sheet UI: no pages
 * are added. */
static LONG PropertySheetRequest(PPROPSHEETUI_INFO info)
{
    switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT:
        info->Result = CPSUI_OK;
        return CPSUI_OK;
    case PROPSHEETUI_REASON_GET_ICON:
        return 0; /* no icon of our own */
    default:
        return CPSUI_OK;
    }
}

EXPORT LONG WINAPI DrvDocumentPropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam)
{
    if (!info)
        return DocumentDefaults((DocumentPropertyHeader*)lParam);
    if (info->Reason == PROPSHEETUI_REASON_INIT) {
        /* The caller still gets its device mode; there is nothing to edit. */
        DocumentPropertyHeader* dph = (DocumentPropertyHeader*)info->lParamInit;
        if (dph && dph->cbSize >= sizeof(DocumentPropertyHeader) && (dph->fMode & DM_OUT_BUFFER) &&
            dph->pdmOut) {
            DocumentPropertyHeader copy = *dph;
            copy.fMode &= DM_IN_BUFFER | DM_OUT_BUFFER;
            if (DocumentDefaults(&copy) < 0)
                return ERR_CPSUI_GETLASTERROR;
        }
    }
    return PropertySheetRequest(info);
}

EXPORT LONG WINAPI DrvDevicePropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam)
{
    (void)lParam;
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERR_CPSUI_GETLASTERROR;
    }
    return PropertySheetRequest(info);
}

EXPORT BOOL WINAPI DrvConvertDevMode(LPWSTR pPrinterName, PDEVMODEW pdmIn, PDEVMODEW pdmOut, PLONG pcbNeeded,
                                     DWORD fMode)
{
    if (!pcbNeeded) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    WORD spec_version, size, extra;
    switch (fMode) {
    case CDM_DRIVER_DEFAULT:
        spec_version = DM_SPECVERSION;
        size = (WORD)PUBLIC_SIZE;
        extra = (WORD)PRIVATE_SIZE;
        break;
    case CDM_CONVERT351:
        spec_version = 0x0320;
        size = (WORD)offsetof(DEVMODEW, dmICMMethod);
        extra = 0;
        break;
    case CDM_CONVERT:
        /* The caller set up pdmOut's header for the layout it wants. */
        if (!pdmIn || !pdmOut || !HAS_FIELD(pdmOut->dmSize, dmFields)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        spec_version = pdmOut->dmSpecVersion;
        size = pdmOut->dmSize;
        extra = pdmOut->dmDriverExtra;
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const LONG needed = (LONG)size + extra;
    if (!pdmOut || *pcbNeeded < needed) {
        *pcbNeeded = needed;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    GpcDevice device;
    FullDevmode dm;
    ReadPrinterDevice(NULL, pPrinterName, &device);
    BuildDefault(&dm, pPrinterName, &device);
    if (fMode != CDM_DRIVER_DEFAULT)
        MergeDevmode(&dm, pdmIn, &device);
    WriteDevmodeAs(&dm, pdmOut, spec_version, size, extra);
    *pcbNeeded = needed;
    return TRUE;
}

/* ------------------------------------------------------------------------
 * Device capabilities. */

EXPORT DWORD WINAPI DrvDeviceCapabilities(HANDLE hPrinter, PWSTR pDeviceName, WORD iDevCap, PVOID pvOutput,
                                          PDEVMODEW pDevMode)
{
    (void)pDevMode;
    switch (iDevCap) {
    case DC_SIZE:
        return PUBLIC_SIZE;
    case DC_EXTRA:
        return PRIVATE_SIZE;
    case DC_VERSION:
        return DM_SPECVERSION;
    case DC_DRIVER:
        return DRIVER_VERSION;
    case DC_ORIENTATION:
        return 90;
    case DC_COLORDEVICE:
    case DC_DUPLEX:
    case DC_COLLATE:
    case DC_TRUETYPE:
    case DC_STAPLE:
    case DC_BINS: /* no selectable paper source */
    case DC_BINNAMES:
    case DC_FILEDEPENDENCIES:
        return 0;
    case DC_FIELDS:
    case DC_COPIES:
    case DC_PAPERS:
    case DC_PAPERNAMES:
    case DC_PAPERSIZE:
    case DC_ENUMRESOLUTIONS:
        break;
    default:
        return GDI_ERROR;
    }

    GpcDevice device;
    ReadPrinterDevice(hPrinter, pDeviceName, &device);
    const unsigned count = device.form_count;
    switch (iDevCap) {
    case DC_FIELDS: {
        FullDevmode dm;
        BuildDefault(&dm, NULL, &device);
        return dm.pub.dmFields;
    }
    case DC_COPIES:
        return device.max_copies;
    case DC_PAPERS:
        if (pvOutput) {
            WORD* papers = pvOutput;
            for (unsigned i = 0; i < count; ++i)
                papers[i] = (WORD)(DMPAPER_USER + i);
        }
        return count;
    case DC_PAPERNAMES:
        if (pvOutput) {
            WCHAR* names = pvOutput;
            for (unsigned i = 0; i < count; ++i) {
                ZeroMemory(names + i * PAPER_NAME_CHARS, PAPER_NAME_CHARS * sizeof(WCHAR));
                FormNameW(&device.forms[i], names + i * PAPER_NAME_CHARS, PAPER_NAME_CHARS);
            }
        }
        return count;
    case DC_PAPERSIZE:
        if (pvOutput) {
            POINT* sizes = pvOutput;
            for (unsigned i = 0; i < count; ++i) {
                sizes[i].x = TenthsOfMillimetre(device.forms[i].width);
                sizes[i].y = TenthsOfMillimetre(device.forms[i].height);
            }
        }
        return count;
    case DC_ENUMRESOLUTIONS:
        if (device.dpi == 0)
            return 0;
        if (pvOutput) {
            LONG* resolution = pvOutput;
            resolution[0] = (LONG)device.dpi;
            resolution[1] = (LONG)device.dpi;
        }
        return 1;
    default:
        return GDI_ERROR;
    }
}

/* ------------------------------------------------------------------------
 * Events and queries that need no work yet. */

EXPORT BOOL WINAPI DrvPrinterEvent(LPWSTR pPrinterName, INT DriverEvent, DWORD Flags, LPARAM lParam)
{
    (void)pPrinterName;
    (void)DriverEvent;
    (void)Flags;
    (void)lParam;
    return TRUE;
}

EXPORT BOOL WINAPI DrvDriverEvent(DWORD dwDriverEvent, DWORD dwLevel, LPBYTE pDriverInfo, LPARAM lParam)
{
    (void)dwDriverEvent;
    (void)dwLevel;
    (void)pDriverInfo;
    (void)lParam;
    return TRUE;
}

EXPORT BOOL WINAPI DevQueryPrintEx(DevQueryPrintInfo* pDQPInfo)
{
    (void)pDQPInfo;
    return TRUE;
}

EXPORT BOOL WINAPI DrvUpgradePrinter(DWORD Level, LPBYTE pDriverUpgradeInfo)
{
    (void)Level;
    (void)pDriverUpgradeInfo;
    return TRUE;
}
