#include "texts/utf16_text_file.h"

#include "core/text.h"

namespace texts {

bool Utf8SourceToUtf16File(std::string_view utf8, std::vector<std::uint8_t>* out) {
    out->clear();
    // Valid UTF-8 survives the round trip unchanged; anything else would
    // come back with replacement characters.
    const core::u16 wide = core::Utf8ToUtf16(utf8);
    if (core::Utf16ToUtf8(wide) != utf8) return false;

    core::u16view text = wide;
    if (!text.empty() && text.front() == u'\uFEFF') text.remove_prefix(1);
    if (!text.empty() && text.back() == u'\n') {
        text.remove_suffix(1);
        if (!text.empty() && text.back() == u'\r') text.remove_suffix(1);
    }

    out->reserve(2 + text.size() * 2 + text.size() / 8);
    const auto put = [out](char16_t c) {
        out->push_back(static_cast<std::uint8_t>(c & 0xFF));
        out->push_back(static_cast<std::uint8_t>(c >> 8));
    };
    put(u'\uFEFF');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;  // CR LF -> LF first
        if (c == u'\n') put(u'\r');
        put(c);
    }
    return true;
}

}  // namespace texts
