// CWinApp: the application object and the program's entry into it.
//
// Exactly one object of a class derived from CWinApp exists, as a global.
// wWinMain (win/winmain.cpp) hardens the library search, initialises common
// controls, then calls InitInstance; when InitInstance returns FALSE the
// program ends with exit code 0. There is no message loop of our own: every
// window the installer shows is a modal dialog with its own loop.
#pragma once

#include <windows.h>

namespace win {

class CWnd;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return FALSE; }
    // Runs when InitInstance returned TRUE; the base returns 0 at once.
    virtual int Run() { return 0; }

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
// Hosted-control support: nothing to set up, as no dialog of ours hosts
// ActiveX controls. Kept so start-up reads as the sequence it is.
inline void AfxEnableControlContainer() {}

}  // namespace win
