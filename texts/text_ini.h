// Labels that an optional "Text.ini" in the working folder may override
// (section "Text"). Every key has a built-in default, so a missing file,
// section or key is never an error.
#pragma once

#include <cstddef>

#include "core/text.h"
#include "os/profile.h"

namespace textini {

struct Key {
    const char16_t* name;      // the key as written in Text.ini (some hold blanks)
    const char16_t* fallback;  // used when the key is missing
};

// Language dialogs.
inline constexpr Key SelectLanguage{u"SelectLanguage", u"Select Language"};
inline constexpr Key PleaseSelectLanguage{u"PleaseSelectLanguage", u"Please Select Language"};
inline constexpr Key Cancel{u"Cancel", u"Cancel"};
inline constexpr Key Chinese{u"Chinese", u"Chinese"};
inline constexpr Key English{u"English", u"English"};
inline constexpr Key Russian{u"Russian", u"Russian"};
inline constexpr Key SelectLanguageCN{u"SelectLanguageCN", u"选择语言"};
inline constexpr Key PleaseSelectLanguageCN{u"PleaseSelectLanguageCN", u"请选择语言"};
inline constexpr Key CancelCN{u"CancelCN", u"取消"};
inline constexpr Key OK{u"OK", u"OK"};
// Wizard dialog.
inline constexpr Key Back{u"Back", u"Back"};
inline constexpr Key Next{u"Next", u"Next"};
inline constexpr Key Browse{u"Browse", u"Browse"};
inline constexpr Key DriverTitle{u"DriverTitle", u"Model:"};
inline constexpr Key PrintTitle{u"PrintTitle", u"Printer Name:"};
inline constexpr Key DefaultPrinter{u"DefaultPrinter", u"Set as default printer"};
inline constexpr Key PleaseSelectModel{u"Please select model", u"Please select model"};
// Page flow.
inline constexpr Key NoSelectPrinter{u"NoSelectPrinter", u"Please Select a Printer Driver"};
inline constexpr Key MsgBoxTitle{u"MsgBoxTitle", u"Printer Driver Installation"};
inline constexpr Key Finish{u"Finish", u"Finish"};
// Wizard panel.
inline constexpr Key ChooseInstallationFolder{u"Choose installation folder",
                                              u"Choose installation folder"};
inline constexpr Key InstallPath{u"InstallPath", u"Path"};
inline constexpr Key PrinterSetting{u"Printer Setting", u"Printer Setting"};
inline constexpr Key Installing{u"Installing", u"Installing"};
inline constexpr Key SetupComplete{u"Setup Complete", u"Setup Complete"};
inline constexpr Key SetupFailed{u"Setup Failed", u"Setup Failed"};

// Every key above, for lookups by name.
inline constexpr Key kAllKeys[] = {
    SelectLanguage, PleaseSelectLanguage, Cancel,         Chinese,       English,
    Russian,        SelectLanguageCN,     PleaseSelectLanguageCN,        CancelCN,
    OK,             Back,                 Next,           Browse,        DriverTitle,
    PrintTitle,     DefaultPrinter,       PleaseSelectModel,             NoSelectPrinter,
    MsgBoxTitle,    Finish,               ChooseInstallationFolder,      InstallPath,
    PrinterSetting, Installing,           SetupComplete,  SetupFailed,
};

inline constexpr const char16_t* kSection = u"Text";
inline constexpr const char16_t* kFileName = u"\\Text.ini";
// Characters of the value buffer, terminator included.
inline constexpr std::size_t kValueCapacity = 256;

// "<workingFolder>\Text.ini".
core::u16 TextIniPath(const core::u16& workingFolder);

// The value of `key` in section "Text" of "<workingFolder>\Text.ini", or
// `fallback` when the file, section or key is missing. The result never holds
// more than kValueCapacity - 1 characters, whatever the reader returns.
core::u16 ReadTextIni(os::ProfileReader& reader, const core::u16& workingFolder,
                      const char16_t* key, const char16_t* fallback);
core::u16 ReadTextIni(os::ProfileReader& reader, const core::u16& workingFolder, const Key& key);

// The table entry named `name` (exact, case-sensitive), or null.
const Key* FindKey(core::u16view name);

}  // namespace textini
