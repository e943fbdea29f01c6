#include <gtest/gtest.h>

#include <map>

#include "ui/dialog_texts.h"

namespace {

class MapProfile : public os::ProfileReader {
public:
    std::map<core::u16, core::u16> values;
    core::u16 ReadString(const core::u16&, const core::u16& section, const core::u16& key,
                         const core::u16& fallback, std::size_t capacity) override {
        EXPECT_EQ(section, u"Text");
        const auto it = values.find(key);
        core::u16 v = it == values.end() ? fallback : it->second;
        if (v.size() > capacity - 1) v.resize(capacity - 1);
        return v;
    }
};

core::u16 LabelOf(const ui::WizardDialogTexts& t, int id) {
    for (const auto& l : t.labels)
        if (l.controlId == id) return l.text;
    return u"<none>";
}

TEST(WizardDialogTexts, CaptionFallsBackPerLanguageWhenTheTextsCarryNone) {
    MapProfile profile;
    const ui::TextIni ini{&profile, u"C:\\Docs\\Text.ini"};
    struct Case { int language; const char16_t* title; bool set; const char16_t* caption; };
    const Case cases[] = {
        {1, u"", true, u"USB打印机驱动安装"},
        {0, u"", true, u"USB printer driver installation Wizard"},
        {2, u"", false, u""},
        {2, u"Мастер", true, u"Мастер"},
        {0, u"Label Printer Driver installation", true, u"Label Printer Driver installation"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        const auto t = ui::GetWizardDialogTexts(c.language, c.title, ini);
        EXPECT_EQ(t.setCaption, c.set);
        EXPECT_EQ(t.caption, c.caption);
    }
}

TEST(WizardDialogTexts, RussianButtonsComeFromTextIniWithEnglishDefaultsAndFixedCancel) {
    MapProfile profile;
    const ui::TextIni ini{&profile, u"C:\\Docs\\Text.ini"};
    auto t = ui::GetWizardDialogTexts(2, u"", ini);
    EXPECT_EQ(LabelOf(t, 1003), u"Back");
    EXPECT_EQ(LabelOf(t, 1001), u"Next");
    EXPECT_EQ(LabelOf(t, 1002), u"Browse");
    EXPECT_EQ(LabelOf(t, 1007), u"Отмена");
    EXPECT_EQ(LabelOf(t, 1024), u"выбор порта");
    EXPECT_EQ(t.font, ui::DialogFontChoice::kRussian);

    profile.values[u"Next"] = u"Далее";
    profile.values[u"DriverTitle"] = core::u16(300, u'м');
    t = ui::GetWizardDialogTexts(2, u"", ini);
    EXPECT_EQ(LabelOf(t, 1001), u"Далее");
    EXPECT_EQ(LabelOf(t, 1028).size(), 255u);  // a long value is cut, never overruns
}

TEST(WizardDialogTexts, FontsCoverTheNamedControlsAndTheTwoBoxesExceptInEnglish) {
    MapProfile profile;
    const ui::TextIni ini{&profile, u"x"};
    EXPECT_TRUE(ui::GetWizardDialogTexts(0, u"", ini).fontControls.empty());
    for (int language : {1, 2}) {
        const auto t = ui::GetWizardDialogTexts(language, u"", ini);
        EXPECT_EQ(t.fontControls.size(), 12u);
        EXPECT_NE(std::find(t.fontControls.begin(), t.fontControls.end(), 1030), t.fontControls.end());
    }
    EXPECT_EQ(LabelOf(ui::GetWizardDialogTexts(1, u"", ini), 1001), u"下一步>>");
}

}  // namespace
