// Placeholder bodies so that the engine links until the uninstall
// registration is written: nothing is created or recorded.
#include "engine/uninstall_registration.h"

namespace engine {

core::u16 ShortcutWorkingFolder(const core::u16&) { return core::u16(); }

void CreateUninstallShortcut(os::Shell&, const core::u16&, const core::u16&) {}

void RegisterUninstall(const InstallPlan&, const InstallResult&, InstallServices&) {}

void InstallPrinterService(const InstallPlan&, InstallServices&) {}

}  // namespace engine
