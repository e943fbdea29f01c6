// The install worker's sequence, without threads or windows.
#pragma once

#include <functional>

#include "engine/gpc_file.h"
#include "engine/install_plan.h"

namespace engine {

// Start-menu folder suffix, shortcut file name and status text by language
// (Chinese 1, Russian 2, English for any other value).
struct WorkerTexts {
    core::u16 startMenuSuffix;  // "\%s Driver" with the printer name
    core::u16 shortcutName;     // "Uninstall Printer Driver.lnk"
    core::u16 statusText;       // "Installing Printer Driver, Please wait..."
};
WorkerTexts WorkerTextsFor(int uiLanguage, const core::u16& printerName);

// The steps RunInstallation takes after the deployment and the Start-menu
// folder. DefaultInstallSteps() gives the engine's own:
// CreateUninstallShortcut, InstallDriverAndPrinter with the registration
// that UseX64Registration picks, RegisterUninstall and
// InstallPrinterService.
struct InstallSteps {
    std::function<void(os::Shell&, const core::u16& target, const core::u16& linkPath)> createUninstallShortcut;
    PrinterRegistration installDriverAndPrinter;
    std::function<void(const InstallPlan&, const InstallResult&, InstallServices&)> registerUninstall;
    std::function<void(const InstallPlan&, InstallServices&)> installPrinterService;
};
InstallSteps DefaultInstallSteps();

// In order: deploys (from plan.payload when it is there, else from the
// appended form of plan.imagePath); deletes "InstallConfig.txt" and
// "logo.bmp" in the install folder; creates the Start-menu folder (the
// shell's Start menu, or the root of the current drive when the shell gives
// none, plus the language's suffix; one level, failure ignored); creates the
// uninstall shortcut to "<install folder>\Uninstaller.exe"; shows the status
// text; runs InstallDriverAndPrinter; when that succeeded, RegisterUninstall
// and InstallPrinterService. A printer name that IsSafePrinterName refuses
// fails the installation before anything is done. The caller shows the
// outcome (result.succeeded).
InstallResult RunInstallation(const InstallPlan& plan, InstallServices& services, InstallObserver& observer);
InstallResult RunInstallation(const InstallPlan& plan, InstallServices& services, InstallObserver& observer,
                              const InstallSteps& steps);

}  // namespace engine
