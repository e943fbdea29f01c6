// What the uninstaller learns from the running system before planning.
#pragma once

#include <vector>

#include "core/text.h"
#include "os/spooler_admin.h"
#include "uninstall/removal_plan.h"

namespace uninstall_win {

// The running program's full path, long names throughout.
core::u16 OwnPath();

// 32-bit Windows or not, the driver directories, the system folder, the
// Start-menu folders and the folders never to remove.
uninstall::SystemFacts GatherFacts(os::SpoolerAdmin& spooler);

// The Windows, system, program, profile, documents, desktop, application
// data, Start-menu, fonts and temporary folders of the system and the user.
std::vector<core::u16> ProtectedFolders();

// The user's interface language is Chinese.
bool UserWantsChinese();

}  // namespace uninstall_win
