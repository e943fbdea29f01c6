#include "uninstall/installation.h"

#include "uninstall/paths.h"

namespace uninstall {

namespace {

struct KeyValue {
    const char16_t* name;
    core::u16 ProductKey::*field;
};

constexpr KeyValue kProductKeyValues[] = {
    {u"Data Directory", &ProductKey::dataDirectory}, {u"Program Directory", &ProductKey::programDirectory},
    {u"Language", &ProductKey::language},             {u"PrinterName", &ProductKey::printerName},
    {u"StartMenuDir", &ProductKey::startMenuDir},     {u"Uninstaller", &ProductKey::shortcut},
    {u"PrinterDriver", &ProductKey::printerDriver},   {u"MonitorName", &ProductKey::monitorName},
    {u"PortName", &ProductKey::portName},
};

}  // namespace

core::u16 ProductKeyPath(core::u16view baseName) { return core::u16(u"SOFTWARE\\") + core::u16(baseName); }

core::u16 UninstallEntryPath(core::u16view printerName) {
    return core::u16(kUninstallEntryRoot) + core::u16(printerName);
}

Lookup FindInstallation(os::ProfileReader& profiles, os::RegistryAdmin& registry, core::u16view uninstallerPath,
                        Installation* out) {
    *out = Installation();
    if (!CanonicalPath(uninstallerPath, &out->uninstallerPath)) return Lookup::kFolderMismatch;
    out->installFolder = ParentFolder(out->uninstallerPath);

    const core::u16 settings = JoinPath(out->installFolder, kSettingsFile);
    // A printer name is at most 255 units; a longer value is not one the
    // installer wrote, and reading one more unit shows it.
    out->baseName = profiles.ReadString(settings, kSettingsSection, kSettingsPrinterName, u"", 257);
    if (out->baseName.empty()) return Lookup::kNoSettings;
    if (!IsPlainName(out->baseName)) return Lookup::kUnusableName;
    if (!core::EqualsNoCase(LastComponent(out->installFolder), out->baseName)) return Lookup::kFolderMismatch;

    const core::u16 keyPath = ProductKeyPath(out->baseName);
    if (!registry.KeyExists(os::RegistryView::k64Bit, keyPath)) return Lookup::kFound;
    ProductKey key;
    for (const KeyValue& v : kProductKeyValues) registry.ReadString(os::RegistryView::k64Bit, keyPath, v.name, &(key.*v.field));
    // A key without "Program Directory" is damaged rather than another
    // installation's: only a recorded folder elsewhere makes the names another's.
    if (!key.programDirectory.empty() && !SamePath(key.programDirectory, out->installFolder))
        return Lookup::kOtherInstallation;
    out->key = std::move(key);
    out->hasProductKey = true;
    return Lookup::kFound;
}

bool WantsChinese(const Installation& installation) {
    return installation.hasProductKey && core::EqualsNoCase(installation.key.language, u"Chinese");
}

}  // namespace uninstall
