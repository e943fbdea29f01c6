// Data exchange: binding dialog controls to members.
#pragma once

#include <windows.h>

namespace win {

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};

// Binds control `id` of the dialog to `control` (subclassing it, so the
// control's own message map applies) the first time it is called.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

}  // namespace win
