#include "ui/install_folder_cleanup.h"

#include <algorithm>

namespace ui {

namespace {

bool AnyEqualNoCase(const std::vector<core::u16>& names, const core::u16& name) {
    return std::any_of(names.begin(), names.end(), [&](const core::u16& n) { return core::EqualsNoCase(n, name); });
}

bool IsKept(const core::u16& name) {
    return std::any_of(std::begin(kKeptInstallFiles), std::end(kKeptInstallFiles),
                       [&](const char16_t* kept) { return core::EqualsNoCase(kept, name); });
}

}  // namespace

std::vector<core::u16> CleanupCandidates(const std::vector<os::DirEntry>& listing,
                                         const std::vector<core::u16>& deployed) {
    std::vector<core::u16> names;
    for (const os::DirEntry& entry : listing) {
        if (entry.isDirectory || entry.name == u"." || entry.name == u"..") continue;
        if (IsKept(entry.name) || !AnyEqualNoCase(deployed, entry.name)) continue;
        names.push_back(entry.name);
    }
    return names;
}

int CleanInstallFolder(os::FileSystem& fs, const core::u16& folder, const std::vector<core::u16>& deployed) {
    if (deployed.empty()) return 0;
    std::vector<os::DirEntry> listing;
    if (!fs.ListDirectory(folder, &listing)) return 0;
    int deleted = 0;
    for (const core::u16& name : CleanupCandidates(listing, deployed))
        if (fs.RemoveFile(folder + u"\\" + name)) ++deleted;
    return deleted;
}

}  // namespace ui
