// The wizard dialog's caption, button and label texts and fonts by
// interface language.
#pragma once

#include <vector>

#include "core/text.h"
#include "ui/messages.h"

namespace ui {

struct DialogLabel {
    int controlId;
    core::u16 text;
};

enum class DialogFontChoice { kResource, kChinese, kRussian };

struct WizardDialogTexts {
    bool setCaption = false;  // false: the template's caption stays
    core::u16 caption;
    std::vector<DialogLabel> labels;  // in table order
    DialogFontChoice font = DialogFontChoice::kResource;
    std::vector<int> fontControls;    // the controls that get the font
};

// `windowTitle` is the loaded WindowTitle (may be empty); Russian labels come
// from `ini`, Text.ini values keeping at most 255 characters.
WizardDialogTexts GetWizardDialogTexts(int uiLanguage, core::u16view windowTitle, const TextIni& ini);

// CreateFontW arguments of the dialog's two text fonts (every other
// argument 0): Chinese 12 px GB2312 "宋体", Russian 14 px ANSI
// "Times New Romans", both of normal weight.
struct DialogFontSpec {
    int height;
    int charset;
    const char16_t* face;
};
inline constexpr DialogFontSpec kChineseDialogFont{12, 134, u"宋体"};
inline constexpr DialogFontSpec kRussianDialogFont{14, 0, u"Times New Romans"};

// The label of button 1007 on the failure page, set by the install worker:
// "完成" for Chinese, "Finish" otherwise.
core::u16 FailureFinishLabel(int uiLanguage);

}  // namespace ui
