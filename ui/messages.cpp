#include "ui/messages.h"

namespace ui {

namespace {

const char16_t kPrinterNameInvalidChinese[] =
    u"打印机名称不能使用。名称不能包含 \\ / : * ? \" < > | , 或控制字符，不能是 CON、PRN、NUL、COM1、LPT1 "
    u"等设备名，不能以句点或空格结尾，并且不能太长。请输入其他名称。";
const char16_t kPrinterNameInvalidEnglish[] =
    u"The printer name cannot be used. It must not contain \\ / : * ? \" < > | , or control characters, "
    u"must not be a device name such as CON, PRN, NUL, COM1 or LPT1, must not end in a dot or a blank, "
    u"and must not be too long. Please enter another name.";

}  // namespace

core::u16 TextIni::Get(const core::u16& key, const core::u16& fallback) const {
    constexpr std::size_t kCapacity = 256;
    core::u16 value = reader ? reader->ReadString(path, u"Text", key, fallback, kCapacity) : fallback;
    if (value.size() > kCapacity - 1) value.resize(kCapacity - 1);
    return value;
}

core::u16 TextIniPath(const core::u16& workingFolder) { return workingFolder + u"\\Text.ini"; }

MessageBoxSpec GetMessageBox(MessageId id, int uiLanguage, const TextIni& ini) {
    const bool chinese = uiLanguage == kUiChinese;
    MessageBoxSpec box;
    switch (id) {
    case MessageId::kNone:
        return box;
    case MessageId::kFolderEmpty:
    case MessageId::kFolderInvalid:
        box.owner = MessageOwner::kDialog;
        box.icon = MessageIcon::kNone;
        box.caption = chinese ? u"打印机驱动安装" : u"Driver Installation";
        if (id == MessageId::kFolderEmpty)
            box.text = chinese ? u"安装文件夹不能为空" : u"The folder is empty!";
        else
            box.text = chinese ? u"安装文件夹不是有效文件夹" : u"The folder is invalid";
        return box;
    case MessageId::kNoModel:
    case MessageId::kUsbNotConnected:
    case MessageId::kUsbNoNewPrinter:
    case MessageId::kPrinterNameInvalid:
        break;
    }
    box.owner = MessageOwner::kNone;
    box.icon = MessageIcon::kError;
    if (chinese) {
        box.caption = u"打印机驱动安装";
        if (id == MessageId::kNoModel)
            box.text = u"您没有选择打印机型号，请先选择打印机型号";
        else if (id == MessageId::kUsbNotConnected)
            box.text = u"没有检测到打印机连接到电脑上，请先连接打印机并上电。 ";
        else if (id == MessageId::kPrinterNameInvalid)
            box.text = kPrinterNameInvalidChinese;
        else
            box.text = u"没有检测到新的打印机连接到电脑上，请先连接新的打印机并上电。 ";
        return box;
    }
    box.caption = u"Printer Driver Installation";
    if (id == MessageId::kNoModel) {
        box.text = u"Please Select a Printer Driver";
        if (uiLanguage == kUiRussian) {
            box.caption = ini.Get(u"MsgBoxTitle", box.caption);
            box.text = ini.Get(u"NoSelectPrinter", box.text);
        }
    } else if (id == MessageId::kPrinterNameInvalid) {
        box.text = kPrinterNameInvalidEnglish;
    } else if (id == MessageId::kUsbNotConnected) {
        box.text = u"No matching label printer detected, please connect and try again.";
    } else {
        box.text = u"No matching label new printer detected, please connect and try again.";
    }
    return box;
}

}  // namespace ui
