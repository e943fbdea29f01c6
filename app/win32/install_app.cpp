#include "app/win32/install_app.h"

#include <windows.h>

#include <utility>

#include "app/startup.h"
#include "os/win32/services.h"
#include "ui/win32/install_dlg.h"
#include "ui/win32/run_values.h"
#include "ui/win32/select_language.h"
#include "win/handles.h"

namespace {

CInstallApp theApp;

// The mark of a running installation. Global, not Local: the installer runs
// elevated and changes machine-wide state (spooler, driver and system
// folders, services, HKLM), so a second administrator session - fast user
// switching, a remote desktop - must see the first session's run too.
// Creating a global object needs SeCreateGlobalPrivilege, which every
// elevated administrator has.
constexpr wchar_t kRunningMutexName[] = L"Global\\LabelPrinterSetup.InstallationRunning";

// Start-up's view of the system: the portable sequence in app/startup.h
// decides, this class carries it out.
class StartupHost : public app::StartupHost {
public:
    StartupHost(CInstallApp& application, CInstallDlg& wizard) : app_(application), wizard_(wizard) {}

    app::RunningMark TakeRunningMark() override {
        // Only the name's existence counts: nobody waits on the mutex, so it
        // is created unowned. The handle stays open, and the mark with it,
        // until this host goes at the end of the run.
        ::SetLastError(ERROR_SUCCESS);
        win::UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, kRunningMutexName));
        const DWORD error = ::GetLastError();
        if (mutex && error == ERROR_ALREADY_EXISTS) return app::RunningMark::HeldElsewhere;
        // The mutex exists, made by another installation whose security
        // does not let this one open it.
        if (!mutex && error == ERROR_ACCESS_DENIED) return app::RunningMark::HeldElsewhere;
        if (!mutex) return app::RunningMark::Unavailable;
        runningMark_ = std::move(mutex);
        return app::RunningMark::Taken;
    }

    void ShowMessage(const ui::MessageBoxSpec& box) override {
        UINT icon = 0;
        if (box.icon == ui::MessageIcon::kError) icon = MB_ICONERROR;
        if (box.icon == ui::MessageIcon::kWarning) icon = MB_ICONWARNING;
        ::MessageBoxW(nullptr, oswin::W(box.text), oswin::W(box.caption), MB_OK | icon | MB_SETFOREGROUND);
    }

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
    win::UniqueHandle runningMark_;
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
