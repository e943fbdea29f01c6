/* The parts of the printer-interface (driver user interface) contract that
 * mingw-w64's <winddiui.h> leaves out: the structures the spooler hands to a
 * configuration library and the device-mode conversion modes. Layouts as the
 * Windows driver kit defines them. */
#ifndef PAYLOAD_PROGRAMS_PRINTER_INTERFACE_H
#define PAYLOAD_PROGRAMS_PRINTER_INTERFACE_H

#include <windows.h>
#include <winddiui.h>

typedef struct DocumentPropertyHeader {
    WORD cbSize;
    WORD Reserved;
    HANDLE hPrinter;
    LPWSTR pszPrinterName;
    PDEVMODEW pdmIn;
    PDEVMODEW pdmOut;
    DWORD cbOut;
    DWORD fMode;
} DocumentPropertyHeader;

typedef struct DevicePropertyHeader {
    WORD cbSize;
    WORD Flags;
    HANDLE hPrinter;
    LPWSTR pszPrinterName;
} DevicePropertyHeader;

typedef struct DevQueryPrintInfo {
    WORD cbSize;
    WORD Level;
    HANDLE hPrinter;
    DEVMODEW* pDevMode;
    LPWSTR pszErrorStr;
    DWORD cchErrorStr;
    DWORD cchNeeded;
} DevQueryPrintInfo;

/* DrvConvertDevMode modes. */
#ifndef CDM_CONVERT
#define CDM_CONVERT 0x01
#define CDM_CONVERT351 0x02
#define CDM_DRIVER_DEFAULT 0x04
#endif

#endif
