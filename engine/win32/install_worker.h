// The install worker: the one thread that performs the installation.
#pragma once

#include <windows.h>

namespace engine {

// Thread procedure; `dialog` is the wizard (CInstallDlg). Always returns 0.
// Success reaches the dialog as a posted WM_COMMAND 1001; failure as the
// failure page, which the worker sets up itself.
UINT InstallThreadProc(void* dialog);

}  // namespace engine
