#include <windows.h>
#include <commctrl.h>

#include "win/app.h"
#include "win/system_libraries.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    win::HardenLibrarySearch();
    // Common controls 6 (from the manifest) look at the theme library when
    // they first paint; load it from the system folder before they do.
    win::LoadSystemLibrary(L"uxtheme.dll");

    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);

    win::CWinApp* app = win::AfxGetApp();
    if (!app) return 1;
    app->m_hInstance = instance;
    if (!app->InitInstance()) return 0;
    return app->Run();
}
