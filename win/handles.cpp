#include "win/handles.h"

#include "win/system_libraries.h"

namespace win {

void ClosePrinterHandle(HANDLE printer) {
    using ClosePrinterFn = BOOL(WINAPI*)(HANDLE);
    static const ClosePrinterFn closePrinter = []() -> ClosePrinterFn {
        HMODULE winspool = LoadSystemLibrary(L"winspool.drv");
        if (!winspool) return nullptr;
        ClosePrinterFn function = nullptr;
        ResolveProc(winspool, "ClosePrinter", &function);
        return function;
    }();
    if (closePrinter) closePrinter(printer);
}

}  // namespace win
