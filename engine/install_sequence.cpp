#include "engine/install_sequence.h"

#include "engine/deployment.h"
#include "engine/printer_name.h"
#include "engine/uninstall_registration.h"

namespace engine {

namespace {

// By language: what follows the printer name in the Start-menu folder's
// name, the shortcut's file name and the status text.
struct WorkerTextRow {
    const char16_t* folderSuffix;
    const char16_t* shortcutName;
    const char16_t* statusText;
};
constexpr WorkerTextRow kEnglishTexts = {u" Driver", u"Uninstall Printer Driver.lnk",
                                         u"Installing Printer Driver, Please wait..."};
constexpr WorkerTextRow kChineseTexts = {u" 打印机驱动", u"卸载 打印机驱动.lnk", u"正在安装打印机驱动，请稍候..."};
constexpr WorkerTextRow kRussianTexts = {u" Драйвер принтера", u"Удалите драйвер принтера.lnk",
                                         u"Установка драйвера принтера, подождите"};

constexpr char16_t kDeletedAfterDeployment[][18] = {u"InstallConfig.txt", u"logo.bmp"};

}  // namespace

WorkerTexts WorkerTextsFor(int uiLanguage, const core::u16& printerName) {
    const WorkerTextRow& row = uiLanguage == 1 ? kChineseTexts : uiLanguage == 2 ? kRussianTexts : kEnglishTexts;
    return {u"\\" + printerName + row.folderSuffix, row.shortcutName, row.statusText};
}

InstallSteps DefaultInstallSteps() {
    InstallSteps steps;
    steps.createUninstallShortcut = CreateUninstallShortcut;
    steps.installDriverAndPrinter = [](const InstallPlan& plan, InstallServices& services,
                                       InstallObserver& observer, InstallResult* result) {
        return InstallDriverAndPrinter(plan, services, observer, UseX64Registration(services.system), result);
    };
    steps.registerUninstall = RegisterUninstall;
    steps.installPrinterService = InstallPrinterService;
    return steps;
}

InstallResult RunInstallation(const InstallPlan& plan, InstallServices& services, InstallObserver& observer) {
    return RunInstallation(plan, services, observer, DefaultInstallSteps());
}

InstallResult RunInstallation(const InstallPlan& plan, InstallServices& services, InstallObserver& observer,
                              const InstallSteps& steps) {
    InstallResult result;
    result.portName = plan.portPrefix;
    // The name becomes part of the install folder, the Start-menu folder and
    // the driver's file names: one that could leave them stops everything.
    if (!IsSafePrinterName(plan.installPrinterName)) return result;

    if (plan.payload)
        DeployFromMemory(plan, services, observer);
    else
        DeployFromImageFile(plan, services, observer);
    for (const char16_t* name : kDeletedAfterDeployment)
        services.fs.RemoveFile(plan.installFolder + u"\\" + name);

    const WorkerTexts texts = WorkerTextsFor(plan.uiLanguage, plan.installPrinterName);
    // Without a Start menu the suffix alone names a folder in the root of
    // the current drive.
    result.startMenuFolder = services.shell.StartMenuFolder() + texts.startMenuSuffix;
    services.fs.MakeDirectory(result.startMenuFolder);
    result.shortcutPath = result.startMenuFolder + u"\\" + texts.shortcutName;
    const core::u16 uninstaller = plan.installFolder + u"\\" + kUninstallerProgram;
    if (steps.createUninstallShortcut) steps.createUninstallShortcut(services.shell, uninstaller, result.shortcutPath);

    observer.SetWaitText(texts.statusText);
    result.succeeded =
        steps.installDriverAndPrinter && steps.installDriverAndPrinter(plan, services, observer, &result) != 0;
    if (result.succeeded) {
        if (steps.registerUninstall) steps.registerUninstall(plan, result, services);
        if (steps.installPrinterService) steps.installPrinterService(plan, services);
    }
    return result;
}

}  // namespace engine
