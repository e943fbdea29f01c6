#include "ui/panel_texts.h"

#include "ui/wizard_page.h"

namespace ui {
namespace {

constexpr int kEnglish = 0;
constexpr int kChinese = 1;
constexpr int kRussian = 2;

struct TitleRow {
    std::int32_t page;
    const char16_t* chinese;
    const char16_t* english;  // also the Text.ini key and its default
};

constexpr TitleRow kTitles[] = {
    {PageFolder, u"选择安装文件夹", u"Choose installation folder"},
    {PagePrinter, u"设置打印机", u"Printer Setting"},
    {PageInstalling, u"正在安装", u"Installing"},
    {PageFinished, u"安装完成", u"Setup Complete"},
    {PageFailed, u"安装失败", u"Setup Failed"},
};

struct BuiltInRow {
    std::int32_t page;
    const char16_t* chinese;
    const char16_t* english;
};

constexpr BuiltInRow kBuiltIn[] = {
    {PageWelcome,
     u"欢迎使用Q712打印机驱动\n\n本向导将会在您的电脑上安装Q712打印机驱动。本程序支持Word、Excel等程序的Windows标准打印功能。\n\n本程序在完成安装之后，不必重启系統就可以直接使用。\n\n\n请点击[下一步]继续。",
     u"Welcome use Q712 printer.\n\nThis Wizard will install Q712 printer driver in \nyour computer.This software can support word,excel \netc program standard printing function.\n\n\n\n\nPlease click [next] to continue."},
    {PageFolder,
     u"安装程序将打印机驱动安装在下列文件夹。如果要安装到不同的文件夹，点击   【浏览】并选择其它文件夹。点击【下一步】继续。",
     u"The wizard will install the Q712 printer driver in the following folder If \nyou want to install to a different folder, please click [Browse] and choose other \nfolder. Click [next] to continue."},
    {PageInstalling,
     u"安装程序正在Q712打印机驱动到您的电脑上。请等待，这个工程可能会花几分钟。",
     u"The wizard is installing Q712 printer driver in your computer.Please wait, the progress will spend your few minute."},
    {PageFinished, u"Q712打印机驱动已成功安装到您的电脑。 ",
     u"Q712 printer driver has been successfully installed in your computer. "},
    {PageCancelled, u"用户取消操作。 ", u"The operation cancelled by user。 "},
    {PageFailed, u"打印机驱动安装失败。 ", u"The Printer Driver install fail. "},
};

core::u16 ReadLabel(os::ProfileReader& profile, const core::u16& textIni, const char16_t* key,
                    const char16_t* fallback) {
    return profile.ReadString(textIni, kTextIniSection, key, fallback, kTextIniValueCapacity);
}

}  // namespace

core::u16 WorkingFilePath(core::u16view folder, core::u16view name) {
    core::u16 path(folder);
    path += u'\\';
    path += name;
    return path;
}

core::u16 PageTitle(std::int32_t page, int uiLanguage, bool chinese, os::ProfileReader& profile,
                    const core::u16& textIni) {
    if (page == PageCancelled) return chinese ? u"安装完成" : u"Setup Complete";
    for (const TitleRow& row : kTitles) {
        if (row.page != page) continue;
        if (uiLanguage == kChinese) return row.chinese;
        if (uiLanguage == kRussian) return ReadLabel(profile, textIni, row.english, row.english);
        return row.english;
    }
    return {};
}

core::u16 FolderFrameTitle(int uiLanguage, os::ProfileReader& profile, const core::u16& textIni) {
    if (uiLanguage == kChinese) return u"目标文件夹";
    if (uiLanguage == kRussian) return ReadLabel(profile, textIni, u"InstallPath", u"Path");
    return u"Target folder";
}

core::u16view BuiltInPageText(std::int32_t page, bool chinese) {
    for (const BuiltInRow& row : kBuiltIn) {
        if (row.page == page) return chinese ? row.chinese : row.english;
    }
    return {};
}

core::u16view PageBodyText(std::int32_t page, const PanelPageTexts& texts, bool chinese) {
    core::u16view loaded;
    switch (page) {
        case PageWelcome: loaded = texts.welcome; break;
        case PageFolder: loaded = texts.folder; break;
        case PageInstalling: loaded = texts.installing; break;
        case PageFinished: loaded = texts.success; break;
        case PageCancelled: loaded = texts.cancelled; break;
        case PageFailed: loaded = texts.failed; break;
        default: return {};
    }
    return loaded.empty() ? BuiltInPageText(page, chinese) : loaded;
}

core::u16view RestartBoxCaption(bool chinese) {
    return chinese ? u"现在重启电脑" : u"Restart windows now";
}

core::u16view DefaultWaitText(bool chinese) {
    return chinese ? core::u16view(kInitialWaitText) : u"Please wait...";
}

const PanelFontParams kPanelFonts[3][3] = {
    // Heading: the first line of the welcome text.
    {{u"Ms Scanf", 20, 0, 800}, {u"宋体", 14, 134, 800}, {u"Times New Roman", 18, 0, 800}},
    // Body: body texts, the wait line and the frame title.
    {{u"Ms Scanf", 15, 0, 400}, {u"宋体", 12, 134, 400}, {u"Times New Romans", 15, 0, 400}},
    // Title: page titles.
    {{u"Ms Scanf", 15, 0, 800}, {u"Ms Scanf", 12, 134, 800}, {u"Times New Romans", 15, 0, 800}},
};

PanelFontParams PanelFontFor(PanelFont font, int uiLanguage) {
    const int language = (uiLanguage == kChinese || uiLanguage == kRussian) ? uiLanguage : kEnglish;
    return kPanelFonts[static_cast<int>(font)][language];
}

}  // namespace ui
