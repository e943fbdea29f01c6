#include "engine/install_names.h"

#include "engine/printer_names.h"

namespace engine {

namespace {

bool IsForbidden(char16_t c) {
    if (c < 0x20 || c == 0x7F) return true;
    for (char16_t f : u"\\/:*?\"<>|,")
        if (f != 0 && c == f) return true;
    return false;
}

// Windows opens these as devices in any folder, with or without an
// extension and with blanks before the extension.
bool IsReservedDeviceName(core::u16view name) {
    core::u16view base = name.substr(0, name.find(u'.'));
    while (!base.empty() && base.back() == u' ') base.remove_suffix(1);
    static const char16_t* const kReserved[] = {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"};
    for (const char16_t* r : kReserved)
        if (core::EqualsNoCase(base, r)) return true;
    if (base.size() != 4) return false;
    const core::u16view stem = base.substr(0, 3);
    if (!core::EqualsNoCase(stem, u"COM") && !core::EqualsNoCase(stem, u"LPT")) return false;
    const char16_t digit = base[3];
    return (digit >= u'0' && digit <= u'9') || digit == u'\u00B9' || digit == u'\u00B2' ||
           digit == u'\u00B3';
}

// "<directory>\<name><longest suffix>" fits.
bool FitsUnder(core::u16view directory, core::u16view name, std::size_t longestSuffix) {
    if (directory.empty()) return false;
    const std::size_t separator = directory.back() == u'\\' ? 0 : 1;
    return directory.size() + separator + name.size() + longestSuffix <= kMaxPathUnits;
}

}  // namespace

PrinterNameProblem CheckPrinterName(core::u16view name) {
    if (name.empty()) return PrinterNameProblem::kEmpty;
    if (name.size() > kMaxPrinterName) return PrinterNameProblem::kTooLong;
    for (char16_t c : name)
        if (IsForbidden(c)) return PrinterNameProblem::kForbiddenCharacter;
    if (name.back() == u'.' || name.back() == u' ') return PrinterNameProblem::kBadEnding;
    if (IsReservedDeviceName(name)) return PrinterNameProblem::kReservedDeviceName;
    return PrinterNameProblem::kNone;
}

core::u16 InstallFolderFor(core::u16view folder, core::u16view name) {
    core::u16 path(folder);
    if (path.empty() || path.back() != u'\\') path += u'\\';
    path += name;
    return path;
}

bool InstallFolderFits(core::u16view installFolder) {
    return !installFolder.empty() && installFolder.size() + 4 <= kMaxPathUnits;  // + "\Inf"
}

bool InstallFolderHasRoom(core::u16view folder, core::u16view name) {
    return !folder.empty() && InstallFolderFits(InstallFolderFor(folder, name));
}

bool DriverFilesFit(core::u16view driverDirectory, core::u16view name) {
    return FitsUnder(driverDirectory, name, 7);  // "GPC.pcd", "Drv.dll"; "UI.dll" is shorter
}

bool MonitorFilesFit(core::u16view systemDirectory, core::u16view name) {
    return FitsUnder(systemDirectory, name, 9);  // "MonUI.dll"; "Mon.dll" is shorter
}

}  // namespace engine
