// Fonts and pens owned by C++ objects.
#pragma once

#include <windows.h>

#include "win/handles.h"

namespace win {

// A font object: empty until created; released with the object.
class CFont {
public:
    // CreateFontW with every argument; false when the system refused.
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                    BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                    BYTE quality, BYTE pitchAndFamily, const wchar_t* faceName) {
        font_.Reset(::CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut,
                                  charSet, outPrecision, clipPrecision, quality, pitchAndFamily, faceName));
        return font_ ? TRUE : FALSE;
    }
    HFONT Get() const { return font_.Get(); }
    operator HFONT() const { return font_.Get(); }

private:
    UniqueFont font_;
};

inline UniquePen MakePen(int style, int width, COLORREF colour) {
    return UniquePen(::CreatePen(style, width, colour));
}

}  // namespace win
