// Portable text helpers.
//
// The product is UTF-16 wherever Windows is UTF-16. Portable code holds such
// text as char16_t (std::u16string); the Win32 side reinterprets it as
// wchar_t, which has the same size and representation there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace core {

using u16 = std::u16string;
using u16view = std::u16string_view;

// UTF-8 <-> UTF-16. Invalid sequences become U+FFFD; nothing is dropped.
u16 Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(u16view utf16);

// ASCII-only case folding, as Windows does for the names the installer
// compares "without regard to case".
char16_t AsciiLower(char16_t c);
char AsciiLower(char c);
bool EqualsNoCase(u16view a, u16view b);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWith(u16view text, u16view prefix);
bool Contains(u16view text, u16view part);

// Copies at most capacity - 1 units of `text` into `dst` and terminates it.
// A capacity of 0 writes nothing. Returns the number of units copied.
std::size_t CopyTruncated(char16_t* dst, std::size_t capacity, u16view text);
std::size_t CopyTruncated(char* dst, std::size_t capacity, std::string_view text);

// Length of a terminated UTF-16 string held in a fixed array of `capacity`
// units; never reads past the array even if the terminator is missing.
std::size_t BoundedLength(const char16_t* s, std::size_t capacity);
inline u16view FieldView(const char16_t* s, std::size_t capacity) {
    return u16view(s, BoundedLength(s, capacity));
}
template <std::size_t N>
u16view FieldView(const char16_t (&s)[N]) {
    return FieldView(s, N);
}
template <std::size_t N>
std::size_t CopyTruncated(char16_t (&dst)[N], u16view text) {
    return CopyTruncated(dst, N, text);
}

// printf-style "%d" of a 32-bit signed value.
u16 DecimalU16(std::int32_t value);

// u"..." literal helper for readability in tables.
inline u16 U(const char16_t* s) { return u16(s); }

}  // namespace core
