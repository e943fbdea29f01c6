// A double-byte ANSI code page for the unit tests and fuzz targets.
//
// FakeDbcsCodePage models a double-byte ANSI code page in the manner of 936
// (GBK): bytes 0x00-0x7F are ASCII, 0x80 is the euro sign, a byte 0x81-0xFE
// leads a two-byte character whose second byte is 0x40-0x7E or 0x80-0xFE -
// so the second byte may be 0x5C ('\') or 0x7C ('|'). The characters are not
// the real code page's: the pair (lead, trail) maps to
// U+4E00 + (lead - 0x81) * 191 + (trail - 0x40), never an ASCII character,
// U+FFFD or a superscript digit. A
// lead byte without a valid second byte, and 0xFF, become U+FFFD (the next
// byte is then read on its own), as MultiByteToWideChar does without
// MB_ERR_INVALID_CHARS.
#pragma once

#include "os/system.h"

namespace fakes {

class FakeDbcsCodePage : public os::CodePage {
public:
    static bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
    static bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }
    // The character of a valid pair.
    static char16_t Pair(unsigned char lead, unsigned char trail) {
        return static_cast<char16_t>(0x4E00 + (lead - 0x81) * 191 + (trail - 0x40));
    }

    core::u16 ToWide(std::string_view ansi) override {
        ++conversions;
        core::u16 wide;
        for (std::size_t i = 0; i < ansi.size(); ++i) {
            const auto b = static_cast<unsigned char>(ansi[i]);
            if (b < 0x80) {
                wide += static_cast<char16_t>(b);
            } else if (b == 0x80) {
                wide += u'\u20AC';
            } else if (IsLeadByte(b) && i + 1 < ansi.size() &&
                       IsTrailByte(static_cast<unsigned char>(ansi[i + 1]))) {
                wide += Pair(b, static_cast<unsigned char>(ansi[i + 1]));
                ++i;
            } else {
                wide += u'\uFFFD';
            }
        }
        return wide;
    }

    std::string ToAnsi(core::u16view wide, bool* lossless = nullptr) override {
        std::string ansi;
        bool exact = true;
        constexpr unsigned kFirst = 0x4E00;
        constexpr unsigned kLast = kFirst + (0xFE - 0x81) * 191 + (0xFE - 0x40);
        for (const char16_t c : wide) {
            const unsigned u = c;
            if (u < 0x80) {
                ansi += static_cast<char>(u);
            } else if (u == 0x20AC) {
                ansi += static_cast<char>(0x80);
            } else if (u >= kFirst && u <= kLast && IsTrailByte(static_cast<unsigned char>((u - kFirst) % 191 + 0x40))) {
                ansi += static_cast<char>((u - kFirst) / 191 + 0x81);
                ansi += static_cast<char>((u - kFirst) % 191 + 0x40);
            } else {
                ansi += '?';
                exact = false;
            }
        }
        if (lossless) *lossless = exact;
        return ansi;
    }

    int conversions = 0;  // ToWide calls
};

}  // namespace fakes
