#include "ui/win32/install_dlg.h"

#include <commctrl.h>
#include <shlobj.h>

#include "engine/usb_detect.h"
#include "os/win32/services.h"
#include "payload/startup_files.h"
#include "payload/win32/load_payload.h"
#include "res/resource.h"
#include "ui/dialog_texts.h"
#include "ui/model_catalogue.h"
#include "ui/win32/run_values.h"
#include "win/app.h"
#include "win/ddx.h"
#include "win/handles.h"

namespace {

constexpr int kPrinterControls[] = {IDC_PORT_GROUP, IDC_MODEL_LABEL, IDC_MODEL, IDC_PRINTER_NAME,
                                    IDC_PRINTER_NAME_LABEL, IDC_SET_DEFAULT, IDC_PORT_LABEL, IDC_PORT};
constexpr int kSerialControls[] = {IDC_BAUD_LABEL,  IDC_BAUD,        IDC_DATA_BITS_LABEL,    IDC_DATA_BITS,
                                   IDC_PARITY_LABEL, IDC_PARITY,     IDC_STOP_BITS_LABEL,    IDC_STOP_BITS,
                                   IDC_FLOW_CONTROL_LABEL, IDC_FLOW_CONTROL};
constexpr wchar_t kPortsKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

std::wstring Wide(const core::u16& s) { return oswin::Wide(s); }

engine::UsbDetectContext UsbContext() {
    return engine::UsbDetectContext{oswin::Devices(),          oswin::SystemRegistry(), oswin::Logs(),
                                    run::ModelTable,           run::ConnectedPrinters,
                                    engine::PortNameView::Of(run::PortNameSnapshot.names)};
}

}  // namespace

// What the page flow asks of the dialog and the installation engine.
class CInstallDlg::PageServices : public ui::NextServices {
public:
    explicit PageServices(CInstallDlg& dialog) : dialog_(dialog) {}

    int ScanConnectedPrinters() override {
        auto paths = std::make_unique<engine::UsbPathBuffer>();
        return engine::ScanConnectedPrinters(oswin::Devices(), run::ModelTable, run::ConnectedPrinters, *paths);
    }
    bool FindUsbPrinterPort(core::u16& portOut, core::u16view vidPid, core::u16view) override {
        char16_t port[260] = {};
        core::CopyTruncated(port, portOut);
        auto context = UsbContext();
        const int found = engine::FindUsbPrinterPort(context, vidPid, port, 260);
        portOut = core::u16(core::FieldView(port));
        return found != 0;
    }
    void SaveSerialSettings(const core::u16& portName) override { dialog_.SaveSerialSettings(portName); }
    bool RunTcpPortDialog(core::u16* portName) override {
        CTCPPortConfigDlg dialog(&dialog_, dialog_.m_tcpPorts, dialog_.Language());
        if (dialog.DoModal() != IDOK) return false;
        *portName = oswin::U16(dialog.m_strPortName);
        return true;
    }

private:
    CInstallDlg& dialog_;
};

BEGIN_MESSAGE_MAP(CInstallDlg, win::CDialog)
    ON_WM_SYSCOMMAND(OnSysCommand)
    ON_WM_PAINT(OnPaint)
    ON_WM_QUERYDRAGICON(OnQueryDragIcon)
    ON_BN_CLICKED(IDC_NEXT, OnNext)
    ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
    ON_BN_CLICKED(IDC_BACK, OnBack)
    ON_BN_CLICKED(IDC_CANCEL_FINISH, OnCancelButton)
    ON_CBN_SELCHANGE(IDC_MODEL, OnSelchangeModel)
    ON_CBN_SELCHANGE(IDC_PORT, OnSelchangePort)
    ON_WM_CTLCOLOR(OnCtlColor)
    ON_MESSAGE(engine::kMsgInstallProgress, OnInstallProgress)
    ON_MESSAGE(engine::kMsgInstallWaitText, OnInstallWaitText)
    ON_MESSAGE(engine::kMsgInstallDeployedFile, OnInstallDeployedFile)
    ON_MESSAGE(engine::kMsgInstallChoosePort, OnInstallChoosePort)
    ON_MESSAGE(engine::kMsgInstallFailed, OnInstallFailed)
END_MESSAGE_MAP()

