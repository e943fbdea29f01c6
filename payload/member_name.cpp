#include "payload/member_name.h"

#include <type_traits>

namespace payload {

const std::string_view kStartupNames[kStartupNameCount] = {
    "InstallConfig_cn.txt", "InstallConfig_en.txt", "InstallConfig_rs.txt",
    "logo.bmp",             "PrinterName.txt",      "Text.ini",
};

namespace {

// The rules are the same for bytes and for UTF-16 units: every character
// they look at is ASCII, except the superscript digits, which have the same
// value as code page 1252 bytes and as UTF-16 units.
template <typename Char>
unsigned Code(Char c) {
    return static_cast<unsigned>(static_cast<std::make_unsigned_t<Char>>(c));
}

bool IsForbiddenCode(unsigned c) {
    if (c < 0x20) return true;
    switch (c) {
        case '/': case ':': case '<': case '>': case '"': case '|': case '?': case '*':
            return true;
        default:
            return false;
    }
}

template <typename Char>
bool EqualsAsciiNoCase(std::basic_string_view<Char> text, std::string_view ascii) {
    if (text.size() != ascii.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned c = Code(text[i]);
        if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
        unsigned a = static_cast<unsigned char>(ascii[i]);
        if (a >= 'a' && a <= 'z') a -= 'a' - 'A';
        if (c != a) return false;
    }
    return true;
}

// Windows maps these names to devices in every folder, whatever follows
// the first dot, and ignores blanks before that dot ("NUL .txt"). The
// superscript digits (code page 1252 bytes B9, B2, B3; U+00B9, U+00B2,
// U+00B3) are accepted by Windows as COM and LPT port numbers too.
template <typename Char>
bool IsReservedDeviceName(std::basic_string_view<Char> part) {
    std::basic_string_view<Char> base = part.substr(0, part.find(Char('.')));
    while (!base.empty() && base.back() == Char(' ')) base.remove_suffix(1);
    static constexpr std::string_view kFixed[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const auto fixed : kFixed)
        if (EqualsAsciiNoCase(base, fixed)) return true;
    if (base.size() == 4 &&
        (EqualsAsciiNoCase(base.substr(0, 3), "COM") || EqualsAsciiNoCase(base.substr(0, 3), "LPT"))) {
        const unsigned digit = Code(base[3]);
        return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
    }
    return false;
}

template <typename Char>
bool IsSafePart(std::basic_string_view<Char> part) {
    if (part.empty()) return false;
    if (part.size() <= 2 && part.find_first_not_of(Char('.')) == std::basic_string_view<Char>::npos)
        return false;  // "." and ".."
    if (part.back() == Char('.') || part.back() == Char(' ')) return false;
    return !IsReservedDeviceName(part);
}

template <typename Char>
bool IsSafeName(std::basic_string_view<Char> name, bool refuseReplacement) {
    if (name.empty() || name.size() > kMaxMemberNameLength) return false;
    for (const Char c : name) {
        if (IsForbiddenCode(Code(c))) return false;
        if (refuseReplacement && Code(c) == 0xFFFD) return false;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = name.find(Char('\\'), start);
        const bool last = end == std::basic_string_view<Char>::npos;
        if (!IsSafePart(name.substr(start, last ? end : end - start))) return false;
        if (last) return true;
        start = end + 1;
    }
}

}  // namespace

bool IsSafeMemberName(std::string_view name) { return IsSafeName(name, false); }

bool IsSafeMemberName(core::u16view name) { return IsSafeName(name, true); }

bool ToSafeMemberName(std::string_view name, os::CodePage& codePage, core::u16* wide) {
    if (name.empty() || name.size() > kMaxMemberNameLength) return false;
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20) return false;
    core::u16 converted = codePage.ToWide(name);
    if (!IsSafeMemberName(core::u16view(converted))) return false;
    if (wide) *wide = std::move(converted);
    return true;
}

std::string_view MatchStartupName(std::string_view memberName) {
    for (const auto startup : kStartupNames)
        if (core::EqualsNoCase(memberName, startup)) return startup;
    return {};
}

}  // namespace payload
