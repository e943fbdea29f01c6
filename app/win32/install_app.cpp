#include "app/win32/install_app.h"

#include <windows.h>

#include "app/startup.h"
#include "os/win32/services.h"
#include "ui/win32/install_dlg.h"
#include "ui/win32/run_values.h"
#include "ui/win32/select_language.h"
#include "win/handles.h"

namespace {

CInstallApp theApp;

// Start-up's view of the system: the portable sequence in app/startup.h
// decides, this class carries it out.
class StartupHost : public app::StartupHost {
public:
    StartupHost(CInstallApp& application, CInstallDlg& wizard) : app_(application), wizard_(wizard) {}

    void LoadPayload() override { wizard_.LoadPayload(); }
    core::u16 PersonalFolder() override { return oswin::ShellFolders().PersonalFolder(); }
    void RemoveFile(const core::u16& path) override { oswin::Files().RemoveFile(path); }
    void ExtractStartupFiles() override { wizard_.ExtractStartupFiles(); }
    std::uint32_t SystemDefaultLcid() override { return ::GetSystemDefaultLCID(); }

    app::LanguageDialogOutcome RunLanguageDialog(app::LanguageDialogKind kind,
                                                 const core::u16& workingFolder) override {
        INT_PTR result = -1;
        int index = 0;
        if (kind == app::LanguageDialogKind::Chinese) {
            CSelectLanguageCN dialog(nullptr, workingFolder);
            result = dialog.DoModal();
            index = dialog.m_nChosenIndex;
        } else {
            CSelectLanguageEn dialog(nullptr, kind == app::LanguageDialogKind::EnglishMode0 ? 0 : 1,
                                     workingFolder);
            result = dialog.DoModal();
            index = dialog.m_nChosenIndex;
        }
        if (result == IDOK) return {app::DialogResult::Ok, index};
        if (result == IDCANCEL) return {app::DialogResult::Cancel, 0};
        return {app::DialogResult::Failed, 0};
    }

    void SetUiLanguage(int uiLanguage) override { app_.UiLanguage = uiLanguage; }
    bool LoadTexts(const core::u16& path) override {
        return texts::LoadInstallTexts(path, oswin::Files(), run::InstallTexts);
    }
    void RunWizard() override {
        app_.m_pMainWnd = &wizard_;
        wizard_.SetUiLanguage(app_.UiLanguage);
        wizard_.DoModal();
    }

private:
    CInstallApp& app_;
    CInstallDlg& wizard_;
};

}  // namespace

CInstallApp& TheApp() { return theApp; }

BOOL CInstallApp::InitInstance() {
    win::AfxEnableControlContainer();
    win::ComScope com;  // the folder browser and shell links need COM on this thread
    CInstallDlg wizard(nullptr);
    StartupHost host(*this, wizard);
    app::RunStartup(host);
    m_pMainWnd = nullptr;
    return FALSE;
}
