// What an installation leaves for its removal: the uninstall shortcut, the
// product key, "Uninstall.ini", the uninstall entry, and the printer
// service.
#pragma once

#include "engine/install_plan.h"

namespace engine {

inline constexpr char16_t kServiceName[] = u"TarnelPrinter Service";
inline constexpr char16_t kServiceDescription[] = u"TarnelPrinter Printer Monitor";
inline constexpr char16_t kServiceProgram[] = u"VorskPrinterService.exe";
inline constexpr char16_t kUninstallerProgram[] = u"Uninstaller.exe";
inline constexpr char16_t kUninstallIni[] = u"Uninstall.ini";
inline constexpr char16_t kRunOnceValue[] = u"OzrUninstaller";

// The link's working folder: `target` up to its last backslash; empty when
// it has none.
core::u16 ShortcutWorkingFolder(const core::u16& target);

// Creates the link at `linkPath` pointing to `target`.
void CreateUninstallShortcut(os::Shell& shell, const core::u16& target, const core::u16& linkPath);

// The product key "SOFTWARE\<printerBaseName>" (64-bit view) and its nine
// values, "Uninstall.ini", the uninstall entry (process default view) and
// its eight values, and the deletion of the run-once value. The product
// key's "PrinterName" is the name the printer was really added under
// (result.addedPrinterName, else plan.installPrinterName) and its
// "PortName" the port registration used (result.portName, else
// plan.portPrefix). Nothing is written when the product key cannot be
// created or the base name is not a safe printer name; the uninstall entry
// is skipped when plan.installPrinterName is not.
void RegisterUninstall(const InstallPlan& plan, const InstallResult& result, InstallServices& services);

// Creates (auto start, own process + interactive), describes and starts the
// printer service; an existing service is left as it is. The program path
// is quoted.
void InstallPrinterService(const InstallPlan& plan, InstallServices& services);

}  // namespace engine
