// How the uninstaller finds the installation it belongs to.
//
// The program runs from the install folder, where the installation left
// "Uninstall.ini" beside it. Its "PrinterName" names the product key
// HKLM\SOFTWARE\<name> (64-bit view), whose values record every other name the
// installation used. The install folder is "<chosen folder>\<printer name>",
// so its last component is that name too.
#pragma once

#include "core/text.h"
#include "os/profile.h"
#include "os/registry_admin.h"

namespace uninstall {

inline constexpr char16_t kSettingsFile[] = u"Uninstall.ini";
inline constexpr char16_t kSettingsSection[] = u"Print Settings";
inline constexpr char16_t kSettingsPrinterName[] = u"PrinterName";
inline constexpr char16_t kUninstallEntryRoot[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr char16_t kRunOnceKey[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// The product key's values, as the installation wrote them.
struct ProductKey {
    core::u16 dataDirectory;     // "Data Directory": the folder chosen in the wizard
    core::u16 programDirectory;  // "Program Directory": the install folder
    core::u16 language;          // "Language": "Chinese" or "English"
    core::u16 printerName;       // "PrinterName": the name the printer was added under
    core::u16 startMenuDir;      // "StartMenuDir"
    core::u16 shortcut;          // "Uninstaller": the uninstall shortcut (.lnk)
    core::u16 printerDriver;     // "PrinterDriver"
    core::u16 monitorName;       // "MonitorName"
    core::u16 portName;          // "PortName"
};

struct Installation {
    core::u16 uninstallerPath;   // the running program, canonical
    core::u16 installFolder;     // its folder, canonical
    core::u16 baseName;          // "PrinterName" of Uninstall.ini
    bool hasProductKey = false;  // the product key exists and names installFolder
    ProductKey key;              // empty without a product key
};

enum class Lookup {
    kFound,
    kNoSettings,         // no "Uninstall.ini" beside the program, or no printer name in it
    kUnusableName,       // the printer name cannot stand as a file or key name
    kFolderMismatch,     // the program's folder is not named after the printer
    kOtherInstallation,  // the product key records another install folder: its names are not ours
};

core::u16 ProductKeyPath(core::u16view baseName);
core::u16 UninstallEntryPath(core::u16view printerName);

// Reads "Uninstall.ini" beside `uninstallerPath` and the product key it
// names. A missing product key is no failure (the installation may be half
// removed): *out then has hasProductKey false. *out is filled as far as it
// was read, also when the result is not kFound.
Lookup FindInstallation(os::ProfileReader& profiles, os::RegistryAdmin& registry, core::u16view uninstallerPath,
                        Installation* out);

// True when the installation asked for Chinese texts (product key "Language"
// is "Chinese", ASCII case ignored).
bool WantsChinese(const Installation& installation);

}  // namespace uninstall
