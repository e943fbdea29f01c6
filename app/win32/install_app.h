// The application object: the whole run of the installer happens in
// InitInstance, which returns FALSE so that the program then ends.
#pragma once

#include "win/app.h"

class CInstallApp : public win::CWinApp {
public:
    CInstallApp() = default;
    BOOL InitInstance() override;

    // The run's interface language: 0 English, 1 Chinese, 2 Russian. 0 until
    // the language dialog has been answered; set once.
    int UiLanguage = 0;
};

// The application object, for the code that shows text.
CInstallApp& TheApp();
