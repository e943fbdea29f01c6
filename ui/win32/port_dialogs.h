// The port dialogs: CTCPPortConfigDlg (template 140) picks, creates,
// configures or deletes a network port; CSelectPortDlg (template 138) picks
// any port of the spooler when the installation cannot create its own.
#pragma once

#include <string>

#include "ui/port_choice.h"
#include "win/controls.h"
#include "win/dialog.h"

class CTCPPortConfigDlg : public win::CDialog {
public:
    // `owner` is the wizard dialog; `tcpPorts` its network port list, which
    // Delete and New change for later openings too.
    CTCPPortConfigDlg(win::CWnd* owner, ui::TcpPortList& tcpPorts, int uiLanguage);

    std::wstring m_strPortName;  // the chosen port after IDOK (may be empty)

protected:
    void DoDataExchange(win::CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnDeletePort();
    void OnNewPort();
    void OnConfigurePort();

    win::CListCtrl m_listPorts;

    DECLARE_MESSAGE_MAP()

private:
    ui::TcpPortList& m_tcpPorts;
    int m_nLanguage;
};

class CSelectPortDlg : public win::CDialog {
public:
    CSelectPortDlg(win::CWnd* parent, int uiLanguage);

    std::wstring m_strPortName;  // the chosen port after IDOK; empty after cancel

protected:
    void DoDataExchange(win::CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    win::CListCtrl m_listPorts;

private:
    int m_nLanguage;
};
