// Helpers for tests that build UTF-16 text files in memory.
#pragma once

#include <cstdint>
#include <vector>

#include "core/text.h"

namespace testsupport {

// UTF-16LE bytes of `text`, after a BOM (FF FE) unless `bom` is false.
inline std::vector<std::uint8_t> Utf16File(core::u16view text, bool bom = true) {
    std::vector<std::uint8_t> out;
    if (bom) out = {0xFF, 0xFE};
    for (char16_t c : text) {
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return out;
}

inline core::u16 Repeat(char16_t c, std::size_t n) { return core::u16(n, c); }

}  // namespace testsupport
