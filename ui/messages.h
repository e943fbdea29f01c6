// Message boxes of the wizard's page checks, and the Text.ini label source
// that the wizard's Russian texts come from.
#pragma once

#include "core/text.h"
#include "os/profile.h"

namespace ui {

// Values of the run's interface language.
constexpr int kUiEnglish = 0;
constexpr int kUiChinese = 1;
constexpr int kUiRussian = 2;

// Reads labels from section "Text" of Text.ini at the moment they are
// needed (nothing is cached). A value keeps at most 255 characters. With no
// reader, or no file, section or key, the fallback is the answer.
struct TextIni {
    os::ProfileReader* reader = nullptr;
    core::u16 path;  // "<working folder>\Text.ini"

    core::u16 Get(const core::u16& key, const core::u16& fallback) const;
};

// "<folder>\Text.ini".
core::u16 TextIniPath(const core::u16& workingFolder);

enum class MessageId {
    kNone,
    kFolderEmpty,
    kFolderInvalid,
    kNoModel,            // printer-name box empty
    kUsbNotConnected,    // no connected USB printer of a known model
    kUsbNoNewPrinter,    // no model record matches a connected printer
    kPrinterNameInvalid, // a name the installation cannot use safely
};

enum class MessageOwner { kDialog, kNone };
enum class MessageIcon { kNone, kError };

// One message box (always a single OK button).
struct MessageBoxSpec {
    core::u16 caption;
    core::u16 text;
    MessageOwner owner = MessageOwner::kDialog;
    MessageIcon icon = MessageIcon::kNone;
};

// The box for `id` in `uiLanguage` (languages other than 1 and 2 read as
// English). Russian reads Text.ini only for kNoModel; its other boxes are
// the English ones. kNone gives an empty
// box.
MessageBoxSpec GetMessageBox(MessageId id, int uiLanguage, const TextIni& ini);

}  // namespace ui
