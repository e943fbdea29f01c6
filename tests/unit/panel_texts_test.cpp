#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <vector>

#include "ui/panel_texts.h"
#include "ui/wizard_page.h"

namespace {

using core::u16;

class MapProfile : public os::ProfileReader {
public:
    struct Call { u16 path, section, key, fallback; std::size_t capacity; };
    std::map<u16, u16> values;
    std::vector<Call> calls;
    u16 ReadString(const u16& path, const u16& section, const u16& key, const u16& fallback,
                   std::size_t capacity) override {
        calls.push_back({path, section, key, fallback, capacity});
        const auto it = values.find(key);
        return it == values.end() ? fallback : it->second;
    }
};

const u16 kIni = u"C:\\Docs\\Text.ini";

TEST(PanelTitles, ByPageAndLanguage) {
    struct Case { std::int32_t page; const char16_t* chinese; const char16_t* english; };
    const Case cases[] = {
        {ui::PageFolder, u"选择安装文件夹", u"Choose installation folder"},
        {ui::PagePrinter, u"设置打印机", u"Printer Setting"},
        {ui::PageInstalling, u"正在安装", u"Installing"},
        {ui::PageFinished, u"安装完成", u"Setup Complete"},
        {ui::PageFailed, u"安装失败", u"Setup Failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        MapProfile profile;
        EXPECT_EQ(ui::PageTitle(c.page, 1, true, profile, kIni), c.chinese);
        EXPECT_EQ(ui::PageTitle(c.page, 0, false, profile, kIni), c.english);
        EXPECT_TRUE(profile.calls.empty());  // only Russian reads Text.ini

        // Russian without Text.ini: the English word, asked under itself.
        EXPECT_EQ(ui::PageTitle(c.page, 2, false, profile, kIni), c.english);
        ASSERT_EQ(profile.calls.size(), 1u);
        EXPECT_EQ(profile.calls[0].path, kIni);
        EXPECT_EQ(profile.calls[0].section, u"Text");
        EXPECT_EQ(profile.calls[0].key, c.english);
        EXPECT_EQ(profile.calls[0].fallback, c.english);
        EXPECT_EQ(profile.calls[0].capacity, 256u);

        // Russian with a translation.
        profile.values[c.english] = u"Перевод";
        EXPECT_EQ(ui::PageTitle(c.page, 2, false, profile, kIni), u"Перевод");
    }
}

TEST(PanelTitles, CancelledPageFollowsTheChineseFlagAndIgnoresTextIni) {
    struct Case { int language; bool chinese; const char16_t* title; };
    const Case cases[] = {
        {1, true, u"安装完成"}, {0, false, u"Setup Complete"}, {2, false, u"Setup Complete"},
        {0, true, u"安装完成"},  // the panel's flag decides, before Create it is 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        MapProfile profile;
        profile.values[u"Setup Complete"] = u"Установка завершена";
        EXPECT_EQ(ui::PageTitle(ui::PageCancelled, c.language, c.chinese, profile, kIni), c.title);
        EXPECT_TRUE(profile.calls.empty());
    }
}

TEST(PanelTitles, WelcomeAndUnknownPagesHaveNone) {
    MapProfile profile;
    for (const std::int32_t page : {std::int32_t{ui::PageWelcome}, 6, 7, 42}) {
        SCOPED_TRACE(page);
        EXPECT_EQ(ui::PageTitle(page, 2, false, profile, kIni), u"");
    }
    EXPECT_TRUE(profile.calls.empty());
}

TEST(PanelTitles, FolderFrameTitle) {
    MapProfile profile;
    EXPECT_EQ(ui::FolderFrameTitle(1, profile, kIni), u"目标文件夹");
    EXPECT_EQ(ui::FolderFrameTitle(0, profile, kIni), u"Target folder");
    EXPECT_TRUE(profile.calls.empty());
    EXPECT_EQ(ui::FolderFrameTitle(2, profile, kIni), u"Path");
    ASSERT_EQ(profile.calls.size(), 1u);
    EXPECT_EQ(profile.calls[0].key, u"InstallPath");
    profile.values[u"InstallPath"] = u"Путь";
    EXPECT_EQ(ui::FolderFrameTitle(2, profile, kIni), u"Путь");
}

// The built-in texts, written out: a page whose loaded text is empty shows
// exactly these (Chinese when the panel is Chinese, English otherwise, so
// also for the Russian interface); a loaded text wins over them.
TEST(PanelTexts, EmptyLoadedTextShowsTheBuiltInTextLoadedTextWins) {
    struct Case {
        std::int32_t page;
        const char16_t* chinese;
        const char16_t* english;
    };
    const Case cases[] = {
        {ui::PageWelcome,
         u"欢迎使用Q712打印机驱动\n\n本向导将会在您的电脑上安装Q712打印机驱动。本程序支持Word、Excel等程序的Windows标准打印功能。\n\n本程序在完成安装之后，不必重启系統就可以直接使用。\n\n\n请点击[下一步]继续。",
         u"Welcome use Q712 printer.\n\nThis Wizard will install Q712 printer driver in \nyour computer.This software can support word,excel \netc program standard printing function.\n\n\n\n\nPlease click [next] to continue."},
        {ui::PageFolder,
         u"安装程序将打印机驱动安装在下列文件夹。如果要安装到不同的文件夹，点击   【浏览】并选择其它文件夹。点击【下一步】继续。",
         u"The wizard will install the Q712 printer driver in the following folder If \nyou want to install to a different folder, please click [Browse] and choose other \nfolder. Click [next] to continue."},
        {ui::PageInstalling,
         u"安装程序正在Q712打印机驱动到您的电脑上。请等待，这个工程可能会花几分钟。",
         u"The wizard is installing Q712 printer driver in your computer.Please wait, the progress will spend your few minute."},
        {ui::PageFinished, u"Q712打印机驱动已成功安装到您的电脑。 ",
         u"Q712 printer driver has been successfully installed in your computer. "},
        {ui::PageCancelled, u"用户取消操作。 ", u"The operation cancelled by user。 "},
        {ui::PageFailed, u"打印机驱动安装失败。 ", u"The Printer Driver install fail. "},
    };
    const ui::PanelPageTexts loaded{u"W", u"F", u"I", u"S", u"C", u"X"};
    const char16_t* const mine[] = {u"W", u"F", u"I", u"S", u"C", u"X"};
    const ui::PanelPageTexts empty{};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.page);
        EXPECT_EQ(u16(ui::PageBodyText(c.page, empty, true)), c.chinese);
        EXPECT_EQ(u16(ui::PageBodyText(c.page, empty, false)), c.english);
        for (const bool chinese : {true, false}) EXPECT_EQ(u16(ui::PageBodyText(c.page, loaded, chinese)), mine[i]);
    }
    // The printer page and unknown pages have no body text.
    for (const std::int32_t page : {std::int32_t{ui::PagePrinter}, 6, 7, 42}) {
        SCOPED_TRACE(page);
        EXPECT_TRUE(ui::PageBodyText(page, loaded, false).empty());
        EXPECT_TRUE(ui::PageBodyText(page, empty, true).empty());
    }
}

