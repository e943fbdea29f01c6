// CDialog: a modal dialog on a resource template.
//
// DoModal runs DialogBoxParamW with `this` as the init parameter; the dialog
// procedure binds the object at WM_INITDIALOG and routes every message
// through the message map. A handled message's result goes back through
// DWLP_MSGRESULT (or directly, for the messages whose result a dialog
// procedure returns itself). Enter, Escape and the close box arrive as
// WM_COMMAND IDOK / IDCANCEL and reach OnOK / OnCancel.
#pragma once

#include <windows.h>

#include "win/wnd.h"

namespace win {

class CDataExchange;

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr) : m_templateId(templateId), m_parent(parent) {}

    // IDOK, IDCANCEL or the value given to EndDialog; -1 when the dialog
    // could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(INT_PTR result) { ::EndDialog(m_hWnd, result); }

    // Moves data between controls and members (DoDataExchange).
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

protected:
    // Base: binds controls (DoDataExchange) and fills lists from the
    // template's initial data (a DLGINIT resource of the same id).
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* dx);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT Default() override;

    UINT m_templateId;
    CWnd* m_parent;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void ExecuteDialogInit();
    bool m_defaultRequested = false;
};

}  // namespace win
