#include "ui/win32/port_dialogs.h"

#include <commctrl.h>

#include "os/win32/services.h"
#include "res/resource.h"
#include "win/ddx.h"

namespace {

std::wstring Wide(const core::u16& s) { return oswin::Wide(s); }

void SetIfNotEmpty(HWND window, const core::u16& text) {
    if (!text.empty()) ::SetWindowTextW(window, oswin::W(text));
}

// Client width, extended styles and report style shared by both lists.
int PrepareList(win::CListCtrl& list) {
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_GRIDLINES);
    return list.GetClientRect().right;
}

}  // namespace

// ---- CTCPPortConfigDlg ------------------------------------------------------

BEGIN_MESSAGE_MAP(CTCPPortConfigDlg, win::CDialog)
    ON_BN_CLICKED(IDC_DELETE_PORT, OnDeletePort)
    ON_BN_CLICKED(IDC_NEW_PORT, OnNewPort)
    ON_BN_CLICKED(IDC_CONFIGURE_PORT, OnConfigurePort)
END_MESSAGE_MAP()

CTCPPortConfigDlg::CTCPPortConfigDlg(win::CWnd* owner, ui::TcpPortList& tcpPorts, int uiLanguage)
    : CDialog(IDD_TCP_PORT_CONFIG, owner), m_tcpPorts(tcpPorts), m_nLanguage(uiLanguage) {}

void CTCPPortConfigDlg::DoDataExchange(win::CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    win::DDX_Control(dx, IDC_PORT_LIST, m_listPorts);
}

BOOL CTCPPortConfigDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    const int width = PrepareList(m_listPorts);
    const ui::TcpDialogTexts texts = ui::GetTcpDialogTexts(m_nLanguage);
    SetIfNotEmpty(m_hWnd, texts.caption);
    SetIfNotEmpty(GetDlgItem(IDC_TCP_GROUP), texts.group);
    SetIfNotEmpty(GetDlgItem(IDC_DELETE_PORT), texts.deleteButton);
    SetIfNotEmpty(GetDlgItem(IDC_NEW_PORT), texts.newButton);
    SetIfNotEmpty(GetDlgItem(IDC_CONFIGURE_PORT), texts.configureButton);
    SetIfNotEmpty(GetDlgItem(IDOK), texts.ok);
    SetIfNotEmpty(GetDlgItem(IDCANCEL), texts.cancel);
    const auto widths = ui::TcpDialogColumnWidths(width);
    m_listPorts.InsertColumn(0, Wide(texts.portColumn), LVCFMT_LEFT, widths[0]);
    m_listPorts.InsertColumn(1, Wide(texts.descriptionColumn), LVCFMT_LEFT, widths[1]);

    int row = 0;
    for (const ui::PortRow& port : ui::TcpDialogRows(m_tcpPorts)) {
        const int at = m_listPorts.InsertItem(row++, Wide(port.name));
        m_listPorts.SetItemText(at, 1, Wide(port.description));
    }
    if (row > 0) m_listPorts.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);

    const LONG_PTR style = ::GetWindowLongPtrW(m_listPorts, GWL_STYLE);
    ::SetWindowLongPtrW(m_listPorts, GWL_STYLE, style | LVS_REPORT | LVS_SHOWSELALWAYS);
    ::SetFocus(m_listPorts);
    return FALSE;  // the focus has been set
}

void CTCPPortConfigDlg::OnDeletePort() {
    const int row = m_listPorts.GetNextSelected();
    if (row < 0) return;
    const core::u16 name = oswin::U16(m_listPorts.GetItemText(row, 0));
    ui::DeleteTcpPort(oswin::PrintSpooler(), reinterpret_cast<os::WindowHandle>(m_hWnd), m_tcpPorts, name);
    m_listPorts.DeleteItem(row);
}

void CTCPPortConfigDlg::OnNewPort() {
    ui::PortRow row;
    if (!ui::NewTcpPort(oswin::PrintSpooler(), reinterpret_cast<os::WindowHandle>(m_hWnd), m_tcpPorts, &row)) return;
    const int at = m_listPorts.InsertItem(m_listPorts.GetItemCount(), Wide(row.name));
    m_listPorts.SetItemText(at, 1, Wide(row.description));
}

void CTCPPortConfigDlg::OnConfigurePort() {
    const int row = m_listPorts.GetNextSelected();
    if (row < 0) return;
    oswin::PrintSpooler().ConfigurePort(reinterpret_cast<os::WindowHandle>(m_hWnd),
                                        oswin::U16(m_listPorts.GetItemText(row, 0)));
}

void CTCPPortConfigDlg::OnOK() {
    const int row = m_listPorts.GetNextSelected();
    if (row >= 0) m_strPortName = m_listPorts.GetItemText(row, 0);
    CDialog::OnOK();
}

// ---- CSelectPortDlg -----------------------------------------------------------

CSelectPortDlg::CSelectPortDlg(win::CWnd* parent, int uiLanguage)
    : CDialog(IDD_SELECT_PORT, parent), m_nLanguage(uiLanguage) {}

void CSelectPortDlg::DoDataExchange(win::CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    win::DDX_Control(dx, IDC_PORT_LIST, m_listPorts);
}

BOOL CSelectPortDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    const int width = PrepareList(m_listPorts);
    const ui::SelectPortDialogTexts texts = ui::GetSelectPortDialogTexts(m_nLanguage);
    SetIfNotEmpty(m_hWnd, texts.caption);
    SetIfNotEmpty(GetDlgItem(IDOK), texts.ok);
    SetIfNotEmpty(GetDlgItem(IDCANCEL), texts.cancel);
    const auto widths = ui::SelectPortColumnWidths(width);
    m_listPorts.InsertColumn(0, Wide(texts.portColumn), LVCFMT_LEFT, widths[0]);
    m_listPorts.InsertColumn(1, Wide(texts.descriptionColumn), LVCFMT_LEFT, widths[1]);
    m_listPorts.InsertColumn(2, Wide(texts.monitorColumn), LVCFMT_LEFT, widths[2]);
    int row = 0;
    for (const ui::PortRow& port : ui::SelectPortRows(oswin::PrintSpooler())) {
        const int at = m_listPorts.InsertItem(row++, Wide(port.name));
        m_listPorts.SetItemText(at, 1, Wide(port.description));
        m_listPorts.SetItemText(at, 2, Wide(port.monitor));
    }
    // The list is asked for during the installation and has no owner: bring
    // it in front of the wizard so the user sees it.
    ::SetForegroundWindow(m_hWnd);
    return TRUE;
}

void CSelectPortDlg::OnOK() {
    const int row = m_listPorts.GetNextSelected();
    if (row < 0) return;  // stays open until a port is picked or the user cancels
    m_strPortName = m_listPorts.GetItemText(row, 0);
    CDialog::OnOK();
}
