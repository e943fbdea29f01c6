#include "uninstall/paths.h"

namespace uninstall {

namespace {

constexpr std::size_t kMaxNameLength = 200;
constexpr std::size_t kMaxPrinterNameLength = 220;
constexpr std::size_t kMaxPathLength = 259;

bool IsControl(char16_t c) { return c < 0x20 || c == 0x7F; }

bool IsForbiddenInName(char16_t c) {
    switch (c) {
        case u'\\': case u'/': case u':': case u'*': case u'?': case u'"': case u'<': case u'>': case u'|':
            return true;
        default:
            return IsControl(c);
    }
}

bool IsDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

}  // namespace

bool IsPlainName(core::u16view name) {
    if (name.empty() || name.size() > kMaxNameLength) return false;
    for (char16_t c : name)
        if (IsForbiddenInName(c)) return false;
    const char16_t last = name.back();
    return last != u'.' && last != u' ';  // also refuses "." and ".."
}

bool IsLocalPrinterName(core::u16view name) {
    if (name.empty() || name.size() > kMaxPrinterNameLength) return false;
    for (char16_t c : name)
        if (c == u'\\' || c == u',' || IsControl(c)) return false;
    return true;
}

bool CanonicalPath(core::u16view path, core::u16* canonical) {
    canonical->clear();
    if (path.size() < 3 || path.size() > kMaxPathLength) return false;
    if (!IsDriveLetter(path[0]) || path[1] != u':' || path[2] != u'\\') return false;
    core::u16 out;
    out += static_cast<char16_t>(path[0] >= u'a' ? path[0] - 32 : path[0]);
    out += u":\\";
    core::u16view rest = path.substr(3);
    if (!rest.empty() && rest.back() == u'\\') rest.remove_suffix(1);
    bool first = true;
    while (!rest.empty()) {
        const std::size_t cut = rest.find(u'\\');
        const core::u16view part = rest.substr(0, cut);
        if (!IsPlainName(part)) return false;
        if (!first) out += u'\\';
        out.append(part);
        first = false;
        if (cut == core::u16view::npos) break;
        rest.remove_prefix(cut + 1);
        if (rest.empty()) return false;  // "a\\" inside: an empty component
    }
    *canonical = std::move(out);
    return true;
}

bool SamePath(core::u16view a, core::u16view b) {
    core::u16 ca, cb;
    return CanonicalPath(a, &ca) && CanonicalPath(b, &cb) && core::EqualsNoCase(ca, cb);
}

bool IsBelow(core::u16view path, core::u16view folder) {
    if (folder.empty() || path.size() <= folder.size()) return false;
    if (!core::EqualsNoCase(path.substr(0, folder.size()), folder)) return false;
    // A drive root ends in its own backslash; any other folder needs one next.
    if (folder.back() == u'\\') return path.size() > folder.size();
    return path[folder.size()] == u'\\' && path.size() > folder.size() + 1;
}

core::u16 ParentFolder(core::u16view path) {
    if (path.size() <= 3) return core::u16();
    const std::size_t cut = path.rfind(u'\\');
    if (cut == core::u16view::npos) return core::u16();
    if (cut == 2) return core::u16(path.substr(0, 3));
    return core::u16(path.substr(0, cut));
}

core::u16 LastComponent(core::u16view path) {
    if (path.size() <= 3) return core::u16();
    const std::size_t cut = path.rfind(u'\\');
    return core::u16(cut == core::u16view::npos ? path : path.substr(cut + 1));
}

core::u16 JoinPath(core::u16view folder, core::u16view name) {
    core::u16 out(folder);
    if (out.empty() || out.back() != u'\\') out += u'\\';
    out.append(name);
    return out;
}

core::u16 ServiceProgramPath(core::u16view imagePath) {
    if (!imagePath.empty() && imagePath.front() == u'"') {
        const std::size_t close = imagePath.find(u'"', 1);
        return core::u16(imagePath.substr(1, close == core::u16view::npos ? core::u16view::npos : close - 1));
    }
    for (std::size_t i = 0; i + 4 <= imagePath.size(); ++i)
        if (core::EqualsNoCase(imagePath.substr(i, 4), u".exe") &&
            (i + 4 == imagePath.size() || imagePath[i + 4] == u' '))
            return core::u16(imagePath.substr(0, i + 4));
    return core::u16(imagePath);
}

}  // namespace uninstall
