// CWizardWnd: the custom-painted panel over the upper part of the wizard.
// It holds the page counter, the install-folder field and the wait line,
// paints the page that the counter names (layout from ui/panel_layout.h),
// and cleans the install folder when it is destroyed. Everything here runs
// on the dialog's thread: the install worker's requests reach the panel
// through the dialog (engine/win32/install_worker.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/win32/owner_drawn.h"
#include "ui/wizard_page.h"
#include "win/wnd.h"

class CWizardWnd : public win::CWnd {
public:
    CWizardWnd();

    // Creates the panel over the dialog's client area (less the 50-pixel
    // button strip) with its folder field and hidden restart box, for the
    // run's interface language. 1 on success, 0 when the panel window
    // cannot be created.
    int Create(win::CWnd* dialog, int uiLanguage);

    // Shows or hides the folder field, then repaints the panel at once.
    void ShowFolderField(int show);

    // Replaces the wait line and repaints at once.
    void SetWaitText(const std::wstring& text);

    // Records a file that deployment wrote directly into the install folder;
    // only recorded files are removed by the clean-up.
    void RecordDeployedFile(const std::wstring& name);

    int m_bPortConfirmed = 0;
    int m_bChinese = 1;
    CCheckBox m_chkRestart;
    std::wstring m_strWaitText;
    CFlatEdit m_editFolder;
    std::atomic<std::int32_t> m_nPage{ui::PageWelcome};

protected:
    void OnPaint();
    void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    int m_nUiLanguage = 0;
    std::vector<std::wstring> m_deployedFiles;
};