TEST(PanelTexts, WorkingFilePathFallsBackToTheDriveRoot) {
    EXPECT_EQ(ui::WorkingFilePath(u"C:\\Users\\me\\Documents", ui::kTextIniFileName),
              u"C:\\Users\\me\\Documents\\Text.ini");
    EXPECT_EQ(ui::WorkingFilePath(u"", ui::kLogoFileName), u"\\Logo.bmp");
}

TEST(PanelFonts, UnknownLanguageUsesTheEnglishFonts) {
    for (const ui::PanelFont font : {ui::PanelFont::Heading, ui::PanelFont::Body, ui::PanelFont::Title}) {
        for (const int language : {-1, 3, 100}) {
            SCOPED_TRACE(language);
            const auto english = ui::PanelFontFor(font, 0);
            const auto got = ui::PanelFontFor(font, language);
            EXPECT_EQ(u16(got.face), u16(english.face));
            EXPECT_EQ(got.height, english.height);
        }
    }
    // The Chinese heading uses the GB2312 character set, the Russian one ANSI.
    EXPECT_EQ(ui::PanelFontFor(ui::PanelFont::Heading, 1).charset, 134);
    EXPECT_EQ(ui::PanelFontFor(ui::PanelFont::Heading, 2).charset, 0);
}

}  // namespace
