// fixture: a small dialog program with the kinds of controls the installer
// uses, so that the driver can be proven against known behaviour. Every user
// action it receives is echoed into a static control, and the way the dialog
// ended is the exit code: 1 for OK, 2 for Cancel/Escape/close box.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "fixture_ids.h"

namespace {

void SetText(HWND dlg, int id, const std::wstring& text) { SetDlgItemTextW(dlg, id, text.c_str()); }

void FillControls(HWND dlg) {
  HWND list = GetDlgItem(dlg, IDC_LIST);
  for (const wchar_t* s : {L"简体中文", L"English", L"Русский"})
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  SendMessageW(list, CB_SETCURSEL, 0, 0);

  HWND ports = GetDlgItem(dlg, IDC_PORTS);
  const wchar_t* headers[] = {L"Port", L"Description"};
  for (int c = 0; c < 2; ++c) {
    LVCOLUMNW col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.cx = 100 + 40 * c;
    col.pszText = const_cast<wchar_t*>(headers[c]);
    SendMessageW(ports, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&col));
  }
  const wchar_t* rows[][2] = {{L"COM1:", L"Serial port"}, {L"USB001", L"虚拟打印机端口"}};
  for (int r = 0; r < 2; ++r) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = r;
    item.pszText = const_cast<wchar_t*>(rows[r][0]);
    SendMessageW(ports, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    item.iSubItem = 1;
    item.pszText = const_cast<wchar_t*>(rows[r][1]);
    SendMessageW(ports, LVM_SETITEMTEXTW, r, reinterpret_cast<LPARAM>(&item));
  }
}

INT_PTR CALLBACK FixtureProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      FillControls(dlg);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      const int code = HIWORD(wp);
      if (id == IDC_LIST && code == CBN_SELCHANGE) {
        LRESULT sel = SendDlgItemMessageW(dlg, IDC_LIST, CB_GETCURSEL, 0, 0);
        SetText(dlg, IDC_STATE, L"sel=" + std::to_wstring(sel));
      } else if (id == IDC_EDIT && code == EN_CHANGE) {
        wchar_t buf[256] = {};
        GetDlgItemTextW(dlg, IDC_EDIT, buf, 256);
        SetText(dlg, IDC_EVENT, std::wstring(L"edit:") + buf);
      } else if (id == IDC_ASK && code == BN_CLICKED) {
        int answer = MessageBoxW(dlg, L"Continue with the test?", L"Fixture question",
                                 MB_YESNO | MB_ICONQUESTION);
        SetText(dlg, IDC_EVENT, L"answer=" + std::to_wstring(answer));
      } else if (id == IDC_CHECK && code == BN_CLICKED) {
        LRESULT checked = SendDlgItemMessageW(dlg, IDC_CHECK, BM_GETCHECK, 0, 0);
        SetText(dlg, IDC_EVENT, L"check=" + std::to_wstring(checked));
      } else if ((id == IDOK || id == IDCANCEL) && code == BN_CLICKED) {
        EndDialog(dlg, id);
      }
      return TRUE;
    }
    case WM_NOTIFY: {
      const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lp);
      if (hdr->idFrom == IDC_PORTS && hdr->code == LVN_ITEMCHANGED) {
        const NMLISTVIEW* nm = reinterpret_cast<const NMLISTVIEW*>(lp);
        if ((nm->uNewState & LVIS_SELECTED) && !(nm->uOldState & LVIS_SELECTED))
          SetText(dlg, IDC_EVENT, L"row=" + std::to_wstring(nm->iItem));
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_FIXTURE), nullptr, FixtureProc, 0);
  return result == IDOK ? 1 : result == IDCANCEL ? 2 : 99;
}
