// CInstallDlg: the installer's main window, a five-page wizard on template
// 102. The custom-painted panel covers its upper part; the printer-page
// controls and the progress bar are ordinary dialog controls shown and
// hidden by the page flow. It also owns the payload's memory copy.
//
// Entering the installing page starts the install worker with one plan of
// the choices made. Everything the worker wants shown (progress, wait line,
// deployed files, the port list, the outcome) arrives here as a message and
// is carried out on this dialog's thread; only the dialog changes pages.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/text.h"
#include "engine/install_plan.h"
#include "engine/win32/install_worker.h"
#include "ui/model_catalogue.h"
#include "ui/page_flow.h"
#include "ui/port_choice.h"
#include "ui/win32/port_dialogs.h"
#include "ui/win32/wizard_wnd.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/gdi.h"

class CInstallDlg : public win::CDialog {
public:
    static constexpr UINT kTemplate = 102;
    static constexpr int kIdProgress = 1004;

    explicit CInstallDlg(win::CWnd* parent = nullptr);

    // The run's interface language (0 English, 1 Chinese, 2 Russian), from
    // the application object; set before DoModal.
    void SetUiLanguage(int uiLanguage) { m_nUiLanguage = uiLanguage; }
    int UiLanguage() const { return m_nUiLanguage; }

    // Copies the embedded container (resource 142, type "INSTALL") into
    // memory; the copy lives until the process ends.
    void LoadPayload();
    const std::uint8_t* m_pPayload = nullptr;
    DWORD m_dwPayloadSize = 0;

    // Writes the start-up members of the memory copy into the working folder.
    void ExtractStartupFiles();

    // Moves the progress bar (PBM_SETPOS on 1004) when its window exists.
    // This dialog's thread only: the install worker's progress arrives as
    // a message, and deployment runs the extraction engines in the engine.
    void SetProgress(int position);

    // The network port that the spooler added last and the list does not
    // hold yet; empty when none.
    core::u16 FindNewTcpPort();

    CWizardWnd m_wndWizard;
    ui::TcpPortList m_tcpPorts;

    // The install worker of this dialog; it outlives the worker's thread.
    // Its result is there once the outcome message has arrived.
    const engine::InstallWorker& Worker() const { return m_worker; }

protected:
    void DoDataExchange(win::CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnNext();
    void OnBack();
    void OnBrowse();
    void OnCancelButton();
    void OnSelchangeModel();
    void OnSelchangePort();
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT type);
    LRESULT OnInstallProgress(WPARAM position, LPARAM);
    LRESULT OnInstallWaitText(WPARAM, LPARAM text);
    LRESULT OnInstallDeployedFile(WPARAM, LPARAM name);
    LRESULT OnInstallChoosePort(WPARAM, LPARAM portName);
    LRESULT OnInstallFailed(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    class PageServices;

    void ApplyTexts();
    void FillSerialBoxes();
    void FillPortBox();
    void LoadPrinterModels();
    void PreselectConnectedModel();
    void ShowSerialControls(bool show);
    void EnableSerialControls(bool enable);
    void ShowPrinterControls(bool show);
    void SaveSerialSettings(const core::u16& portName);
    void CaptureControls();
    void PublishChoices();
    void CarryOut(const ui::FlowOutcome& outcome);
    void ShowMessage(ui::MessageId id);
    engine::InstallPlan BuildInstallPlan() const;
    void StartInstallation();
    int Language() const { return m_nUiLanguage; }
    ui::TextIni Ini() const;

    win::CFont m_fontChinese;
    win::CFont m_fontRussian;
    win::CComboBox m_cmbModel;
    win::CComboBox m_cmbPort;
    win::CProgressCtrl m_progress;
    HICON m_hIcon = nullptr;
    core::u16 m_strWorkingFolder;
    ui::ModelBoxState m_modelBox;
    ui::WizardState m_state;
    int m_nUiLanguage = 0;
    engine::InstallWorker m_worker;
    // Next may run modal windows of its own (the network port dialog, the
    // spooler's add-port dialog, a message box) whose loops still deliver a
    // close request to this dialog. Such a request is kept until Next has
    // finished and then ends the dialog instead of Next's page change, so
    // that no installation starts after the user closed the wizard.
    bool m_bInNext = false;
    bool m_bEndRequested = false;
};
