#include "win/dialog.h"

#include <string>

#include "win/app.h"
#include "win/ddx.h"

namespace win {

namespace {

// Messages whose result a dialog procedure returns directly instead of
// through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

// Win16 list messages as resource compilers write them into DLGINIT data.
constexpr WORD kWin16LbAddString = 0x0401;
constexpr WORD kWin16CbAddString = 0x0403;

}  // namespace

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (control.m_hWnd) return;
    HWND item = ::GetDlgItem(dx->m_pDlgWnd->m_hWnd, id);
    if (item) control.SubclassWindow(item);
}

INT_PTR CDialog::DoModal() {
    HWND parent = m_parent ? m_parent->m_hWnd : nullptr;
    return ::DialogBoxParamW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(m_templateId), parent,
                             &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    ExecuteDialogInit();
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

namespace {

BOOL CALLBACK FirstLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR out) {
    *reinterpret_cast<WORD*>(out) = language;
    return FALSE;  // the first is enough
}

// The ANSI code page of the language a resource was compiled for: DLGINIT
// strings are 8-bit text in that code page, whatever the machine's own.
UINT ResourceCodePage(HINSTANCE instance, const wchar_t* type, const wchar_t* name) {
    WORD language = 0;
    ::EnumResourceLanguagesW(instance, type, name, &FirstLanguage, reinterpret_cast<LONG_PTR>(&language));
    if (PRIMARYLANGID(language) == LANG_NEUTRAL) return CP_ACP;
    wchar_t codePage[8] = {};
    if (!::GetLocaleInfoW(MAKELCID(language, SORT_DEFAULT), LOCALE_IDEFAULTANSICODEPAGE, codePage, 8))
        return CP_ACP;
    const UINT value = static_cast<UINT>(_wtoi(codePage));
    return value ? value : CP_ACP;
}

}  // namespace

// DLGINIT: records of (control id, message, data length, data) ending with a
// zero id; every declared length is checked against the resource's size.
void CDialog::ExecuteDialogInit() {
    HINSTANCE instance = AfxGetInstanceHandle();
    const wchar_t* type = MAKEINTRESOURCEW(240);
    const wchar_t* name = MAKEINTRESOURCEW(m_templateId);
    HRSRC info = ::FindResourceW(instance, name, type);
    if (!info) return;
    HGLOBAL loaded = ::LoadResource(instance, info);
    const auto* p = static_cast<const BYTE*>(loaded ? ::LockResource(loaded) : nullptr);
    const DWORD size = ::SizeofResource(instance, info);
    if (!p) return;
    const UINT codePage = ResourceCodePage(instance, type, name);
    DWORD offset = 0;
    while (offset + 8 <= size) {
        WORD id, message;
        DWORD length;
        memcpy(&id, p + offset, 2);
        memcpy(&message, p + offset + 2, 2);
        memcpy(&length, p + offset + 4, 4);
        offset += 8;
        if (id == 0 || length > size - offset) break;
        std::string bytes(reinterpret_cast<const char*>(p + offset), length);
        offset += length;
        while (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
        UINT send = 0;
        if (message == kWin16CbAddString || message == CB_ADDSTRING) send = CB_ADDSTRING;
        if (message == kWin16LbAddString || message == LB_ADDSTRING) send = LB_ADDSTRING;
        if (!send) continue;
        const int n = ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        std::wstring text(static_cast<size_t>(n > 0 ? n : 0), L'\0');
        if (n > 0) ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
        ::SendDlgItemMessageW(m_hWnd, id, send, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog();
    LRESULT result = 0;
    if (DispatchMessageMap(message, wParam, lParam, &result)) return result;
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return 0;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return 0;
        }
    }
    return Default();
}

LRESULT CDialog::Default() {
    m_defaultRequested = true;  // the dialog manager's own processing follows
    return 0;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        self->Bind(hwnd);
    } else {
        self = static_cast<CDialog*>(CWnd::FromHandle(hwnd));
    }
    if (!self) return FALSE;

    const CurrentMessage saved = self->m_current;
    const bool savedDefault = self->m_defaultRequested;
    self->m_current = {message, wParam, lParam};
    self->m_defaultRequested = false;
    const LRESULT result = self->WindowProc(message, wParam, lParam);
    const bool wantsDefault = self->m_defaultRequested;
    self->m_current = saved;
    self->m_defaultRequested = savedDefault;

    if (message == WM_NCDESTROY) {
        self->Unbind();
        self->m_hWnd = nullptr;
        self->PostNcDestroy();
        return FALSE;
    }
    if (wantsDefault) return FALSE;
    if (ReturnsDirectly(message)) return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace win
