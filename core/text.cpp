#include "core/text.h"

#include <algorithm>

namespace core {

u16 Utf8ToUtf16(std::string_view in) {
    u16 out;
    out.reserve(in.size());
    std::size_t i = 0;
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(in[k]); };
    while (i < in.size()) {
        const unsigned char b0 = byte(i);
        char32_t cp = 0xFFFD;
        std::size_t len = 1;
        if (b0 < 0x80) {
            cp = b0;
        } else if ((b0 & 0xE0) == 0xC0) {
            len = 2;
        } else if ((b0 & 0xF0) == 0xE0) {
            len = 3;
        } else if ((b0 & 0xF8) == 0xF0) {
            len = 4;
        }
        if (len > 1) {
            bool ok = i + len <= in.size();
            for (std::size_t k = 1; ok && k < len; ++k) ok = (byte(i + k) & 0xC0) == 0x80;
            if (ok) {
                cp = b0 & (0x7F >> len);
                for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (byte(i + k) & 0x3F);
                const char32_t min = len == 2 ? 0x80 : len == 3 ? 0x800 : 0x10000;
                if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
            } else {
                cp = 0xFFFD;
                len = 1;
            }
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string Utf16ToUtf8(u16view in) {
    std::string out;
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        char32_t cp = in[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 &&
            in[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

char16_t AsciiLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool EqualsNoCase(u16view a, u16view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return AsciiLower(x) == AsciiLower(y); });
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

bool StartsWith(u16view text, u16view prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool Contains(u16view text, u16view part) { return text.find(part) != u16view::npos; }

std::size_t CopyTruncated(char16_t* dst, std::size_t capacity, u16view text) {
    if (capacity == 0) return 0;
    const std::size_t n = std::min(text.size(), capacity - 1);
    std::copy_n(text.data(), n, dst);
    dst[n] = 0;
    return n;
}

std::size_t CopyTruncated(char* dst, std::size_t capacity, std::string_view text) {
    if (capacity == 0) return 0;
    const std::size_t n = std::min(text.size(), capacity - 1);
    std::copy_n(text.data(), n, dst);
    dst[n] = 0;
    return n;
}

std::size_t BoundedLength(const char16_t* s, std::size_t capacity) {
    std::size_t n = 0;
    while (n < capacity && s[n] != 0) ++n;
    return n;
}

u16 DecimalU16(std::int32_t value) {
    const std::string s = std::to_string(value);
    return u16(s.begin(), s.end());
}

}  // namespace core
