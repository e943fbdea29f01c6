#include "ui/language_labels.h"

#include "texts/install_texts.h"
#include "texts/text_ini.h"

namespace ui {

LanguageDialogClass ClassOf(LanguageDialogKind kind) {
    return kind == LanguageDialogKind::Chinese ? LanguageDialogClass::Chinese
                                               : LanguageDialogClass::English;
}

namespace langdlg {

int ControlId(Target target) {
    switch (target) {
        case Target::Prompt: return kIdPrompt;
        case Target::Ok: return kIdOk;
        case Target::Cancel: return kIdCancel;
        case Target::List: return kIdList;
        case Target::Dialog:
        case Target::Caption: break;
    }
    return 0;
}

bool Action::operator==(const Action& o) const {
    if (kind != o.kind) return false;
    switch (kind) {
        case ActionKind::SetFont: return target == o.target && font == o.font;
        case ActionKind::SetText: return target == o.target && text == o.text;
        case ActionKind::AddItem: return text == o.text;
        case ActionKind::Select: return index == o.index;
    }
    return false;
}

core::u16 CaptionFromTextFile(const LabelSources& src, const char16_t* fileName) {
    std::vector<std::uint8_t> bytes;
    if (!src.files.ReadFile(src.workingFolder + fileName, texts::kMaxTextFileBytes, &bytes))
        return {};
    return texts::ReadLastLine(bytes.data(), bytes.size());
}

namespace {

core::u16 Ini(const LabelSources& src, const textini::Key& key) {
    return textini::ReadTextIni(src.profile, src.workingFolder, key);
}

void AddCaption(Actions& out, core::u16 caption) {
    if (!caption.empty()) out.push_back(Action::SetText(Target::Caption, std::move(caption)));
}

}  // namespace

Actions InitActions(LanguageDialogKind kind, const LabelSources& src) {
    Actions a;
    switch (kind) {
        case LanguageDialogKind::Chinese:
            // The entries are the template's initial data, which the base
            // class's initialisation has already put into the list.
            a.push_back(Action::Select(0));
            AddCaption(a, CaptionFromTextFile(src, kChineseCaptionFile));
            a.push_back(Action::SetFont(Target::List, Font::DialogFont));
            break;
        case LanguageDialogKind::EnglishMode0: {
            a.push_back(Action::SetFont(Target::List, Font::DialogFont));
            core::u16 caption = CaptionFromTextFile(src, kEnglishCaptionFile);
            a.push_back(Action::AddItem(u"中文"));
            a.push_back(Action::AddItem(u"English"));
            a.push_back(Action::AddItem(u"Русский"));
            a.push_back(Action::Select(1));
            AddCaption(a, std::move(caption));
            break;
        }
        case LanguageDialogKind::EnglishMode1: {
            a.push_back(Action::SetFont(Target::Dialog, Font::DialogFont));
            core::u16 caption = Ini(src, textini::SelectLanguage);
            a.push_back(Action::AddItem(Ini(src, textini::Chinese)));
            a.push_back(Action::AddItem(Ini(src, textini::English)));
            a.push_back(Action::AddItem(Ini(src, textini::Russian)));
            a.push_back(Action::Select(2));
            a.push_back(Action::SetFont(Target::List, Font::DialogFont));
            a.push_back(Action::SetFont(Target::Prompt, Font::DialogFont));
            a.push_back(Action::SetText(Target::Prompt, Ini(src, textini::PleaseSelectLanguage)));
            a.push_back(Action::SetFont(Target::Ok, Font::DialogFont));
            a.push_back(Action::SetText(Target::Ok, u"OK"));
            a.push_back(Action::SetFont(Target::Cancel, Font::DialogFont));
            a.push_back(Action::SetText(Target::Cancel, Ini(src, textini::Cancel)));
            AddCaption(a, std::move(caption));
            break;
        }
    }
    return a;
}

Actions RelabelActions(LanguageDialogClass cls, int index, const LabelSources& src) {
    const bool cn = cls == LanguageDialogClass::Chinese;
    Actions a;
    switch (index) {
        case 0:
            if (cn) a.push_back(Action::SetFont(Target::Dialog, Font::Initial));
            a.push_back(Action::SetText(Target::Caption, Ini(src, textini::SelectLanguageCN)));
            a.push_back(Action::SetText(Target::Prompt, Ini(src, textini::PleaseSelectLanguageCN)));
            if (cn) a.push_back(Action::SetFont(Target::Prompt, Font::Initial));
            a.push_back(Action::SetText(Target::Cancel, Ini(src, textini::CancelCN)));
            if (cn) a.push_back(Action::SetFont(Target::Cancel, Font::Initial));
            a.push_back(Action::SetText(Target::Ok, Ini(src, textini::OK)));
            if (cn) a.push_back(Action::SetFont(Target::Ok, Font::Initial));
            break;
        case 1:
            a.push_back(Action::SetText(Target::Caption, u"Select Language"));
            a.push_back(Action::SetText(Target::Prompt, u"Please Select Language"));
            a.push_back(Action::SetText(Target::Cancel, u"Cancel"));
            a.push_back(Action::SetText(Target::Ok, u"OK"));
            break;
        case 2:
            a.push_back(Action::SetFont(Target::Dialog, Font::DialogFont));
            a.push_back(Action::SetText(Target::Caption, Ini(src, textini::SelectLanguage)));
            a.push_back(Action::SetFont(Target::List, Font::DialogFont));
            a.push_back(Action::SetFont(Target::Prompt, Font::DialogFont));
            a.push_back(Action::SetText(Target::Prompt, Ini(src, textini::PleaseSelectLanguage)));
            a.push_back(Action::SetFont(Target::Ok, Font::DialogFont));
            a.push_back(Action::SetText(Target::Ok, u"OK"));
            a.push_back(Action::SetFont(Target::Cancel, Font::DialogFont));
            a.push_back(Action::SetText(Target::Cancel, Ini(src, textini::Cancel)));
            break;
        default:
            break;
    }
    return a;
}

}  // namespace langdlg
}  // namespace ui
