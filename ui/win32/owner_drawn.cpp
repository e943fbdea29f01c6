#include "ui/win32/owner_drawn.h"

#include <commctrl.h>

#include "win/app.h"
#include "win/handles.h"

namespace {

HFONT MakeControlFont(win::CFont& font, const ui::ControlFont& spec) {
    font.CreateFont(spec.height, 0, 0, 0, spec.weight, FALSE, FALSE, FALSE, static_cast<BYTE>(spec.charset),
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                    reinterpret_cast<const wchar_t*>(spec.face));
    return font.Get();
}

const wchar_t* WhiteArrowClass() {
    return win::CWnd::RegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                       static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)), nullptr);
}

RECT BoxSquare() {
    const ui::Rect r = ui::kCheckBoxSquare;
    return RECT{r.left, r.top, r.right, r.bottom};
}

}  // namespace

// ---- CCheckBox --------------------------------------------------------------

BEGIN_MESSAGE_MAP(CCheckBox, win::CWnd)
    ON_WM_PAINT(OnPaint)
    ON_WM_MOUSEMOVE(OnMouseMove)
    ON_WM_LBUTTONDOWN(OnLButtonDown)
    ON_WM_LBUTTONUP(OnLButtonUp)
    ON_WM_MOUSELEAVE(OnMouseLeave)
END_MESSAGE_MAP()

void CCheckBox::Create(const std::wstring& caption, const RECT& rect, win::CWnd* parent) {
    if (!CreateEx(0, WhiteArrowClass(), L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, rect,
                  parent ? parent->m_hWnd : nullptr, 0))
        return;
    m_strCaption = caption;
    win::CFont font;
    MakeControlFont(font, ui::kCheckCaptionFont);
    SIZE extent{};
    {
        win::WindowDc dc(m_hWnd);
        win::SelectGuard select(dc, font.Get());
        ::GetTextExtentPoint32W(dc, m_strCaption.c_str(), static_cast<int>(m_strCaption.size()), &extent);
    }
    const ui::Size size = ui::CheckBoxWindowSize(extent.cx);
    MoveWindow(rect.left, rect.top, size.cx, size.cy, TRUE);
}

void CCheckBox::Apply(const ui::CheckBoxAction& action) {
    if (action.requestLeave) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_hWnd, 0};
        m_state.LeaveTracking(::_TrackMouseEvent(&track) != FALSE);
    }
    if (action.invalidateBox) {
        const RECT box = BoxSquare();
        ::InvalidateRect(m_hWnd, &box, FALSE);
    }
}

void CCheckBox::OnMouseMove(UINT, POINT) {
    Apply(m_state.MouseMove());
    Default();
}

void CCheckBox::OnMouseLeave() { Apply(m_state.MouseLeave()); }

void CCheckBox::OnLButtonDown(UINT, POINT) {
    Apply(m_state.ButtonDown());
    Default();
}

void CCheckBox::OnLButtonUp(UINT, POINT) {
    Apply(m_state.ButtonUp());
    Default();
}

void CCheckBox::OnPaint() {
    win::PaintDc dc(m_hWnd);
    win::UniqueMemoryDc memory(::CreateCompatibleDC(dc));
    win::UniqueBitmap strip(static_cast<HBITMAP>(
        ::LoadImageW(win::AfxGetInstanceHandle(), MAKEINTRESOURCEW(kStripBitmap), IMAGE_BITMAP, 0, 0, 0)));
    if (memory && strip) {
        BITMAP info{};
        ::GetObjectW(strip.Get(), sizeof(info), &info);
        win::SelectGuard selectStrip(memory.Get(), strip.Get());
        ::BitBlt(dc, 0, 0, ui::kCheckImageSize, info.bmHeight, memory.Get(),
                 ui::CheckImageSourceX(m_state.ImageIndex()), 0, SRCCOPY);
    }
    win::CFont font;
    MakeControlFont(font, ui::kCheckCaptionFont);
    ::SetBkMode(dc, TRANSPARENT);
    win::SelectGuard selectFont(dc, font.Get());
    ::TextOutW(dc, ui::kCheckCaptionAt.x, ui::kCheckCaptionAt.y, m_strCaption.c_str(),
               static_cast<int>(m_strCaption.size()));
}

// ---- CMyEdit ----------------------------------------------------------------

BEGIN_MESSAGE_MAP(CMyEdit, win::CEdit)
    ON_WM_ERASEBKGND(OnEraseBkgnd)
    ON_WM_PAINT(OnPaint)
END_MESSAGE_MAP()

BOOL CMyEdit::OnEraseBkgnd(HDC) { return TRUE; }

void CMyEdit::OnPaint() {
    if (IsWindowEnabled()) {
        Default();
        return;
    }
    win::PaintDc dc(m_hWnd);
    const std::wstring text = GetWindowText();
    win::CFont font;
    MakeControlFont(font, ui::kFlatEditFont);
    win::SelectGuard select(dc, font.Get());
    const ui::Colour grey = ui::kDisabledEditText;
    ::SetTextColor(dc, grey);
    ::TextOutW(dc, 0, 0, text.c_str(), static_cast<int>(text.size()));
}

// ---- CFlatEdit --------------------------------------------------------------

BEGIN_MESSAGE_MAP(CFlatEdit, win::CWnd)
    ON_WM_PAINT(OnPaint)
END_MESSAGE_MAP()

void CFlatEdit::Create(const RECT& rect, win::CWnd* parent) {
    if (!CreateEx(0, WhiteArrowClass(), L"", WS_CHILD | WS_CLIPCHILDREN, rect, parent ? parent->m_hWnd : nullptr, 0))
        return;
    const RECT client = GetClientRect();
    const ui::Rect inner = ui::FlatEditInnerRect(client.right, client.bottom);
    HWND edit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, inner.left, inner.top,
                                  inner.right - inner.left, inner.bottom - inner.top, m_hWnd,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kEditId)),
                                  win::AfxGetInstanceHandle(), nullptr);
    if (!edit) return;
    m_edit.SubclassWindow(edit);
    m_edit.SetFont(MakeControlFont(m_font, ui::kFlatEditFont), TRUE);
}

void CFlatEdit::SetText(const std::wstring& text) {
    m_edit.SetWindowText(text);
    m_edit.SetModify(TRUE);
}

std::wstring CFlatEdit::GetText() const { return m_edit.GetWindowText(); }

void CFlatEdit::OnPaint() {
    win::PaintDc dc(m_hWnd);
    const RECT client = GetClientRect();
    win::UniquePen pen = win::MakePen(PS_SOLID, 1, ui::FlatEditBorderColour(IsWindowEnabled() != FALSE));
    win::SelectGuard select(dc, pen.Get());
    const auto outline = ui::FlatEditOutline(client.right, client.bottom);
    ::MoveToEx(dc, outline[0].x, outline[0].y, nullptr);
    for (size_t i = 1; i < outline.size(); ++i) ::LineTo(dc, outline[i].x, outline[i].y);
}