CInstallDlg::CInstallDlg(win::CWnd* parent) : CDialog(kTemplate, parent) {
    m_hIcon = static_cast<HICON>(
        ::LoadImageW(win::AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
}

void CInstallDlg::DoDataExchange(win::CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    win::DDX_Control(dx, IDC_MODEL, m_cmbModel);
    win::DDX_Control(dx, IDC_PORT, m_cmbPort);
    win::DDX_Control(dx, IDC_PROGRESS, m_progress);
}

// ---- payload ------------------------------------------------------------------

void CInstallDlg::LoadPayload() {
    m_pPayload = payload::LoadInstallPayload(IDR_INSTALL_PAYLOAD, INSTALL_PAYLOAD_TYPE_W, &m_dwPayloadSize);
}

void CInstallDlg::SetProgress(int position) {
    HWND bar = m_hWnd ? ::GetDlgItem(m_hWnd, kIdProgress) : nullptr;
    if (::IsWindow(bar)) ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void CInstallDlg::ExtractStartupFiles() {
    payload::ExtractStartupFiles(m_pPayload, m_dwPayloadSize, oswin::ShellFolders().PersonalFolder(),
                                 oswin::Files(), [this](int position) { SetProgress(position); },
                                 oswin::AnsiCodePage());
}

// ---- initialisation -------------------------------------------------------------

ui::TextIni CInstallDlg::Ini() const { return ui::TextIni{&oswin::Profiles(), ui::TextIniPath(m_strWorkingFolder)}; }

BOOL CInstallDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    m_strWorkingFolder = oswin::ShellFolders().PersonalFolder();

    const auto& cn = ui::kChineseDialogFont;
    const auto& ru = ui::kRussianDialogFont;
    m_fontChinese.CreateFont(cn.height, 0, 0, 0, FW_NORMAL, 0, 0, 0, static_cast<BYTE>(cn.charset), 0, 0, 0, 0,
                             reinterpret_cast<const wchar_t*>(cn.face));
    m_fontRussian.CreateFont(ru.height, 0, 0, 0, FW_NORMAL, 0, 0, 0, static_cast<BYTE>(ru.charset), 0, 0, 0, 0,
                             reinterpret_cast<const wchar_t*>(ru.face));

    MoveWindow(0, 0, 523, 365, TRUE);
    m_wndWizard.Create(this, Language());

    const RECT client = GetClientRect();
    const int r = client.right, b = client.bottom;
    ::MoveWindow(GetDlgItem(IDC_BACK), r - 252, b - 33, 78, 23, TRUE);
    ::MoveWindow(GetDlgItem(IDC_NEXT), r - 169, b - 33, 78, 23, TRUE);
    ::MoveWindow(GetDlgItem(IDC_CANCEL_FINISH), r - 86, b - 33, 78, 23, TRUE);
    ::MoveWindow(GetDlgItem(IDC_BROWSE), r - 153, b - 156, 78, 23, TRUE);

    m_progress.SetRange(0, 100);
    m_progress.SetPos(0);

    ApplyTexts();
    ui::TakePortNameSnapshot(oswin::PrintSpooler(), run::PortNameSnapshot);
    LoadPrinterModels();
    PreselectConnectedModel();
    ::MoveWindow(GetDlgItem(IDC_PORT_GROUP), 3, 85, r - 6, b - 138, TRUE);
    ::CheckDlgButton(m_hWnd, IDC_SET_DEFAULT, BST_CHECKED);
    run::SetAsDefault = 1;
    FillSerialBoxes();
    FillPortBox();
    return TRUE;
}

void CInstallDlg::ApplyTexts() {
    const ui::WizardDialogTexts texts =
        ui::GetWizardDialogTexts(Language(), core::FieldView(run::InstallTexts.WindowTitle), Ini());
    if (texts.setCaption) SetWindowText(Wide(texts.caption));
    for (const ui::DialogLabel& label : texts.labels) SetDlgItemText(label.controlId, Wide(label.text));
    HFONT font = texts.font == ui::DialogFontChoice::kChinese   ? m_fontChinese.Get()
                 : texts.font == ui::DialogFontChoice::kRussian ? m_fontRussian.Get()
                                                                : nullptr;
    if (font)
        for (int id : texts.fontControls) ::SendMessageW(GetDlgItem(id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void CInstallDlg::LoadPrinterModels() {
    const core::u16 prompt = ui::ModelPromptText(Language(), Ini());
    ui::LoadPrinterModels(oswin::Files(), m_strWorkingFolder, prompt, run::ModelTable, m_modelBox);
    for (const core::u16& entry : m_modelBox.entries) m_cmbModel.AddString(Wide(entry));
    if (m_modelBox.selected >= 0) m_cmbModel.SetCurSel(m_modelBox.selected);
    SetDlgItemText(IDC_PRINTER_NAME, Wide(m_modelBox.printerName));
}

void CInstallDlg::PreselectConnectedModel() {
    auto context = UsbContext();
    const core::u16 model = engine::DetectConnectedModel(context);
    if (model.empty()) return;
    const int index = engine::FindModelBoxEntry(m_modelBox.entries, model);
    if (index < 0) return;
    m_cmbModel.SetCurSel(index);
    m_modelBox.selected = index;
    m_modelBox.printerName = model;
    SetDlgItemText(IDC_PRINTER_NAME, Wide(model));
}

void CInstallDlg::FillSerialBoxes() {
    for (const ui::SerialBox& box : ui::SerialBoxes()) {
        HWND combo = GetDlgItem(box.controlId);
        for (const core::u16& item : box.items)
            ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(oswin::W(item)));
        ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(box.defaultIndex), 0);
    }
}

void CInstallDlg::FillPortBox() {
    const ui::PortBox box = ui::FillPortBox(oswin::PrintSpooler(), Language(), m_tcpPorts);
    for (const core::u16& entry : box.entries) m_cmbPort.AddString(Wide(entry));
    if (box.selected >= 0) m_cmbPort.SetCurSel(box.selected);
}

// ---- controls -------------------------------------------------------------------

void CInstallDlg::ShowSerialControls(bool show) {
    for (int id : kSerialControls) ::ShowWindow(GetDlgItem(id), show ? SW_SHOW : SW_HIDE);
}

void CInstallDlg::EnableSerialControls(bool enable) {
    for (int id : kSerialControls) ::EnableWindow(GetDlgItem(id), enable);
}

void CInstallDlg::ShowPrinterControls(bool show) {
    for (int id : kPrinterControls) ::ShowWindow(GetDlgItem(id), show ? SW_SHOW : SW_HIDE);
}

void CInstallDlg::OnSelchangeModel() {
    ui::OnModelSelected(m_modelBox, m_cmbModel.GetCurSel(), run::SelectedModel);
    SetDlgItemText(IDC_PRINTER_NAME, Wide(m_modelBox.printerName));
}

void CInstallDlg::OnSelchangePort() {
    const core::u16 entry = oswin::U16(m_cmbPort.GetLBText(m_cmbPort.GetCurSel()));
    const ui::PortSelection selection = ui::OnPortSelected(entry);
    core::CopyTruncated(run::InstallTexts.PortPrefix, selection.portPrefix);
    EnableSerialControls(selection.serialEnabled);
}

void CInstallDlg::SaveSerialSettings(const core::u16& portName) {
    const auto text = [this](int id, std::size_t limit) {
        core::u16 value = oswin::U16(GetDlgItemText(id));
        if (value.size() > limit) value.resize(limit);
        return value;
    };
    const auto index = [this](int id) { return static_cast<int>(::SendMessageW(GetDlgItem(id), CB_GETCURSEL, 0, 0)); };
    const core::u16 value = ui::SerialSettingsValue(text(IDC_BAUD, 255), index(IDC_PARITY), text(IDC_DATA_BITS, 127),
                                                    text(IDC_STOP_BITS, 127), index(IDC_FLOW_CONTROL));
    auto key = oswin::SystemRegistry().CreateKey(oswin::U16(kPortsKey));
    if (!key) return;
    key->SetString(portName, value);
}

core::u16 CInstallDlg::FindNewTcpPort() { return ui::FindNewTcpPort(oswin::PrintSpooler(), m_tcpPorts); }

// ---- page flow ------------------------------------------------------------------

void CInstallDlg::CaptureControls() {
    m_state.page = m_wndWizard.m_nPage.load();
    m_state.folderText = oswin::U16(m_wndWizard.m_editFolder.GetText());
    m_state.printerNameText = oswin::U16(GetDlgItemText(IDC_PRINTER_NAME));
    m_state.modelIndex = m_cmbModel.GetCurSel();
    const int port = m_cmbPort.GetCurSel();
    m_state.portEntryText = port >= 0 ? oswin::U16(m_cmbPort.GetLBText(port)) : core::u16();
    m_state.defaultChecked = ::IsDlgButtonChecked(m_hWnd, IDC_SET_DEFAULT) == BST_CHECKED;

    // The values the run already holds, so that the flow changes only what
    // it decides.
    m_state.chosenFolder = core::u16(core::FieldView(run::ChosenFolder));
    m_state.selectedModel = run::SelectedModel;
    m_state.portPrefix = core::u16(core::FieldView(run::InstallTexts.PortPrefix));
    m_state.portConfirmed = m_wndWizard.m_bPortConfirmed != 0;
    m_state.installPrinterName = core::u16(core::FieldView(run::InstallPrinterName));
    m_state.printerBaseName = core::u16(core::FieldView(run::InstallTexts.PrinterBaseName));
    m_state.driverName = core::u16(core::FieldView(run::InstallTexts.DriverName));
    m_state.setAsDefault = run::SetAsDefault != 0;
}

void CInstallDlg::PublishChoices() {
    core::CopyTruncated(run::ChosenFolder, m_state.chosenFolder);
    run::SelectedModel = m_state.selectedModel;
    core::CopyTruncated(run::InstallTexts.PortPrefix, m_state.portPrefix);
    m_wndWizard.m_bPortConfirmed = m_state.portConfirmed ? 1 : 0;
    core::CopyTruncated(run::InstallPrinterName, m_state.installPrinterName);
    core::CopyTruncated(run::InstallTexts.PrinterBaseName, m_state.printerBaseName);
    core::CopyTruncated(run::InstallTexts.DriverName, m_state.driverName);
    run::SetAsDefault = m_state.setAsDefault ? 1 : 0;
}

void CInstallDlg::ShowMessage(ui::MessageId id) {
    const ui::MessageBoxSpec spec = ui::GetMessageBox(id, Language(), Ini());
    UINT icon = 0;
    if (spec.icon == ui::MessageIcon::kError) icon = MB_ICONERROR;
    if (spec.icon == ui::MessageIcon::kWarning) icon = MB_ICONWARNING;
    ::MessageBoxW(spec.owner == ui::MessageOwner::kDialog ? m_hWnd : nullptr, oswin::W(spec.text),
                  oswin::W(spec.caption), MB_OK | icon);
}

void CInstallDlg::OnNext() {
    // A Next that arrives while Next's own modal window is open would run
    // the page flow twice over.
    if (m_bInNext) return;
    // On the installing page Next is disabled: the command comes from the
    // worker's success. Any other copy of it (one posted from outside while
    // the worker still runs) would let the dialog close under the worker.
    if (m_wndWizard.m_nPage.load() == ui::PageInstalling) {
        const engine::InstallResult* result = m_worker.Result();
        if (!result || !result->succeeded) return;
    }
    CaptureControls();
    PageServices services(*this);
    const ui::TextIni ini = Ini();
    ui::FlowContext context{oswin::Files(),   oswin::PrintSpooler(), reinterpret_cast<os::WindowHandle>(m_hWnd),
                            services,         run::ModelTable,       m_tcpPorts,
                            Language(),       ini,                   &oswin::System()};
    m_bInNext = true;
    const ui::FlowOutcome outcome = ui::OnNext(m_state, context);
    if (outcome.message != ui::MessageId::kNone && !m_bEndRequested) ShowMessage(outcome.message);
    m_bInNext = false;
    if (m_bEndRequested) {
        // Closed while Next's window was open: the wizard ends where it was.
        CDialog::OnCancel();
        return;
    }
    if (outcome.message != ui::MessageId::kNone) return;
    PublishChoices();
    if (outcome.moved) m_wndWizard.m_nPage = m_state.page;
    CarryOut(outcome);
}

void CInstallDlg::OnBack() {
    CaptureControls();
    const ui::FlowOutcome outcome = ui::OnBack(m_state);
    if (outcome.moved) m_wndWizard.m_nPage = m_state.page;
    CarryOut(outcome);
}

void CInstallDlg::CarryOut(const ui::FlowOutcome& outcome) {
    const auto show = [this](int id, bool visible) { ::ShowWindow(GetDlgItem(id), visible ? SW_SHOW : SW_HIDE); };
    const auto enable = [this](int id, bool on) { ::EnableWindow(GetDlgItem(id), on); };
    for (ui::UiStep step : outcome.steps) {
        switch (step) {
        case ui::UiStep::kPanelShowFolderField: m_wndWizard.ShowFolderField(1); break;
        case ui::UiStep::kPanelHideFolderField: m_wndWizard.ShowFolderField(0); break;
        case ui::UiStep::kShowFolderField: m_wndWizard.m_editFolder.ShowWindow(SW_SHOW); break;
        case ui::UiStep::kHideFolderField: m_wndWizard.m_editFolder.ShowWindow(SW_HIDE); break;
        case ui::UiStep::kShowBrowse: show(IDC_BROWSE, true); break;
        case ui::UiStep::kHideBrowse: show(IDC_BROWSE, false); break;
        case ui::UiStep::kShowBack: show(IDC_BACK, true); break;
        case ui::UiStep::kHideBack: show(IDC_BACK, false); break;
        case ui::UiStep::kHideNext: show(IDC_NEXT, false); break;
        case ui::UiStep::kShowPrinterControls: ShowPrinterControls(true); break;
        case ui::UiStep::kHidePrinterControls: ShowPrinterControls(false); break;
        case ui::UiStep::kEnableSerialControls: EnableSerialControls(true); break;
        case ui::UiStep::kDisableSerialControls: EnableSerialControls(false); break;
        case ui::UiStep::kShowSerialControls: ShowSerialControls(true); break;
        case ui::UiStep::kHideSerialControls: ShowSerialControls(false); break;
        case ui::UiStep::kHideBaudControls:
            show(IDC_BAUD_LABEL, false);
            show(IDC_BAUD, false);
            break;
        case ui::UiStep::kShowProgress: show(IDC_PROGRESS, true); break;
        case ui::UiStep::kUpdateProgress: ::UpdateWindow(GetDlgItem(IDC_PROGRESS)); break;
        case ui::UiStep::kHideProgress: show(IDC_PROGRESS, false); break;
        case ui::UiStep::kDisableCancel: enable(IDC_CANCEL_FINISH, false); break;
        case ui::UiStep::kDisableBack: enable(IDC_BACK, false); break;
        case ui::UiStep::kDisableNext: enable(IDC_NEXT, false); break;
        case ui::UiStep::kEnableCancel: enable(IDC_CANCEL_FINISH, true); break;
        case ui::UiStep::kSetCancelLabel: SetDlgItemText(IDC_CANCEL_FINISH, Wide(outcome.cancelLabel)); break;
        case ui::UiStep::kUpdatePanel:
            m_wndWizard.Invalidate(FALSE);
            m_wndWizard.UpdateWindow();
            break;
        case ui::UiStep::kInvalidatePanel: m_wndWizard.Invalidate(FALSE); break;
        case ui::UiStep::kPrepareAndStartInstall:
            ui::PrepareInstallation(m_state, oswin::Files(), oswin::PrintSpooler(), Language());
            m_wndWizard.m_editFolder.SetText(Wide(m_state.folderText));
            PublishChoices();
            StartInstallation();
            break;
        }
    }
}

// ---- installation -----------------------------------------------------------------

engine::InstallPlan CInstallDlg::BuildInstallPlan() const {
    engine::InstallPlan plan;
    plan.uiLanguage = Language();
    plan.payload = m_pPayload;
    plan.payloadSize = m_dwPayloadSize;
    plan.imagePath = oswin::System().ModulePath();
    plan.chosenFolder = m_state.chosenFolder;
    plan.installFolder = m_state.folderText;  // PrepareInstallation made it the install folder
    plan.installPrinterName = m_state.installPrinterName;
    plan.printerBaseName = m_state.printerBaseName;
    plan.monitorName = core::u16(core::FieldView(run::InstallTexts.MonitorName));
    plan.portPrefix = m_state.portPrefix;
    plan.portConfirmed = m_state.portConfirmed;
    plan.setAsDefault = m_state.setAsDefault;
    // The page flow accepts only indexes inside the table; an empty record
    // otherwise, rather than reading past it.
    if (m_state.selectedModel > 0 && m_state.selectedModel < core::kModelTableSize)
        plan.model = run::ModelTable[m_state.selectedModel];
    return plan;
}

void CInstallDlg::StartInstallation() {
    // A worker that cannot start would leave the installing page with every
    // button disabled: end on the failure page instead.
    if (!m_worker.Start(m_hWnd, BuildInstallPlan())) OnInstallFailed(0, 0);
}

LRESULT CInstallDlg::OnInstallProgress(WPARAM position, LPARAM) {
    SetProgress(static_cast<int>(position));
    return 0;
}

LRESULT CInstallDlg::OnInstallWaitText(WPARAM, LPARAM text) {
    m_wndWizard.SetWaitText(Wide(*reinterpret_cast<const core::u16*>(text)));
    return 0;
}

LRESULT CInstallDlg::OnInstallDeployedFile(WPARAM, LPARAM name) {
    m_wndWizard.RecordDeployedFile(Wide(*reinterpret_cast<const core::u16*>(name)));
    return 0;
}

// The port list, run modally on this thread while the worker waits. It has
// no owner window, so it is brought to the foreground where the user sees it.
LRESULT CInstallDlg::OnInstallChoosePort(WPARAM, LPARAM portName) {
    CSelectPortDlg dialog(nullptr, Language());
    if (dialog.DoModal() != IDOK) return 0;
    *reinterpret_cast<core::u16*>(portName) = oswin::U16(dialog.m_strPortName);
    return 1;
}

LRESULT CInstallDlg::OnInstallFailed(WPARAM, LPARAM) {
    m_state.page = m_wndWizard.m_nPage.load();
    const ui::FlowOutcome outcome = ui::OnInstallFailed(m_state, Language());
    if (outcome.moved) m_wndWizard.m_nPage = m_state.page;
    CarryOut(outcome);
    return 0;
}

// ---- other handlers -----------------------------------------------------------

void CInstallDlg::OnBrowse() {
    wchar_t display[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = m_hWnd;
    info.pszDisplayName = display;
    info.lpszTitle = L"Selection ";
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE pidl = ::SHBrowseForFolderW(&info);
    if (!pidl) return;
    wchar_t path[MAX_PATH] = {};
    if (::SHGetPathFromIDListW(pidl, path)) m_wndWizard.m_editFolder.SetText(path);
    ::CoTaskMemFree(pidl);
}

void CInstallDlg::OnCancelButton() { OnCancel(); }

// While the worker runs it uses this dialog: Enter, Escape and the close box
// do not end it then.
void CInstallDlg::OnOK() {
    if (m_wndWizard.m_nPage.load() == ui::PageInstalling) return;
    if (m_bInNext) {
        m_bEndRequested = true;
        return;
    }
    CDialog::OnOK();
}

void CInstallDlg::OnCancel() {
    if (m_wndWizard.m_nPage.load() == ui::PageInstalling) return;
    if (m_bInNext) {
        m_bEndRequested = true;
        return;
    }
    CDialog::OnCancel();
}

void CInstallDlg::OnSysCommand(UINT, LPARAM) { Default(); }

HCURSOR CInstallDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CInstallDlg::OnPaint() {
    win::PaintDc dc(m_hWnd);
    const RECT client = GetClientRect();
    const int w = client.right, h = client.bottom;
    {
        win::UniquePen grey = win::MakePen(PS_SOLID, 1, RGB(172, 168, 153));
        win::SelectGuard select(dc, grey.Get());
        ::MoveToEx(dc, 1, h - 50, nullptr);
        ::LineTo(dc, w - 1, h - 50);
    }
    win::UniquePen white = win::MakePen(PS_SOLID, 1, RGB(255, 255, 255));
    win::SelectGuard select(dc, white.Get());
    ::MoveToEx(dc, 1, h - 49, nullptr);
    ::LineTo(dc, w - 1, h - 49);
}

HBRUSH CInstallDlg::OnCtlColor(HDC dc, HWND, UINT type) {
    if (type != CTLCOLOR_STATIC) {
        Default();
        return nullptr;
    }
    ::SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
}
