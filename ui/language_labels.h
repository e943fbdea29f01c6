// What the two language dialogs show, as ordered lists of actions that the
// Win32 dialogs apply one after the other. The dialogs run before the wizard
// texts are loaded, so their words come from fixed texts, from the last line
// of an InstallConfig file in the working folder, and from Text.ini.
#pragma once

#include <cstdint>
#include <vector>

#include "core/text.h"
#include "os/files.h"
#include "os/profile.h"

namespace ui {

// Which dialog start-up shows. Chinese is the Chinese-template dialog; the
// two English modes share the English template.
enum class LanguageDialogKind { Chinese, EnglishMode0, EnglishMode1 };

// The dialog class, for the selection-change relabelling.
enum class LanguageDialogClass { Chinese, English };
LanguageDialogClass ClassOf(LanguageDialogKind kind);

namespace langdlg {

// Control ids of both templates.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdList = 1008;
inline constexpr int kIdPrompt = 1045;
inline constexpr int kChineseTemplate = 133;
inline constexpr int kEnglishTemplate = 136;

// Caption sets the dialog's window text; Dialog is the dialog window itself
// (for fonts).
enum class Target { Dialog, Caption, Prompt, Ok, Cancel, List };
int ControlId(Target target);  // 0 for Dialog and Caption

// Initial: the font the dialog had when it initialised (remembered before the
// first action is applied). DialogFont: the font made from kDialogFont,
// created by the dialog before the first action is applied and released with
// the dialog.
enum class Font { Initial, DialogFont };

// CreateFontW arguments of the dialog font; every other argument is 0 /
// the default. The face name is used as written whether or not it exists.
struct FontParams {
    int height;
    int weight;
    int charset;
    const char16_t* face;
};
inline constexpr FontParams kDialogFont{15, 400, 204, u"Times New Romans"};

enum class ActionKind {
    SetFont,  // target, font; the control is redrawn
    SetText,  // target, text
    AddItem,  // text appended to the list (the list does not sort)
    Select,   // index selected in the list
};

struct Action {
    ActionKind kind;
    Target target;
    Font font;
    core::u16 text;
    int index;

    static Action SetFont(Target t, Font f) { return {ActionKind::SetFont, t, f, {}, 0}; }
    static Action SetText(Target t, core::u16 s) {
        return {ActionKind::SetText, t, Font::Initial, std::move(s), 0};
    }
    static Action AddItem(core::u16 s) {
        return {ActionKind::AddItem, Target::List, Font::Initial, std::move(s), 0};
    }
    static Action Select(int i) { return {ActionKind::Select, Target::List, Font::Initial, {}, i}; }
    bool operator==(const Action& o) const;
};

using Actions = std::vector<Action>;

// The environment the label logic reads: the working folder (for
// InstallConfig_*.txt and Text.ini), its files and Text.ini.
struct LabelSources {
    const core::u16& workingFolder;
    os::FileSystem& files;
    os::ProfileReader& profile;
};

// The InstallConfig file whose last line is the dialog's caption.
inline constexpr const char16_t* kChineseCaptionFile = u"\\InstallConfig_cn.txt";
inline constexpr const char16_t* kEnglishCaptionFile = u"\\InstallConfig_en.txt";

// The last line of "<workingFolder><fileName>", or empty when the file cannot
// be opened.
core::u16 CaptionFromTextFile(const LabelSources& src, const char16_t* fileName);

// Actions of OnInitDialog, after the base initialisation. The caption is set
// only when its text is not empty; otherwise the template's caption stays.
Actions InitActions(LanguageDialogKind kind, const LabelSources& src);

// Actions when the list selection changes to `index` (Text.ini is read anew
// on every call). An index other than 0, 1, 2 (including -1, no selection)
// gives no actions.
Actions RelabelActions(LanguageDialogClass cls, int index, const LabelSources& src);

}  // namespace langdlg
}  // namespace ui
