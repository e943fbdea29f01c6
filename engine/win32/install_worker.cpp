#include "engine/win32/install_worker.h"

#include "app/win32/install_app.h"
#include "os/win32/services.h"
#include "res/resource.h"
#include "ui/dialog_texts.h"
#include "ui/win32/install_dlg.h"

namespace engine {

namespace {

// The failure page, prepared by the worker through window calls that the
// dialog's thread carries out.
void ShowFailurePage(CInstallDlg& dialog) {
    ::ShowWindow(dialog.GetDlgItem(IDC_NEXT), SW_HIDE);
    ::ShowWindow(dialog.GetDlgItem(IDC_BACK), SW_HIDE);
    ::SetWindowTextW(dialog.GetDlgItem(IDC_CANCEL_FINISH), oswin::W(ui::FailureFinishLabel(TheApp().UiLanguage)));
    ::ShowWindow(dialog.GetDlgItem(IDC_PROGRESS), SW_HIDE);
    ::EnableWindow(dialog.GetDlgItem(IDC_CANCEL_FINISH), TRUE);
    dialog.m_wndWizard.m_nPage = ui::PageFailed;
    ::InvalidateRect(dialog.m_wndWizard.m_hWnd, nullptr, FALSE);
}

}  // namespace

UINT InstallThreadProc(void* parameter) {
    auto& dialog = *static_cast<CInstallDlg*>(parameter);
    // The installation engine (deployment, registration) is not part of this
    // build yet: without it the installation cannot succeed.
    ShowFailurePage(dialog);
    return 0;
}

}  // namespace engine
