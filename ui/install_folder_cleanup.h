// The install-folder clean-up that runs when the wizard closes.
//
// Deployment leaves its working files (texts, both builds of every library,
// the help file) in the install folder; the clean-up removes them again and
// keeps what the uninstaller and the printer service need. It deletes only
// files that this run's deployment wrote into the folder itself: a folder the
// user merely picked, or one an earlier installation filled, loses nothing.
#pragma once

#include <vector>

#include "core/text.h"
#include "os/files.h"

namespace ui {

// Files that stay, compared without regard to case.
inline constexpr const char16_t* kKeptInstallFiles[] = {u"Uninstaller.exe", u"Uninstall.ini",
                                                        u"VorskPrinterService.exe"};

// The names of `listing` (one folder, not recursive) to delete: plain files
// whose name is among `deployed` (without regard to case) and is none of the
// kept files. Sub-folders and everything in them stay.
std::vector<core::u16> CleanupCandidates(const std::vector<os::DirEntry>& listing,
                                         const std::vector<core::u16>& deployed);

// Lists `folder` and deletes the candidates ("folder\name"). A folder that
// cannot be listed, or a file that cannot be deleted, is left as it is.
// Returns the number of files deleted.
int CleanInstallFolder(os::FileSystem& fs, const core::u16& folder, const std::vector<core::u16>& deployed);

}  // namespace ui
