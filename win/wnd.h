// CWnd: a C++ object bound to an HWND.
//
// Binding: windows we create (CreateEx) receive `this` through lpCreateParams
// at WM_NCCREATE; existing controls are bound by SubclassWindow (through data
// exchange). Either way the object is stored in a window property and one
// static procedure routes every message to the virtual WindowProc, which
// looks the message up in the class's message map. Messages nobody handles go
// to the default procedure: DefWindowProc for our windows, the control's
// original procedure for subclassed controls.
//
// No exception leaves a window procedure: handlers must not throw.
#pragma once

#include <windows.h>

#include <string>

#include "win/msgmap.h"

namespace win {

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // Registers (once per distinct set of arguments) a window class whose
    // procedure routes to CWnd objects, and returns its name.
    static const wchar_t* RegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background,
                                           HICON icon);

    // Creates a window of a class from RegisterWndClass and binds it.
    BOOL CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                  const RECT& rect, HWND parent, UINT id);

    // Binds an existing window (a dialog control) and routes its messages
    // through this object's message map. Unhandled messages reach the
    // control's own procedure.
    BOOL SubclassWindow(HWND hwnd);
    // Binds without subclassing: operations only.
    void Attach(HWND hwnd) { m_hWnd = hwnd; }
    HWND Detach();

    // Thin operations.
    void SetWindowText(const std::wstring& text) { ::SetWindowTextW(m_hWnd, text.c_str()); }
    std::wstring GetWindowText() const;
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void SetDlgItemText(int id, const std::wstring& text) { ::SetDlgItemTextW(m_hWnd, id, text.c_str()); }
    std::wstring GetDlgItemText(int id) const;
    void ShowWindow(int command) { ::ShowWindow(m_hWnd, command); }
    void EnableWindow(BOOL enable) { ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE) {
        ::MoveWindow(m_hWnd, x, y, width, height, repaint);
    }
    RECT GetClientRect() const;
    void SetFont(HFONT font, BOOL redraw = TRUE) {
        ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
    }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)); }
    LRESULT SendMessage(UINT message, WPARAM w = 0, LPARAM l = 0) const {
        return ::SendMessageW(m_hWnd, message, w, l);
    }
    BOOL PostMessage(UINT message, WPARAM w = 0, LPARAM l = 0) const {
        return ::PostMessageW(m_hWnd, message, w, l);
    }

    // The object bound to a window, or null.
    static CWnd* FromHandle(HWND hwnd);

protected:
    // Routes one message: the message map first, then Default().
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The default processing of the message being handled.
    virtual LRESULT Default();
    // Called after the final message (WM_NCDESTROY); the HWND is gone.
    virtual void PostNcDestroy() {}

    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const { return GetThisMessageMap(); }

    // Dispatches through the message map; returns false when no entry matched.
    bool DispatchMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    CurrentMessage m_current{};

    // Associates the object with a window / ends the association (and, for
    // a subclassed control, restores its procedure).
    void Bind(HWND hwnd);
    void Unbind();

private:
    static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Route(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC m_previousProc = nullptr;  // set for subclassed controls
};

}  // namespace win
