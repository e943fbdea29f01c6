// State and geometry of the owner-drawn controls: the bitmap check box
// (CCheckBox) and the flat-bordered edit (CFlatEdit, CMyEdit). The Win32
// classes feed window messages in and paint what these values say.
#pragma once

#include <array>
#include <cstdint>

#include "ui/paint_types.h"

namespace ui {

// What the window procedure must do after an event.
struct CheckBoxAction {
    bool requestLeave = false;  // call _TrackMouseEvent(TME_LEAVE), report with LeaveTracking
    bool invalidateBox = false; // invalidate kCheckBoxSquare without erasing
};

// The check box's mouse state machine. The control takes no mouse capture,
// so a button released outside it never reaches it. With CS_DBLCLKS the
// second press of a double click arrives as WM_LBUTTONDBLCLK, which the
// control does not handle, while both releases toggle.
class CheckBoxState {
public:
    // WM_MOUSEMOVE. Asks for a leave notification while none is pending and
    // turns the normal look hot.
    CheckBoxAction MouseMove();
    // Result of the _TrackMouseEvent call that MouseMove asked for.
    void LeaveTracking(bool requested);
    // WM_MOUSELEAVE.
    CheckBoxAction MouseLeave();
    // WM_LBUTTONDOWN: pressed look.
    CheckBoxAction ButtonDown();
    // WM_LBUTTONUP: toggles the check; the pressed look stays until leave.
    CheckBoxAction ButtonUp();

    // Image of the six-image strip: (checked ? 3 : 0) + look.
    int ImageIndex() const { return (checked ? 3 : 0) + look; }

    bool tracking = false;
    bool checked = true;
    int look = 0;  // 0 normal, 1 hot, 2 pressed
};

// Bitmap resource 130: six 13 x 13 images side by side.
constexpr int kCheckImageSize = 13;
constexpr int kCheckImageCount = 6;
inline constexpr Rect kCheckBoxSquare = {0, 0, 13, 13};
inline constexpr Point kCheckCaptionAt = {15, 0};
// Left edge of `image` in the strip.
constexpr int CheckImageSourceX(int image) { return kCheckImageSize * image; }

// The window size Create gives the check box, whatever rectangle it was
// created with: the caption's measured width + 15, by 13.
Size CheckBoxWindowSize(int captionWidth);

// CreateFontW arguments of the controls' fonts (all others 0).
struct ControlFont {
    const char16_t* face;
    int height;
    int weight;
    int charset;
};
inline constexpr ControlFont kCheckCaptionFont = {u"Ms Scanf", 14, 400, 0};
inline constexpr ControlFont kFlatEditFont = {u"Arial", 14, 400, 0};

// CFlatEdit's one-pixel outline colour.
Colour FlatEditBorderColour(bool enabled);
// The closed outline (0,0) -> (w-1,0) -> (w-1,h-1) -> (0,h-1) -> (0,0).
std::array<Point, 5> FlatEditOutline(int width, int height);
// Where the inner edit sits in a container of the given client size.
Rect FlatEditInnerRect(int width, int height);
// Text colour of a disabled CMyEdit.
inline constexpr Colour kDisabledEditText = Rgb(192, 192, 192);

}  // namespace ui
