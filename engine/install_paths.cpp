#include "engine/install_paths.h"

namespace engine {

namespace {

// "<directory>\<name><longest suffix>" fits.
bool FitsUnder(core::u16view directory, core::u16view name, std::size_t longestSuffix) {
    if (directory.empty()) return false;
    const std::size_t separator = directory.back() == u'\\' ? 0 : 1;
    return directory.size() + separator + name.size() + longestSuffix <= kMaxPathUnits;
}

}  // namespace

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
