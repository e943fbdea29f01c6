#include <gtest/gtest.h>

#include "fakes/fake_fs.h"
#include "fakes/fake_profile.h"
#include "texts_test_support.h"
#include "ui/language_labels.h"

namespace {

using core::u16;
using ui::LanguageDialogClass;
using ui::LanguageDialogKind;
using namespace ui::langdlg;

const u16 kDocs = u"C:\\Users\\me\\Documents";
const u16 kIni = kDocs + u"\\Text.ini";

std::string Describe(const Actions& actions) {
    static const char* const kinds[] = {"SetFont", "SetText", "AddItem", "Select"};
    static const char* const targets[] = {"Dialog", "Caption", "Prompt", "Ok", "Cancel", "List"};
    std::string s;
    for (const Action& a : actions) {
        s += kinds[static_cast<int>(a.kind)];
        s += "(";
        if (a.kind == ActionKind::SetFont || a.kind == ActionKind::SetText)
            s += std::string(targets[static_cast<int>(a.target)]) + ",";
        if (a.kind == ActionKind::SetFont) s += a.font == Font::Initial ? "Initial" : "DialogFont";
        if (a.kind == ActionKind::SetText || a.kind == ActionKind::AddItem) s += core::Utf16ToUtf8(a.text);
        if (a.kind == ActionKind::Select) s += std::to_string(a.index);
        s += ") ";
    }
    return s;
}

#define EXPECT_ACTIONS(got, want) EXPECT_EQ(Describe(got), Describe(want))

struct Env {
    fakes::FakeFileSystem fs;
    fakes::FakeProfileReader ini;
    LabelSources src{kDocs, fs, ini};
    Env() { fs.AddDirectory(kDocs); }

    void TextFile(const char16_t* name, const u16& text) {
        fs.AddFile(kDocs + name, testsupport::Utf16File(text));
    }
    // A Text.ini that sets every key the dialogs read.
    void FullTextIni() {
        for (const char16_t* key : {u"SelectLanguage", u"PleaseSelectLanguage", u"Cancel", u"Chinese",
                                    u"English", u"Russian", u"SelectLanguageCN", u"PleaseSelectLanguageCN",
                                    u"CancelCN", u"OK"})
            ini.Set(kIni, u"Text", key, u"<" + u16(key) + u">");
    }
};

const u16 kTail = u"\r\n" + u16(50, u'=') + u"\r\nName\r\n";

TEST(LanguageInit, ChineseDialogSelectsTheTemplateEntryAndTakesTheCaptionFromTheChineseFile) {
    Env e;
    e.TextFile(u"\\InstallConfig_cn.txt", u"Page" + kTail + u"标签打印机驱动安装--选择语言");
    e.TextFile(u"\\InstallConfig_en.txt", u"Page" + kTail + u"Wrong file");
    // No AddItem: the three entries come from the template's initial data.
    const Actions want = {Action::Select(0), Action::SetText(Target::Caption, u"标签打印机驱动安装--选择语言"),
                          Action::SetFont(Target::List, Font::DialogFont)};
    EXPECT_ACTIONS(InitActions(LanguageDialogKind::Chinese, e.src), want);
    EXPECT_TRUE(e.ini.calls.empty());  // Text.ini plays no part here
}

TEST(LanguageInit, EnglishMode0TakesTheCaptionFromTheEnglishFile) {
    Env e;
    e.TextFile(u"\\InstallConfig_en.txt", u"Page" + kTail + u"Label Printer Driver--Select Language");
    e.FullTextIni();
    const Actions want = {Action::SetFont(Target::List, Font::DialogFont), Action::AddItem(u"中文"),
                          Action::AddItem(u"English"), Action::AddItem(u"Русский"), Action::Select(1),
                          Action::SetText(Target::Caption, u"Label Printer Driver--Select Language")};
    EXPECT_ACTIONS(InitActions(LanguageDialogKind::EnglishMode0, e.src), want);
}

TEST(LanguageInit, CaptionIsSetOnlyWhenTheLastLineIsNotEmpty) {
    struct Case {
        const char* what;
        bool present;
        std::vector<std::uint8_t> bytes;
        u16 caption;  // empty: no caption action
    };
    const Case cases[] = {
        {"missing file", false, {}, u""},
        {"empty file", true, {}, u""},
        {"last line ends with CR LF", true, testsupport::Utf16File(u"a\r\nTitle\r\n"), u"Title\n"},
        {"last line empty after NUL", true, testsupport::Utf16File(u16(u"a\r\n\0x", 5)), u""},
    };
    for (const auto kind : {LanguageDialogKind::Chinese, LanguageDialogKind::EnglishMode0}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            Env e;
            const char16_t* file =
                kind == LanguageDialogKind::Chinese ? u"\\InstallConfig_cn.txt" : u"\\InstallConfig_en.txt";
            if (c.present) e.fs.AddFile(kDocs + file, c.bytes);
            const Actions got = InitActions(kind, e.src);
            int captions = 0;
            for (const Action& a : got) {
                if (a.kind == ActionKind::SetText && a.target == Target::Caption) {
                    ++captions;
                    EXPECT_EQ(a.text, c.caption);
                }
            }
            EXPECT_EQ(captions, c.caption.empty() ? 0 : 1);
        }
    }
}

