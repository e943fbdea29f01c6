#include "ui/dialog_texts.h"

namespace ui {

namespace {

constexpr int kBack = 1003, kNext = 1001, kCancel = 1007, kBrowse = 1002, kPortGroup = 1024, kModelLabel = 1028,
              kNameLabel = 1027, kDefaultBox = 1029, kPortLabel = 1036, kBaudLabel = 1040, kModelBox = 1025,
              kNameBox = 1030;

}  // namespace

WizardDialogTexts GetWizardDialogTexts(int uiLanguage, core::u16view windowTitle, const TextIni& ini) {
    WizardDialogTexts t;
    const core::u16 title(windowTitle);
    if (uiLanguage == kUiChinese) {
        t.setCaption = true;
        t.caption = title.empty() ? u"USB打印机驱动安装" : title;
        t.labels = {{kBack, u"<<上一步"},     {kNext, u"下一步>>"},      {kCancel, u"取消"},
                    {kBrowse, u"浏览..."},     {kPortGroup, u"设置端口"}, {kModelLabel, u"型号："},
                    {kNameLabel, u"打印机名称："}, {kDefaultBox, u"设置为默认打印机"}, {kPortLabel, u"端口："},
                    {kBaudLabel, u"波特率："}};
        t.font = DialogFontChoice::kChinese;
    } else if (uiLanguage == kUiRussian) {
        t.setCaption = !title.empty();
        t.caption = title;
        t.labels = {{kBack, ini.Get(u"Back", u"Back")},
                    {kNext, ini.Get(u"Next", u"Next")},
                    {kCancel, u"Отмена"},
                    {kBrowse, ini.Get(u"Browse", u"Browse")},
                    {kPortGroup, u"выбор порта"},
                    {kModelLabel, ini.Get(u"DriverTitle", u"Model:")},
                    {kNameLabel, ini.Get(u"PrintTitle", u"Printer Name:")},
                    {kDefaultBox, ini.Get(u"DefaultPrinter", u"Set as default printer")},
                    {kPortLabel, u"Port:"},
                    {kBaudLabel, u"Baudrate:"}};
        t.font = DialogFontChoice::kRussian;
    } else {
        t.setCaption = true;
        t.caption = title.empty() ? u"USB printer driver installation Wizard" : title;
        t.labels = {{kBack, u"Back"},           {kNext, u"Next"},
                    {kCancel, u"Cancel"},       {kBrowse, u"Browse"},
                    {kPortGroup, u"Select Port"}, {kModelLabel, u"Model:"},
                    {kNameLabel, u"Printer Name:"}, {kDefaultBox, u"Set as default printer"},
                    {kPortLabel, u"Port:"},     {kBaudLabel, u"Baudrate:"}};
    }
    if (t.font != DialogFontChoice::kResource) {
        for (const DialogLabel& label : t.labels) t.fontControls.push_back(label.controlId);
        t.fontControls.push_back(kModelBox);
        t.fontControls.push_back(kNameBox);
    }
    return t;
}

core::u16 FailureFinishLabel(int uiLanguage) { return uiLanguage == kUiChinese ? u"完成" : u"Finish"; }

}  // namespace ui
