// Controls that paint themselves: the bitmap check box and the flat-bordered
// one-line edit. Their state and geometry come from ui/check_box_state.h;
// these classes feed messages in and draw.
#pragma once

#include <string>

#include "ui/check_box_state.h"
#include "win/controls.h"
#include "win/gdi.h"
#include "win/wnd.h"

class CCheckBox : public win::CWnd {
public:
    static constexpr int kStripBitmap = 130;

    // Creates the (hidden) check box and sizes it to its caption: caption
    // width + 15 by 13 pixels, at the rectangle's top-left corner.
    void Create(const std::wstring& caption, const RECT& rect, win::CWnd* parent);

    ui::CheckBoxState m_state;  // m_state.checked is the check state
    std::wstring m_strCaption;

protected:
    void OnPaint();
    void OnMouseMove(UINT flags, POINT point);
    void OnMouseLeave();
    void OnLButtonDown(UINT flags, POINT point);
    void OnLButtonUp(UINT flags, POINT point);

    DECLARE_MESSAGE_MAP()

private:
    void Apply(const ui::CheckBoxAction& action);
};

// The edit inside CFlatEdit: paints its text in grey when disabled.
class CMyEdit : public win::CEdit {
protected:
    BOOL OnEraseBkgnd(HDC dc);
    void OnPaint();

    DECLARE_MESSAGE_MAP()
};

class CFlatEdit : public win::CWnd {
public:
    static constexpr int kEditId = 1001;

    // Creates the container (hidden) and the inner edit with the Arial font.
    void Create(const RECT& rect, win::CWnd* parent);
    // Sets the text and marks the edit modified.
    void SetText(const std::wstring& text);
    std::wstring GetText() const;

    win::CFont m_font;
    CMyEdit m_edit;

protected:
    void OnPaint();

    DECLARE_MESSAGE_MAP()
};
