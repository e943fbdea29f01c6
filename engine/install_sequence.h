// The install worker's sequence, without threads or windows.
#pragma once

#include "engine/install_plan.h"

namespace engine {

// Start-menu folder suffix, shortcut file name and status text by language.
struct WorkerTexts {
    core::u16 startMenuSuffix;  // "\%s Driver" with the printer name
    core::u16 shortcutName;     // "Uninstall Printer Driver.lnk"
    core::u16 statusText;       // "Installing Printer Driver, Please wait..."
};
WorkerTexts WorkerTextsFor(int uiLanguage, const core::u16& printerName);

// Deploys, deletes "InstallConfig.txt" and "logo.bmp", creates the
// Start-menu folder and the shortcut, shows the status text, runs
// InstallDriverAndPrinter and on success RegisterUninstall and
// InstallPrinterService. The caller shows the outcome.
InstallResult RunInstallation(const InstallPlan& plan, InstallServices& services, InstallObserver& observer);

}  // namespace engine
