// The installer's start-up run: load the payload, write the start-up files
// into the working folder, ask for the language, load that language's texts
// and run the wizard. The Win32 application object implements StartupHost;
// RunStartup holds the order and the decisions.
#pragma once

#include <cstdint>

#include "core/text.h"
#include "ui/language_labels.h"
#include "ui/messages.h"

namespace app {

using ui::LanguageDialogKind;

// UiLanguage values.
inline constexpr int kUiEnglish = 0;
inline constexpr int kUiChinese = 1;
inline constexpr int kUiRussian = 2;

// Locales with their own dialog.
inline constexpr std::uint32_t kLcidChinesePrc = 2052;
inline constexpr std::uint32_t kLcidEnglishUs = 1033;

LanguageDialogKind LanguageDialogFor(std::uint32_t lcid);

struct LanguageChoice {
    int uiLanguage;
    const char16_t* textFileName;  // begins with '\', appended to the working folder
};
// 0 Chinese, 1 English, anything else Russian.
LanguageChoice LanguageFromIndex(int index);

// The list index used when the language dialog could not be shown at all.
inline constexpr int kFallbackLanguageIndex = 1;  // English

inline constexpr const char16_t* kStaleLogoName = u"\\Logo.bmp";

// The language of a box that start-up shows before the language is chosen:
// the system's default locale decides, 2052 Chinese, 1049 (Russian, Russia)
// Russian, anything else English.
inline constexpr std::uint32_t kLcidRussian = 1049;
int StartupMessageLanguage(std::uint32_t lcid);

// The mark of a running installation, taken before anything is written.
//   Taken           this run holds it until the host is destroyed
//   HeldElsewhere   another installation holds it: this run must end
//   Unavailable     the mark could not be made for another reason; the run
//                   goes on unguarded rather than refusing the installation
enum class RunningMark { Taken, HeldElsewhere, Unavailable };

enum class DialogResult { Ok, Cancel, Failed };
struct LanguageDialogOutcome {
    DialogResult result;
    int index;  // the list index stored by OK; meaningful only for Ok
};

class StartupHost {
public:
    virtual ~StartupHost() = default;
    // Takes the machine-wide mark of a running installation; a taken mark is
    // held until the host is destroyed, so for the whole run.
    virtual RunningMark TakeRunningMark() = 0;
    // Shows a message box without an owner window; returns when it is closed.
    virtual void ShowMessage(const ui::MessageBoxSpec& box) = 0;
    // Copies the embedded container into memory (none when it is missing).
    virtual void LoadPayload() = 0;
    // The documents folder as a UTF-16 path; empty when the shell gives none.
    virtual core::u16 PersonalFolder() = 0;
    // Deletes a file; whether it existed or could be deleted is not needed.
    virtual void RemoveFile(const core::u16& path) = 0;
    // Writes the start-up members of the container into the working folder.
    virtual void ExtractStartupFiles() = 0;
    virtual std::uint32_t SystemDefaultLcid() = 0;
    // Runs the language dialog modally, without a parent window. Failed: the
    // dialog could not be created or run.
    virtual LanguageDialogOutcome RunLanguageDialog(LanguageDialogKind kind,
                                                    const core::u16& workingFolder) = 0;
    // Sets the run's UiLanguage; called at most once.
    virtual void SetUiLanguage(int uiLanguage) = 0;
    // Loads the wizard texts from `path` (defaults when it cannot be opened);
    // returns whether the file could be opened.
    virtual bool LoadTexts(const core::u16& path) = 0;
    // Makes the wizard dialog the main window and runs it modally.
    virtual void RunWizard() = 0;
};

// The whole start-up run, in order: the running mark (held elsewhere: the
// already-running box in the locale's language, and the run ends before
// anything is read, written or deleted); payload; working folder; delete a stale
// "Logo.bmp" before the extraction (so a logo of this run's payload stays);
// extraction; language dialog by locale (Cancel ends here, UiLanguage never
// set, every extracted file kept; a dialog that cannot be shown counts as
// English); UiLanguage; texts, deleting the text file only if it was opened;
// wizard. Returns 0, the application's FALSE: the program ends afterwards.
int RunStartup(StartupHost& host);

}  // namespace app
