#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/startup.h"
#include "fakes/fake_fs.h"
#include "texts/install_texts.h"
#include "texts_test_support.h"

namespace {

using app::DialogResult;
using app::LanguageDialogKind;
using core::u16;

TEST(LanguageDialogFor, ChoosesTheDialogByDefaultLocale) {
    struct Case {
        std::uint32_t lcid;
        LanguageDialogKind kind;
    };
    const Case cases[] = {
        {2052, LanguageDialogKind::Chinese},      {1033, LanguageDialogKind::EnglishMode0},
        {1049, LanguageDialogKind::EnglishMode1}, {1041, LanguageDialogKind::EnglishMode1},
        {2057, LanguageDialogKind::EnglishMode1}, {1028, LanguageDialogKind::EnglishMode1},
        {0, LanguageDialogKind::EnglishMode1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lcid);
        EXPECT_EQ(app::LanguageDialogFor(c.lcid), c.kind);
    }
}

TEST(LanguageFromIndex, MapsListIndexToLanguageAndTextFile) {
    struct Case {
        int index;
        int ui;
        const char16_t* file;
    };
    const Case cases[] = {
        {0, 1, u"\\InstallConfig_cn.txt"}, {1, 0, u"\\InstallConfig_en.txt"},
        {2, 2, u"\\InstallConfig_rs.txt"}, {3, 2, u"\\InstallConfig_rs.txt"},
        {-1, 2, u"\\InstallConfig_rs.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        const app::LanguageChoice choice = app::LanguageFromIndex(c.index);
        EXPECT_EQ(choice.uiLanguage, c.ui);
        EXPECT_EQ(u16(choice.textFileName), c.file);
    }
}

const u16 kDocs = u"C:\\Users\\me\\Documents";

// A host over the in-memory file system that records every call in order.
class FakeHost : public app::StartupHost {
public:
    fakes::FakeFileSystem fs;
    std::vector<std::string> log;
    u16 folder = kDocs;
    std::uint32_t lcid = 1033;
    app::LanguageDialogOutcome answer{DialogResult::Ok, 1};
    // Start-up members of this run's payload: name -> contents.
    std::vector<std::pair<u16, std::vector<std::uint8_t>>> payload;
    int uiLanguage = 0;
    int uiLanguageSets = 0;
    LanguageDialogKind shownKind{};
    u16 dialogFolder;
    texts::InstallTexts texts{};
    bool wizardRan = false;
    app::RunningMark mark = app::RunningMark::Taken;
    std::vector<ui::MessageBoxSpec> shown;

    FakeHost() { fs.AddDirectory(kDocs); }

    app::RunningMark TakeRunningMark() override {
        log.push_back("mark");
        return mark;
    }
    void ShowMessage(const ui::MessageBoxSpec& box) override {
        log.push_back("message");
        shown.push_back(box);
    }
    void LoadPayload() override { log.push_back("payload"); }
    u16 PersonalFolder() override {
        log.push_back("folder");
        return folder;
    }
    void RemoveFile(const u16& path) override {
        log.push_back("delete " + core::Utf16ToUtf8(path));
        fs.RemoveFile(path);
    }
    void ExtractStartupFiles() override {
        log.push_back("extract");
        for (const auto& [name, bytes] : payload) {
            auto out = fs.CreateForWrite(folder + u"\\" + name);
            if (out) out->Write(bytes.data(), bytes.size());
        }
    }
    std::uint32_t SystemDefaultLcid() override {
        log.push_back("lcid");
        return lcid;
    }
    app::LanguageDialogOutcome RunLanguageDialog(LanguageDialogKind kind, const u16& wf) override {
        log.push_back("dialog");
        shownKind = kind;
        dialogFolder = wf;
        return answer;
    }
    void SetUiLanguage(int ui) override {
        log.push_back("ui " + std::to_string(ui));
        uiLanguage = ui;
        ++uiLanguageSets;
    }
    bool LoadTexts(const u16& path) override {
        log.push_back("texts " + core::Utf16ToUtf8(path));
        return texts::LoadInstallTexts(path, fs, texts);
    }
    void RunWizard() override {
        log.push_back("wizard");
        wizardRan = true;
    }

    bool Has(const char16_t* name) { return fs.HasFile(folder + name); }
};

std::vector<std::uint8_t> TextFile(const char16_t* base) {
    u16 s;
    for (int i = 0; i < 7; ++i) s += u"Block\r\n" + u16(50, u'=') + u"\r\n";
    return testsupport::Utf16File(s + base + u"\r\nDriver");
}

void AddReferencePayload(FakeHost& h) {
    h.payload = {{u"InstallConfig_cn.txt", TextFile(u"CN Printer")},
                 {u"InstallConfig_en.txt", TextFile(u"EN Printer")},
                 {u"PrinterName.txt", {0xFF, 0xFE, '/', 0, '/', 0}}};
}

TEST(RunStartup, RunsEveryStepInOrderAndDeletesTheChosenTextFileAfterReadingIt) {
    struct Case {
        int index;
        const char* ui;
        const char* file;
        const char16_t* base;
    };
    const Case cases[] = {
        {0, "ui 1", "InstallConfig_cn.txt", u"CN Printer"},
        {1, "ui 0", "InstallConfig_en.txt", u"EN Printer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        FakeHost h;
        AddReferencePayload(h);
        h.answer = {DialogResult::Ok, c.index};
        EXPECT_EQ(app::RunStartup(h), 0);
        const std::string docs = core::Utf16ToUtf8(kDocs);
        const std::string text = docs + "\\" + c.file;
        const std::vector<std::string> want = {"mark",           "payload", "folder", "delete " + docs + "\\Logo.bmp",
                                               "extract",        "lcid",   "dialog",
                                               c.ui,             "texts " + text,
                                               "delete " + text, "wizard"};
        EXPECT_EQ(h.log, want);
        EXPECT_EQ(u16(core::FieldView(h.texts.PrinterBaseName)), c.base);
        EXPECT_EQ(h.dialogFolder, kDocs);
        EXPECT_EQ(h.uiLanguageSets, 1);
        // Only the chosen text file is gone.
        EXPECT_EQ(h.Has(u"\\InstallConfig_cn.txt"), c.index != 0);
        EXPECT_EQ(h.Has(u"\\InstallConfig_en.txt"), c.index != 1);
        EXPECT_TRUE(h.Has(u"\\PrinterName.txt"));
    }
}

TEST(RunStartup, ShowsTheDialogThatTheLocaleSelects) {
    struct Case {
        std::uint32_t lcid;
        LanguageDialogKind shown;
    };
    // 2052 the Chinese dialog, 1033 the English one in mode 0, any other
    // locale the English one in mode 1.
    const Case cases[] = {
        {2052, LanguageDialogKind::Chinese},      {1033, LanguageDialogKind::EnglishMode0},
        {1049, LanguageDialogKind::EnglishMode1}, {1041, LanguageDialogKind::EnglishMode1},
        {1028, LanguageDialogKind::EnglishMode1}, {0, LanguageDialogKind::EnglishMode1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lcid);
        FakeHost h;
        h.lcid = c.lcid;
        h.shownKind = c.shown == LanguageDialogKind::Chinese ? LanguageDialogKind::EnglishMode1
                                                             : LanguageDialogKind::Chinese;  // poison
        app::RunStartup(h);
        EXPECT_EQ(h.shownKind, c.shown);
    }
}

TEST(RunStartup, CancelEndsBeforeTheWizardAndKeepsEveryExtractedFile) {
    FakeHost h;
    AddReferencePayload(h);
    h.answer = {DialogResult::Cancel, 0};  // an index left over must not be used
    EXPECT_EQ(app::RunStartup(h), 0);
    const std::vector<std::string> want = {
        "mark", "payload", "folder", "delete " + core::Utf16ToUtf8(kDocs) + "\\Logo.bmp", "extract", "lcid",
        "dialog"};
    EXPECT_EQ(h.log, want);
    EXPECT_EQ(h.uiLanguage, 0);
    EXPECT_EQ(h.uiLanguageSets, 0);
    EXPECT_TRUE(h.Has(u"\\InstallConfig_cn.txt"));
    EXPECT_TRUE(h.Has(u"\\InstallConfig_en.txt"));
    EXPECT_TRUE(h.Has(u"\\PrinterName.txt"));
}

TEST(RunStartup, DialogThatCannotBeShownMeansEnglish) {
    FakeHost h;
    AddReferencePayload(h);
    h.answer = {DialogResult::Failed, 0};  // the index is not meaningful
    app::RunStartup(h);
    EXPECT_EQ(h.uiLanguage, 0);
    EXPECT_EQ(u16(core::FieldView(h.texts.PrinterBaseName)), u"EN Printer");
    EXPECT_FALSE(h.Has(u"\\InstallConfig_en.txt"));
    EXPECT_TRUE(h.wizardRan);
}

TEST(RunStartup, MissingTextFileGivesDefaultsAndDeletesNothing) {
    FakeHost h;
    AddReferencePayload(h);
    h.fs.AddFile(kDocs + u"\\Keep.txt", std::string("mine"));
    h.answer = {DialogResult::Ok, 2};  // Russian: the payload has no file for it
    app::RunStartup(h);
    EXPECT_EQ(h.uiLanguage, 2);
    EXPECT_EQ(u16(core::FieldView(h.texts.PrinterBaseName)), u"USB Printer");
    for (const std::string& line : h.log) {
        SCOPED_TRACE(line);
        EXPECT_TRUE(line.rfind("delete ", 0) != 0 || line.find("Logo.bmp") != std::string::npos);
    }
    EXPECT_EQ(h.log.back(), "wizard");
    EXPECT_EQ(h.fs.Files().size(), 4u);  // cn, en, model list, Keep.txt
}

TEST(RunStartup, StaleLogoIsDeletedButThisRunsLogoStays) {
    for (bool payloadHasLogo : {false, true}) {
        SCOPED_TRACE(payloadHasLogo);
        FakeHost h;
        AddReferencePayload(h);
        h.fs.AddFile(kDocs + u"\\Logo.bmp", std::string("old"));
        if (payloadHasLogo) h.payload.push_back({u"logo.bmp", {'n', 'e', 'w'}});
        app::RunStartup(h);
        EXPECT_EQ(h.Has(u"\\Logo.bmp"), payloadHasLogo);
        if (payloadHasLogo) {
            EXPECT_EQ(h.fs.ContentsString(kDocs + u"\\Logo.bmp"), "new");
        }
    }
}

TEST(RunStartup, NoWorkingFolderGivesPathsAtTheDriveRoot) {
    FakeHost h;
    h.folder = u"";
    h.answer = {DialogResult::Ok, 1};
    app::RunStartup(h);
    EXPECT_EQ(h.log[3], "delete \\Logo.bmp");
    EXPECT_EQ(h.log[8], "texts \\InstallConfig_en.txt");
}

TEST(StartupMessageLanguage, ChoosesByDefaultLocale) {
    struct Case {
        std::uint32_t lcid;
        int language;
    };
    const Case cases[] = {{2052, app::kUiChinese}, {1049, app::kUiRussian}, {1033, app::kUiEnglish},
                          {1028, app::kUiEnglish}, {1041, app::kUiEnglish}, {0, app::kUiEnglish}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lcid);
        EXPECT_EQ(app::StartupMessageLanguage(c.lcid), c.language);
    }
}

TEST(RunStartup, AnotherRunningInstallationEndsTheRunBeforeAnythingIsTouched) {
    struct Case {
        std::uint32_t lcid;
        const char16_t* caption;
    };
    const Case cases[] = {{1033, u"Printer Driver Installation"},
                          {2052, u"打印机驱动安装"},
                          {1049, u"Установка драйвера принтера"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lcid);
        FakeHost h;
        AddReferencePayload(h);
        h.lcid = c.lcid;
        h.mark = app::RunningMark::HeldElsewhere;
        h.fs.AddFile(kDocs + u"\\Logo.bmp", std::string("a logo of the running installation"));
        h.fs.AddFile(kDocs + u"\\InstallConfig_en.txt", std::string("its text file"));
        EXPECT_EQ(app::RunStartup(h), 0);
        EXPECT_EQ(h.log, (std::vector<std::string>{"mark", "lcid", "message"}));
        ASSERT_EQ(h.shown.size(), 1u);
        EXPECT_EQ(h.shown[0].caption, c.caption);
        EXPECT_EQ(h.shown[0].owner, ui::MessageOwner::kNone);
        EXPECT_EQ(h.shown[0].icon, ui::MessageIcon::kWarning);
        EXPECT_EQ(h.uiLanguageSets, 0);
        EXPECT_FALSE(h.wizardRan);
        EXPECT_EQ(h.fs.ContentsString(kDocs + u"\\Logo.bmp"), "a logo of the running installation");
        EXPECT_EQ(h.fs.ContentsString(kDocs + u"\\InstallConfig_en.txt"), "its text file");
        EXPECT_EQ(h.fs.Files().size(), 2u);
    }
}

TEST(RunStartup, AMarkThatCannotBeMadeDoesNotStopTheRun) {
    FakeHost h;
    AddReferencePayload(h);
    h.mark = app::RunningMark::Unavailable;
    app::RunStartup(h);
    EXPECT_TRUE(h.shown.empty());
    EXPECT_TRUE(h.wizardRan);
    EXPECT_EQ(h.log.front(), "mark");
}

}  // namespace
