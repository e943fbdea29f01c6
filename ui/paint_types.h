// Small geometry and colour values shared by the panel's and the owner-drawn
// controls' portable painting logic. The Win32 side maps them one to one onto
// POINT, RECT and COLORREF.
#pragma once

#include <cstdint>

namespace ui {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(Point a, Point b) { return a.x == b.x && a.y == b.y; }
    friend bool operator!=(Point a, Point b) { return !(a == b); }
};

// Right and bottom are exclusive, as in a Win32 RECT.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const Rect& a, const Rect& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
};

struct Size {
    int cx = 0;
    int cy = 0;
    friend bool operator==(Size a, Size b) { return a.cx == b.cx && a.cy == b.cy; }
};

// Laid out as a COLORREF: red in the low byte, then green, then blue.
using Colour = std::uint32_t;
constexpr Colour Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<Colour>(r) | (static_cast<Colour>(g) << 8) | (static_cast<Colour>(b) << 16);
}

}  // namespace ui
