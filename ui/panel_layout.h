// What the wizard panel paints, computed without a device context: line
// breaking of the page texts, the chamfered group frame, and the complete
// list of drawing operations of every page. The Win32 panel executes the list
// in order on its paint context (transparent background mode throughout) and
// measures text for it with GetTextExtentPoint32W in the named font.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/text.h"
#include "os/profile.h"
#include "ui/paint_types.h"
#include "ui/panel_texts.h"

namespace ui {

// Width in pixels of `text` in the font the caller has selected.
using MeasureWidth = std::function<int(core::u16view text)>;

// Characters a display line holds at most (the line buffer has 256 units).
constexpr std::size_t kMaxLineChars = 255;

// Breaks `text` into display lines character by character. A character is
// appended to the current line, then the line is measured; the line ends when
// it is wider than `maxWidth`, when the character was a line feed, or when it
// holds kMaxLineChars characters. The character that ended a line stays on it
// (a line ended by LF ends with that LF; a line may be one character wider
// than the limit). A remaining non-empty line is the last one. Empty text
// gives no lines; every character of `text` is on exactly one line.
std::vector<core::u16> SplitTextLines(core::u16view text, int maxWidth, const MeasureWidth& measure);

// Text extent (GetTextExtentPoint32W) of `text` in the panel font `font`.
using MeasureInFont = std::function<Size(PanelFont font, core::u16view text)>;

// A line from `from` to `to` with a 1-pixel solid pen, drawn as MoveTo/LineTo:
// the end point itself is not drawn.
struct Segment {
    Point from;
    Point to;
    friend bool operator==(const Segment& a, const Segment& b) { return a.from == b.from && a.to == b.to; }
};

// The 13 segments of a frame with chamfered corners whose top edge leaves a
// gap of `titleWidth` + 8 pixels for the title, in drawing order.
std::array<Segment, 13> GroupFrameSegments(const Rect& frame, int titleWidth);

// Where the frame title goes: (left + 8, top - titleHeight / 2), the division
// truncating toward zero.
Point GroupFrameTitlePosition(const Rect& frame, int titleHeight);

inline constexpr Colour kPanelWhite = Rgb(255, 255, 255);
inline constexpr Colour kPanelTextColour = Rgb(0, 0, 0);
inline constexpr Colour kSeparatorColour = Rgb(172, 168, 153);
inline constexpr Colour kFrameColour = Rgb(208, 208, 191);
inline constexpr Colour kFrameTitleColour = Rgb(0, 70, 213);

inline constexpr Rect kFolderFrame = {26, 168, 453, 218};
inline constexpr Rect kFolderFieldRect = {38, 182, 362, 204};
inline constexpr Rect kRestartBoxRect = {28, 180, 48, 313};
inline constexpr int kHeaderHeight = 54;
inline constexpr int kLogoWidth = 200;

enum class PanelOpKind {
    FillRect,        // rect, colour
    WelcomePicture,  // bitmap resource 131 at `at`, its own size
    CopyLogo,        // the logo's pixels from (0,0), `size` of them, to `at`
    Line,            // segment, pen colour
    Text,            // text at `at` in `font`, text colour
};

struct PanelOp {
    PanelOpKind kind = PanelOpKind::FillRect;
    Rect rect;
    Point at;
    Size size;
    Segment segment;
    Colour colour = 0;
    PanelFont font = PanelFont::Body;
    core::u16 text;
};

// Everything one paint depends on. The wait line is a copy taken on the
// painting thread; how the worker hands it over is the Win32 side's concern.
struct PanelPaintInput {
    std::int32_t page = 0;    // m_nPage
    int uiLanguage = 0;       // UiLanguage
    bool chinese = true;      // m_bChinese
    int width = 0;            // client width W
    int height = 0;           // client height
    PanelPageTexts texts;     // loaded page texts; empty ones fall back
    core::u16 waitText;       // m_strWaitText
    bool hasLogo = false;     // "Logo.bmp" loaded (never on the welcome page)
    Size logoSize;            // its size in pixels when loaded
    core::u16 textIniPath;    // "Text.ini" in the working folder
};

// The drawing operations of one paint, in order.
//
// Every page starts by filling the whole client area white (the welcome page
// too, so that it never depends on the window background having been
// erased). Welcome: picture, then the text at x 192 (chinese) or 180 from
// y 20, split in the heading font at W - 10, line 1 in the heading font and
// +30, further lines in the body font and +16 each. Other pages: the logo's
// own pixels, at most 200 x 54, at (W - 200, 0) over the white band; the
// separator (0,54)-(W,54); the title at (15,10); then the body text at x 28
// from y 70, split in the body font at W - 56, +13 per line (folder and
// installing pages) or +103 (outcome pages); the folder page's group frame;
// the installing page's wait line at (28,160). Unknown page values paint the
// white panel alone. A line's trailing line feed is not part of the text
// drawn, so no control character reaches TextOut.
std::vector<PanelOp> LayoutPanel(const PanelPaintInput& input, os::ProfileReader& profile,
                                 const MeasureInFont& measure);

}  // namespace ui
