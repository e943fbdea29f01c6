#include "engine/uninstall_registration.h"

#include <utility>
#include <vector>

#include "engine/printer_name.h"

namespace engine {

namespace {

constexpr char16_t kUninstallRoot[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr char16_t kRunOnceKey[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char16_t kIniSection[] = u"Print Settings";
constexpr int kChineseInterface = 1;

constexpr std::uint32_t kServiceType = 0x110;  // SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS
constexpr std::uint32_t kServiceAutoStart = 2;  // SERVICE_AUTO_START
constexpr std::uint32_t kServiceErrorNormal = 1;  // SERVICE_ERROR_NORMAL

using NamedValues = std::vector<std::pair<const char16_t*, core::u16>>;

core::u16 InFolder(core::u16view folder, core::u16view file) {
    core::u16 path(folder);
    if (!path.empty() && path.back() != u'\\') path += u'\\';
    path += file;
    return path;
}

// Writes every value in order; one that cannot be written is skipped.
void WriteValues(os::RegistryKey& key, const NamedValues& values) {
    for (const auto& [name, value] : values) {
        std::uint32_t ignored = 0;
        key.SetString(name, value, &ignored);
    }
}

}  // namespace

core::u16 ShortcutWorkingFolder(const core::u16& target) {
    const std::size_t slash = target.rfind(u'\\');
    return slash == core::u16::npos ? core::u16() : target.substr(0, slash);
}

void CreateUninstallShortcut(os::Shell& shell, const core::u16& target, const core::u16& linkPath) {
    shell.CreateShortcut(target, ShortcutWorkingFolder(target), linkPath);
}

void RegisterUninstall(const InstallPlan& plan, const InstallResult& result, InstallServices& services) {
    // Both names become key names under HKLM\SOFTWARE: a name that is empty
    // or holds a backslash would write into another program's key.
    if (!IsSafePrinterName(plan.printerBaseName)) return;
    const core::u16& folder = plan.installFolder;
    const core::u16 uninstaller = InFolder(folder, kUninstallerProgram);
    const core::u16 printerName =
        result.addedPrinterName.empty() ? plan.installPrinterName : result.addedPrinterName;
    const core::u16 portName = result.portName.empty() ? plan.portPrefix : result.portName;

    {
        std::unique_ptr<os::RegistryKey> product =
            services.registry.CreateKey(u"SOFTWARE\\" + plan.printerBaseName, os::RegistryView::k64Bit);
        if (!product) return;
        WriteValues(*product, {
                                  {u"Data Directory", plan.chosenFolder},
                                  {u"Program Directory", folder},
                                  {u"Language", plan.uiLanguage == kChineseInterface ? u"Chinese" : u"English"},
                                  {u"PrinterName", printerName},
                                  {u"StartMenuDir", result.startMenuFolder},
                                  {u"Uninstaller", result.shortcutPath},
                                  {u"PrinterDriver", result.driverName},
                                  {u"MonitorName", plan.monitorName},
                                  {u"PortName", portName},
                              });
    }

    const core::u16 ini = InFolder(folder, kUninstallIni);
    services.profiles.WriteString(ini, kIniSection, u"PrinterName", plan.printerBaseName);
    services.profiles.WriteString(ini, kIniSection, u"ServiceName", kServiceName);

    if (IsSafePrinterName(plan.installPrinterName)) {
        std::unique_ptr<os::RegistryKey> entry = services.registry.CreateKey(
            kUninstallRoot + plan.installPrinterName, os::RegistryView::kProcessDefault);
        if (entry) {
            WriteValues(*entry, {
                                    {u"DisplayIcon", uninstaller},
                                    {u"DisplayName", plan.installPrinterName},
                                    {u"DisplayVersion", u"1.2.1"},
                                    {u"InstallLocation", folder},
                                    {u"Publisher", u"Quorvane"},
                                    {u"UninstallString", uninstaller},
                                    {u"VersionMajor", u"1"},
                                    {u"VersionMinor", u"2"},
                                });
        }
    }

    std::unique_ptr<os::RegistryKey> runOnce =
        services.registry.OpenForWrite(kRunOnceKey, os::RegistryView::kProcessDefault);
    if (runOnce) runOnce->DeleteValue(kRunOnceValue);
}

void InstallPrinterService(const InstallPlan& plan, InstallServices& services) {
    std::unique_ptr<os::ServiceManagerSession> manager = services.serviceManager.Open();
    if (!manager) return;
    os::ServiceConfig config;
    config.name = kServiceName;
    config.displayName = kServiceName;
    config.serviceType = kServiceType;
    config.startType = kServiceAutoStart;
    config.errorControl = kServiceErrorNormal;
    // Quoted: the install folder usually lies under "Program Files", and the
    // service manager reads an unquoted path with blanks word by word.
    config.binaryPath = u"\"" + InFolder(plan.installFolder, kServiceProgram) + u"\"";
    std::uint32_t error = 0;
    // An existing service (1073) keeps its configuration and is not started.
    std::unique_ptr<os::Service> service = manager->Create(config, &error);
    if (!service) return;
    service->SetDescription(kServiceDescription);
    service->Start();  // a failure to start leaves the service registered
}

}  // namespace engine
