// Thin wrappers of the standard and common controls the dialogs use.
// Each is a CWnd (bound by DDX_Control or Attach) with the operations the
// dialogs need and nothing more.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "win/wnd.h"

namespace win {

class CEdit : public CWnd {
public:
    void SetModify(BOOL modified = TRUE) { SendMessage(EM_SETMODIFY, modified); }
    BOOL GetModify() const { return static_cast<BOOL>(SendMessage(EM_GETMODIFY)); }
};

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int state) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state)); }
};

class CComboBox : public CWnd {
public:
    int AddString(const std::wstring& text) {
        return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    // Text of item `index`; empty for an index out of range.
    std::wstring GetLBText(int index) const;
};

class CProgressCtrl : public CWnd {
public:
    void SetRange(int low, int high) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(low), high); }
    int SetPos(int position) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(position))); }
};

class CListCtrl : public CWnd {
public:
    DWORD SetExtendedStyle(DWORD style) {
        return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style));
    }
    int InsertColumn(int index, const std::wstring& heading, int format, int width);
    int InsertItem(int index, const std::wstring& text);
    BOOL SetItemText(int item, int subItem, const std::wstring& text);
    std::wstring GetItemText(int item, int subItem) const;
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    BOOL DeleteItem(int item) { return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(item))); }
    // The first selected item at or after `start` + 1 (-1 starts at the top); -1 when none.
    int GetNextSelected(int start = -1) const {
        return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(start), LVNI_SELECTED));
    }
    void SetItemState(int item, UINT state, UINT mask);
};

}  // namespace win