TEST(LanguageInit, EnglishMode1TakesEveryLabelFromTextIni) {
    const auto want = [](const char16_t* title, const char16_t* cn, const char16_t* en, const char16_t* ru,
                         const char16_t* prompt, const char16_t* cancel) {
        Actions a = {Action::SetFont(Target::Dialog, Font::DialogFont),
                     Action::AddItem(cn),
                     Action::AddItem(en),
                     Action::AddItem(ru),
                     Action::Select(2),
                     Action::SetFont(Target::List, Font::DialogFont),
                     Action::SetFont(Target::Prompt, Font::DialogFont),
                     Action::SetText(Target::Prompt, prompt),
                     Action::SetFont(Target::Ok, Font::DialogFont),
                     Action::SetText(Target::Ok, u"OK"),
                     Action::SetFont(Target::Cancel, Font::DialogFont),
                     Action::SetText(Target::Cancel, cancel)};
        if (*title) a.push_back(Action::SetText(Target::Caption, title));
        return a;
    };
    {
        SCOPED_TRACE("no Text.ini");
        Env e;
        e.TextFile(u"\\InstallConfig_en.txt", u"x\r\nNot used");
        EXPECT_ACTIONS(InitActions(LanguageDialogKind::EnglishMode1, e.src),
                       want(u"Select Language", u"Chinese", u"English", u"Russian", u"Please Select Language",
                            u"Cancel"));
        for (const auto& call : e.ini.calls) {
            EXPECT_EQ(call.path, kIni);
            EXPECT_EQ(call.section, u"Text");
        }
    }
    {
        SCOPED_TRACE("every key set");
        Env e;
        e.FullTextIni();
        EXPECT_ACTIONS(InitActions(LanguageDialogKind::EnglishMode1, e.src),
                       want(u"<SelectLanguage>", u"<Chinese>", u"<English>", u"<Russian>", u"<PleaseSelectLanguage>",
                            u"<Cancel>"));
    }
    {
        SCOPED_TRACE("empty title keeps the template's caption");
        Env e;
        e.ini.Set(kIni, u"Text", u"SelectLanguage", u"");
        e.ini.Set(kIni, u"Text", u"Russian", u"Русский");
        EXPECT_ACTIONS(InitActions(LanguageDialogKind::EnglishMode1, e.src),
                       want(u"", u"Chinese", u"English", u"Русский", u"Please Select Language", u"Cancel"));
    }
}

// The relabel table written out row by row: class, selected index, and the
// actions without Text.ini and with a Text.ini that sets every key to
// "<key>".
struct RelabelRow {
    const char* what;
    LanguageDialogClass cls;
    int index;
    Actions withoutIni;
    Actions withIni;
};

