#include "payload/member_name.h"

#include "core/text.h"

namespace payload {

const std::string_view kStartupNames[kStartupNameCount] = {
    "InstallConfig_cn.txt", "InstallConfig_en.txt", "InstallConfig_rs.txt",
    "logo.bmp",             "PrinterName.txt",      "Text.ini",
};

namespace {

bool IsForbiddenByte(unsigned char c) {
    if (c < 0x20) return true;
    switch (c) {
        case '/': case ':': case '<': case '>': case '"': case '|': case '?': case '*':
            return true;
        default:
            return false;
    }
}

// Windows maps these names to devices in every folder, whatever follows
// the first dot, and ignores blanks before that dot ("NUL .txt"). The
// superscript digits are the code page 1252 bytes that Windows also
// accepts as COM and LPT port numbers.
bool IsReservedDeviceName(std::string_view part) {
    std::string_view base = part.substr(0, part.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    static constexpr std::string_view kFixed[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const auto fixed : kFixed)
        if (core::EqualsNoCase(base, fixed)) return true;
    if (base.size() == 4 &&
        (core::EqualsNoCase(base.substr(0, 3), "COM") || core::EqualsNoCase(base.substr(0, 3), "LPT"))) {
        const auto digit = static_cast<unsigned char>(base[3]);
        return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
    }
    return false;
}

bool IsSafePart(std::string_view part) {
    if (part.empty() || part == "." || part == "..") return false;
    if (part.back() == '.' || part.back() == ' ') return false;
    return !IsReservedDeviceName(part);
}

}  // namespace

bool IsSafeMemberName(std::string_view name) {
    if (name.empty() || name.size() > kMaxMemberNameLength) return false;
    for (const char c : name)
        if (IsForbiddenByte(static_cast<unsigned char>(c))) return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = name.find('\\', start);
        if (!IsSafePart(name.substr(start, end == std::string_view::npos ? end : end - start)))
            return false;
        if (end == std::string_view::npos) return true;
        start = end + 1;
    }
}

std::string_view MatchStartupName(std::string_view memberName) {
    for (const auto startup : kStartupNames)
        if (core::EqualsNoCase(memberName, startup)) return startup;
    return {};
}

}  // namespace payload
