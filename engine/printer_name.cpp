#include "engine/printer_name.h"

namespace engine {

namespace {

bool IsForbidden(char16_t c) {
    if (c < 0x20 || c == 0x7F) return true;
    switch (c) {
    case u'\\': case u'/': case u':': case u'*': case u'?':
    case u'"':  case u'<': case u'>': case u'|': case u',':
        return true;
    default:
        return false;
    }
}

// Windows maps these names to devices in every folder, whatever follows the
// first dot, and ignores blanks before that dot ("NUL .txt").
bool IsReservedDeviceName(core::u16view name) {
    core::u16view base = name.substr(0, name.find(u'.'));
    while (!base.empty() && base.back() == u' ') base.remove_suffix(1);
    static constexpr core::u16view kFixed[] = {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"};
    for (const auto fixed : kFixed)
        if (core::EqualsNoCase(base, fixed)) return true;
    if (base.size() == 4 &&
        (core::EqualsNoCase(base.substr(0, 3), u"COM") || core::EqualsNoCase(base.substr(0, 3), u"LPT"))) {
        const char16_t digit = base[3];
        return (digit >= u'1' && digit <= u'9') || digit == u'\u00B9' || digit == u'\u00B2' ||
               digit == u'\u00B3';
    }
    return false;
}

}  // namespace

bool IsSafePrinterName(core::u16view name) {
    if (name.empty() || name.size() > kMaxInstallPrinterName) return false;
    for (const char16_t c : name)
        if (IsForbidden(c)) return false;
    if (name.back() == u'.' || name.back() == u' ') return false;
    return !IsReservedDeviceName(name);
}

}  // namespace engine