std::vector<RelabelRow> RelabelTable() {
    using A = Action;
    const Actions none;
    const Actions english = {A::SetText(Target::Caption, u"Select Language"),
                             A::SetText(Target::Prompt, u"Please Select Language"),
                             A::SetText(Target::Cancel, u"Cancel"), A::SetText(Target::Ok, u"OK")};
    const auto russian = [](const char16_t* caption, const char16_t* prompt, const char16_t* cancel) {
        return Actions{A::SetFont(Target::Dialog, Font::DialogFont), A::SetText(Target::Caption, caption),
                       A::SetFont(Target::List, Font::DialogFont),   A::SetFont(Target::Prompt, Font::DialogFont),
                       A::SetText(Target::Prompt, prompt),           A::SetFont(Target::Ok, Font::DialogFont),
                       A::SetText(Target::Ok, u"OK"),                A::SetFont(Target::Cancel, Font::DialogFont),
                       A::SetText(Target::Cancel, cancel)};
    };
    const Actions russianDefault = russian(u"Select Language", u"Please Select Language", u"Cancel");
    const Actions russianIni = russian(u"<SelectLanguage>", u"<PleaseSelectLanguage>", u"<Cancel>");
    return {
        {"CN 0", LanguageDialogClass::Chinese, 0,
         {A::SetFont(Target::Dialog, Font::Initial), A::SetText(Target::Caption, u"选择语言"),
          A::SetText(Target::Prompt, u"请选择语言"), A::SetFont(Target::Prompt, Font::Initial),
          A::SetText(Target::Cancel, u"取消"), A::SetFont(Target::Cancel, Font::Initial),
          A::SetText(Target::Ok, u"OK"), A::SetFont(Target::Ok, Font::Initial)},
         {A::SetFont(Target::Dialog, Font::Initial), A::SetText(Target::Caption, u"<SelectLanguageCN>"),
          A::SetText(Target::Prompt, u"<PleaseSelectLanguageCN>"), A::SetFont(Target::Prompt, Font::Initial),
          A::SetText(Target::Cancel, u"<CancelCN>"), A::SetFont(Target::Cancel, Font::Initial),
          A::SetText(Target::Ok, u"<OK>"), A::SetFont(Target::Ok, Font::Initial)}},
        {"EN 0", LanguageDialogClass::English, 0,
         {A::SetText(Target::Caption, u"选择语言"), A::SetText(Target::Prompt, u"请选择语言"),
          A::SetText(Target::Cancel, u"取消"), A::SetText(Target::Ok, u"OK")},
         {A::SetText(Target::Caption, u"<SelectLanguageCN>"), A::SetText(Target::Prompt, u"<PleaseSelectLanguageCN>"),
          A::SetText(Target::Cancel, u"<CancelCN>"), A::SetText(Target::Ok, u"<OK>")}},
        // Index 1 uses fixed texts even when Text.ini has values.
        {"CN 1", LanguageDialogClass::Chinese, 1, english, english},
        {"EN 1", LanguageDialogClass::English, 1, english, english},
        {"CN 2", LanguageDialogClass::Chinese, 2, russianDefault, russianIni},
        {"EN 2", LanguageDialogClass::English, 2, russianDefault, russianIni},
        {"CN -1", LanguageDialogClass::Chinese, -1, none, none},
        {"EN -1", LanguageDialogClass::English, -1, none, none},
        {"CN 3", LanguageDialogClass::Chinese, 3, none, none},
        {"EN 3", LanguageDialogClass::English, 3, none, none},
    };
}

TEST(LanguageRelabel, EveryRowOfBothClassesWithAndWithoutTextIni) {
    for (const RelabelRow& row : RelabelTable()) {
        for (bool withIni : {false, true}) {
            SCOPED_TRACE(testing::Message() << row.what << (withIni ? " Text.ini" : ""));
            Env e;
            if (withIni) e.FullTextIni();
            EXPECT_ACTIONS(RelabelActions(row.cls, row.index, e.src), withIni ? row.withIni : row.withoutIni);
            if (row.index == 1 || row.index < 0 || row.index > 2) {
                EXPECT_TRUE(e.ini.calls.empty());
            }
        }
    }
}

TEST(LanguageRelabel, TextIniIsReadAgainOnEverySelection) {
    Env e;
    EXPECT_EQ(RelabelActions(LanguageDialogClass::English, 2, e.src)[1].text, u"Select Language");
    e.ini.Set(kIni, u"Text", u"SelectLanguage", u"Выбор языка");
    EXPECT_EQ(RelabelActions(LanguageDialogClass::English, 2, e.src)[1].text, u"Выбор языка");
}

TEST(LanguageRelabel, OverlongTextIniValueIsCut) {
    Env e;
    e.ini.Set(kIni, u"Text", u"Cancel", u16(300, u'c'));
    const Actions got = RelabelActions(LanguageDialogClass::Chinese, 2, e.src);
    EXPECT_EQ(got.back().text, u16(255, u'c'));
}

TEST(LanguageDialogs, ClassesAndControlIds) {
    EXPECT_EQ(ui::ClassOf(LanguageDialogKind::Chinese), LanguageDialogClass::Chinese);
    EXPECT_EQ(ui::ClassOf(LanguageDialogKind::EnglishMode0), LanguageDialogClass::English);
    EXPECT_EQ(ui::ClassOf(LanguageDialogKind::EnglishMode1), LanguageDialogClass::English);
    EXPECT_EQ(ControlId(Target::Prompt), 1045);
    EXPECT_EQ(ControlId(Target::List), 1008);
    EXPECT_EQ(ControlId(Target::Ok), 1);
    EXPECT_EQ(ControlId(Target::Cancel), 2);
    EXPECT_EQ(ControlId(Target::Caption), 0);
    EXPECT_EQ(u16(kDialogFont.face), u"Times New Romans");
    EXPECT_EQ(kDialogFont.height, 15);
    EXPECT_EQ(kDialogFont.charset, 204);
}

}  // namespace
