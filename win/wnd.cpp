#include "win/wnd.h"

#include <map>
#include <tuple>

namespace win {

namespace {

const wchar_t kObjectProperty[] = L"win.CWnd";

}  // namespace

MsgHandler FindHandler(const MessageMap* map, UINT message, WPARAM wParam) {
    for (; map; map = map->base) {
        for (const MsgEntry* e = map->entries; e && e->message; ++e) {
            if (e->message != message) continue;
            if (message == WM_COMMAND) {
                if (e->id != LOWORD(wParam)) continue;
                if (e->code != kAnyCode && e->code != HIWORD(wParam)) continue;
            }
            return e->handler;
        }
    }
    return nullptr;
}

const MessageMap* CWnd::GetThisMessageMap() {
    static const MsgEntry kEntries[] = {{0, 0, 0, nullptr}};
    static const MessageMap kMap{nullptr, kEntries};
    return &kMap;
}

CWnd::~CWnd() {
    if (m_hWnd && FromHandle(m_hWnd) == this) {
        // The object dies before its window: stop routing to it.
        if (m_previousProc) {
            Unbind();
        } else {
            ::RemovePropW(m_hWnd, kObjectProperty);
            ::DestroyWindow(m_hWnd);
        }
    }
    m_hWnd = nullptr;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<CWnd*>(::GetPropW(hwnd, kObjectProperty)) : nullptr;
}

const wchar_t* CWnd::RegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    // One class per distinct argument set, named after its arguments.
    static std::map<std::tuple<UINT, HCURSOR, HBRUSH, HICON>, std::wstring> classes;
    const auto key = std::make_tuple(classStyle, cursor, background, icon);
    auto it = classes.find(key);
    if (it != classes.end()) return it->second.c_str();

    wchar_t name[64];
    wsprintfW(name, L"win.Wnd:%x:%Ix:%Ix:%Ix", classStyle, reinterpret_cast<ULONG_PTR>(cursor),
              reinterpret_cast<ULONG_PTR>(background), reinterpret_cast<ULONG_PTR>(icon));
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = classStyle;
    wc.lpfnWndProc = &CWnd::StaticWindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    return classes.emplace(key, name).first->second.c_str();
}

BOOL CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                    const RECT& rect, HWND parent, UINT id) {
    if (!className) return FALSE;
    HWND hwnd = ::CreateWindowExW(exStyle, className, title, style, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, parent,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                  ::GetModuleHandleW(nullptr), this);
    return hwnd != nullptr;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    if (!hwnd || FromHandle(hwnd)) return FALSE;
    Bind(hwnd);
    m_previousProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hwnd = m_hWnd;
    if (hwnd && FromHandle(hwnd) == this) Unbind();
    m_hWnd = nullptr;
    return hwnd;
}

void CWnd::Bind(HWND hwnd) {
    m_hWnd = hwnd;
    ::SetPropW(hwnd, kObjectProperty, this);
}

void CWnd::Unbind() {
    if (m_previousProc) {
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
        m_previousProc = nullptr;
    }
    ::RemovePropW(m_hWnd, kObjectProperty);
}

std::wstring CWnd::GetWindowText() const {
    const int length = ::GetWindowTextLengthW(m_hWnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(m_hWnd, text.data(), length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

std::wstring CWnd::GetDlgItemText(int id) const {
    HWND item = GetDlgItem(id);
    if (!item) return std::wstring();
    const int length = ::GetWindowTextLengthW(item);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(item, text.data(), length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

RECT CWnd::GetClientRect() const {
    RECT rc{};
    ::GetClientRect(m_hWnd, &rc);
    return rc;
}

bool CWnd::DispatchMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    MsgHandler handler = FindHandler(GetMessageMap(), message, wParam);
    if (!handler) return false;
    *result = handler(this, message, wParam, lParam);
    return true;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (DispatchMessageMap(message, wParam, lParam, &result)) return result;
    return Default();
}

LRESULT CWnd::Default() {
    if (m_previousProc)
        return ::CallWindowProcW(m_previousProc, m_hWnd, m_current.message, m_current.wParam, m_current.lParam);
    return ::DefWindowProcW(m_hWnd, m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::Route(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const CurrentMessage saved = m_current;  // handlers may re-enter through SendMessage
    m_current = {message, wParam, lParam};
    const LRESULT result = WindowProc(message, wParam, lParam);
    m_current = saved;
    if (message == WM_NCDESTROY && m_hWnd == hwnd) {
        Unbind();
        m_hWnd = nullptr;
        PostNcDestroy();
    }
    return result;
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* self = FromHandle(hwnd);
    if (!self && message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<CWnd*>(cs->lpCreateParams);
        if (self) self->Bind(hwnd);
    }
    if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return self->Route(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* self = FromHandle(hwnd);
    if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // Let the control clean up with its own procedure first.
        WNDPROC previous = self->m_previousProc;
        self->Unbind();
        self->m_hWnd = nullptr;
        self->PostNcDestroy();
        return ::CallWindowProcW(previous, hwnd, message, wParam, lParam);
    }
    return self->Route(hwnd, message, wParam, lParam);
}

}  // namespace win
