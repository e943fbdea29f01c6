#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "fakes/fake_fs.h"
#include "fakes/fake_spooler.h"
#include "fakes/fake_system_info.h"
#include "ui/page_flow.h"

namespace {

using core::u16;
using S = ui::UiStep;
using Steps = std::vector<ui::UiStep>;

class MapProfile : public os::ProfileReader {
public:
    std::map<u16, u16> values;
    u16 ReadString(const u16&, const u16& section, const u16& key, const u16& fallback,
                   std::size_t) override {
        if (section != u"Text") return fallback;
        const auto it = values.find(key);
        return it == values.end() ? fallback : it->second;
    }
};

// ---------------------------------------------------------------- folders

TEST(PageFlowFolder, CreateFolderPath) {
    const u16 long255 = u"C:\\" + u16(120, u'a') + u"\\" + u16(131, u'b');
    const u16 long256 = long255 + u"c";
    ASSERT_EQ(long255.size(), 255u);
    struct Case {
        const char* label;
        u16 path;
        int result;
        std::vector<u16> exist, absent;
    } cases[] = {
        {"two new levels", u"C:\\New\\Deeper", 1, {u"C:\\New", u"C:\\New\\Deeper"}, {}},
        {"255 characters", long255, 1, {long255}, {}},
        {"256 characters are refused, nothing created", long256, 0, {}, {u"C:\\" + u16(120, u'a')}},
        {"trailing backslash", u"C:\\T\\U\\", 1, {u"C:\\T", u"C:\\T\\U"}, {}},
        {"existing levels", u"C:\\Existing\\Child", 1, {u"C:\\Existing\\Child"}, {}},
        {"already there", u"C:\\Existing", 1, {u"C:\\Existing"}, {}},
        {"drive only", u"C:", 1, {}, {}},
        {"drive root", u"C:\\", 1, {}, {}},
        {"no drive letter", u"Programs\\X", 0, {}, {u"Programs"}},
        {"UNC path", u"\\\\server\\share\\x", 0, {}, {}},
        {"empty", u"", 0, {}, {}},
        {"one character", u"C", 0, {}, {}},
        {"missing drive", u"Q:\\X", 0, {}, {u"Q:\\X"}},
        {"a file in the way", u"C:\\File.txt\\Sub", 0, {}, {u"C:\\File.txt\\Sub"}},
        {"creation refused", u"C:\\Locked\\Sub", 0, {}, {u"C:\\Locked", u"C:\\Locked\\Sub"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        fakes::FakeFileSystem fs;
        fs.AddDrive(u"C:");
        fs.AddDirectory(u"C:\\Existing");
        fs.AddFile(u"C:\\File.txt", std::string("x"));
        fs.FailDirectory(u"C:\\Locked");
        EXPECT_EQ(ui::CreateFolderPath(fs, c.path), c.result);
        for (const auto& d : c.exist) EXPECT_TRUE(fs.DirectoryExists(d)) << core::Utf16ToUtf8(d);
        for (const auto& d : c.absent) EXPECT_FALSE(fs.DirectoryExists(d)) << core::Utf16ToUtf8(d);
    }
}

// -------------------------------------------------------------- messages

const u16 kNameInvalidChinese =
    u"打印机名称不能使用。名称不能包含 \\ / : * ? \" < > | , 或控制字符，不能是 CON、PRN、NUL、COM1、LPT1 "
    u"等设备名，不能以句点或空格结尾，并且不能太长。请输入其他名称。";
const u16 kNameInvalidEnglish =
    u"The printer name cannot be used. It must not contain \\ / : * ? \" < > | , or control characters, "
    u"must not be a device name such as CON, PRN, NUL, COM1 or LPT1, must not end in a dot or a blank, "
    u"and must not be too long. Please enter another name.";

TEST(PageFlowMessages, TextsByLanguage) {
    using ui::MessageId;
    using ui::MessageIcon;
    using ui::MessageOwner;
    const u16 zhTitle = u"打印机驱动安装";
    struct Case {
        MessageId id;
        int language;
        u16 caption, text;
        MessageOwner owner;
        MessageIcon icon;
    } cases[] = {
        {MessageId::kFolderEmpty, ui::kUiChinese, zhTitle, u"安装文件夹不能为空", MessageOwner::kDialog, MessageIcon::kNone},
        {MessageId::kFolderEmpty, ui::kUiEnglish, u"Driver Installation", u"The folder is empty!", MessageOwner::kDialog, MessageIcon::kNone},
        {MessageId::kFolderEmpty, ui::kUiRussian, u"Driver Installation", u"The folder is empty!", MessageOwner::kDialog, MessageIcon::kNone},
        {MessageId::kFolderInvalid, ui::kUiChinese, zhTitle, u"安装文件夹不是有效文件夹", MessageOwner::kDialog, MessageIcon::kNone},
        {MessageId::kFolderInvalid, ui::kUiEnglish, u"Driver Installation", u"The folder is invalid", MessageOwner::kDialog, MessageIcon::kNone},
        {MessageId::kFolderInvalid, ui::kUiRussian, u"Driver Installation", u"The folder is invalid", MessageOwner::kDialog, MessageIcon::kNone},
        {MessageId::kNoModel, ui::kUiChinese, zhTitle, u"您没有选择打印机型号，请先选择打印机型号", MessageOwner::kNone, MessageIcon::kError},
        {MessageId::kNoModel, ui::kUiEnglish, u"Printer Driver Installation", u"Please Select a Printer Driver", MessageOwner::kNone, MessageIcon::kError},
        {MessageId::kNoModel, ui::kUiRussian, u"Printer Driver Installation", u"Please Select a Printer Driver", MessageOwner::kNone, MessageIcon::kError},
        {MessageId::kUsbNotConnected, ui::kUiChinese, zhTitle, u"没有检测到打印机连接到电脑上，请先连接打印机并上电。 ", MessageOwner::kNone, MessageIcon::kError},
        {MessageId::kUsbNotConnected, ui::kUiEnglish, u"Printer Driver Installation", u"No matching label printer detected, please connect and try again.", MessageOwner::kNone, MessageIcon::kError},
        {MessageId::kUsbNotConnected, ui::kUiRussian, u"Printer Driver Installation", u"No matching label printer detected, please connect and try again.", MessageOwner::kNone, MessageIcon::kError},
        {MessageId::kUsbNoNewPrinter, ui::kUiChinese, zhTitle, u"没有检测到新的打印机连接到电脑上，请先连接新的打印机并上电。 ", MessageOwner::kNone, MessageIcon::kError},
        {MessageId::kUsbNoNewPrinter, ui::kUiEnglish, u"Printer Driver Installation", u"No matching label new printer detected, please connect and try again.", MessageOwner::kNone, MessageIcon::kError},
        {MessageId::kUsbNoNewPrinter, ui::kUiRussian, u"Printer Driver Installation", u"No matching label new printer detected, please connect and try again.", MessageOwner::kNone, MessageIcon::kError},
        {MessageId::kPrinterNameInvalid, ui::kUiChinese, zhTitle, kNameInvalidChinese, MessageOwner::kNone, MessageIcon::kError},
        {MessageId::kPrinterNameInvalid, ui::kUiEnglish, u"Printer Driver Installation", kNameInvalidEnglish, MessageOwner::kNone, MessageIcon::kError},
        {MessageId::kPrinterNameInvalid, ui::kUiRussian, u"Printer Driver Installation", kNameInvalidEnglish, MessageOwner::kNone, MessageIcon::kError},
    };
    MapProfile empty;
    const ui::TextIni ini{&empty, u"C:\\Docs\\Text.ini"};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.id) * 10 + c.language);
        const ui::MessageBoxSpec box = ui::GetMessageBox(c.id, c.language, ini);
        EXPECT_EQ(box.caption, c.caption);
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.owner, c.owner);
        EXPECT_EQ(box.icon, c.icon);
    }
    // Russian reads Text.ini for the no-model box only.
    MapProfile ru;
    ru.values[u"MsgBoxTitle"] = u"Установка";
    ru.values[u"NoSelectPrinter"] = u"Выберите принтер";
    ru.values[u"Finish"] = u"Готово";
    const ui::TextIni ruIni{&ru, u"C:\\Docs\\Text.ini"};
    const auto noModel = ui::GetMessageBox(ui::MessageId::kNoModel, ui::kUiRussian, ruIni);
    EXPECT_EQ(noModel.caption, u"Установка");
    EXPECT_EQ(noModel.text, u"Выберите принтер");
    EXPECT_EQ(ui::GetMessageBox(ui::MessageId::kNoModel, ui::kUiEnglish, ruIni).caption,
              u"Printer Driver Installation");
    EXPECT_EQ(ui::GetMessageBox(ui::MessageId::kUsbNotConnected, ui::kUiRussian, ruIni).caption,
              u"Printer Driver Installation");
    EXPECT_EQ(ui::FinishLabel(ui::kUiRussian, ruIni), u"Готово");
    EXPECT_EQ(ui::FinishLabel(ui::kUiRussian, ini), u"Finish");
    EXPECT_EQ(ui::FinishLabel(ui::kUiEnglish, ruIni), u"Finish");
    EXPECT_EQ(ui::FinishLabel(ui::kUiChinese, ruIni), u"完成");
}

// ----------------------------------------------------------- Next / Back

class FakeServices : public ui::NextServices {
public:
    int connected = 0;
    std::map<u16, u16> usbPorts;  // vid&pid -> port the lookup writes
    std::vector<u16> lookups;     // vid&pid of each lookup
    std::vector<u16> portOutBefore;
    std::vector<u16> saved;
    int scans = 0;
    int dialogRuns = 0;
    bool dialogCancelled = false;
    u16 dialogChoice;

    int ScanConnectedPrinters() override {
        ++scans;
        return connected;
    }
    bool FindUsbPrinterPort(u16& portOut, core::u16view vidPid, core::u16view) override {
        lookups.emplace_back(vidPid);
        portOutBefore.push_back(portOut);
        const auto it = usbPorts.find(u16(vidPid));
        if (it == usbPorts.end()) return false;
        portOut = it->second;
        return true;
    }
    void SaveSerialSettings(const u16& portName) override { saved.push_back(portName); }
    bool RunTcpPortDialog(u16* portName) override {
        ++dialogRuns;
        if (dialogCancelled) return false;
        *portName = dialogChoice;
        return true;
    }
};

void SetModel(core::PrinterModel& m, const u16& name, const u16& vid) {
    core::CopyTruncated(m.ModelName, name);
    core::CopyTruncated(m.VidPid, vid);
    core::CopyTruncated(m.HardwareId, u"HW");
}

class PageFlow : public ::testing::Test {
protected:
    PageFlow() {
        fs.AddDrive(u"C:");
        fs.AddDirectory(u"C:\\Program Files");
        SetModel(models[1], u"Q712", u"vid_1111&pid_0001");
        SetModel(models[2], u"Q800", u"vid_2222&pid_0002");
        SetModel(models[3], u"Q712", u"vid_3333&pid_0003");  // same name, other identifier
        SetModel(models[32], u"Far", u"vid_3232&pid_0032");
    }

    ui::FlowOutcome Next(int language = ui::kUiEnglish, os::SystemInfo* system = nullptr) {
        ui::FlowContext ctx{fs, spooler, kOwner, services, models, tcpPorts, language, ini, system};
        return ui::OnNext(state, ctx);
    }

    // On the printer page with the first model and `port` chosen; every
    // choice Next fixes is poisoned.
    void OnPrinterPage(const u16& port) {
        state.page = ui::PagePrinter;
        state.folderText = u"C:\\Program Files\\Labels";
        state.chosenFolder = state.folderText;
        state.printerNameText = u"Q712";
        state.modelIndex = 1;
        state.portEntryText = port;
        state.portPrefix = u"poison";
        state.selectedModel = -99;
        state.portConfirmed = false;
        state.installPrinterName = u"poison";
    }

    void ExpectStayed(const ui::FlowOutcome& out, ui::MessageId message) {
        EXPECT_EQ(out.message, message);
        EXPECT_FALSE(out.moved);
        EXPECT_TRUE(out.steps.empty());
        EXPECT_EQ(state.page, ui::PagePrinter);
        EXPECT_EQ(state.portPrefix, u"poison");
        EXPECT_EQ(state.selectedModel, -99);
        EXPECT_FALSE(state.portConfirmed);
        EXPECT_EQ(state.installPrinterName, u"poison");
    }

    static constexpr os::WindowHandle kOwner = 0xD1A1;
    fakes::FakeFileSystem fs;
    fakes::FakeSpooler spooler;
    FakeServices services;
    core::ModelTable models;
    ui::TcpPortList tcpPorts;
    MapProfile profile;
    ui::TextIni ini{&profile, u"C:\\Docs\\Text.ini"};
    ui::WizardState state;
};

const Steps kEnterFolder{S::kPanelShowFolderField, S::kShowBrowse, S::kShowBack};
const Steps kEnterInstalling{S::kHideSerialControls, S::kPanelHideFolderField, S::kHideBrowse,
                             S::kShowProgress,       S::kUpdateProgress,       S::kDisableCancel,
                             S::kDisableBack,        S::kDisableNext,          S::kUpdatePanel,
                             S::kHidePrinterControls, S::kHideBaudControls,    S::kPrepareAndStartInstall};

Steps EnterPrinter(bool serialEnabled) {
    return {S::kPanelHideFolderField, S::kHideBrowse, S::kShowPrinterControls,
            serialEnabled ? S::kEnableSerialControls : S::kDisableSerialControls, S::kShowSerialControls};
}

TEST_F(PageFlow, WelcomeToFolder) {
    const auto out = Next();
    EXPECT_TRUE(out.moved);
    EXPECT_EQ(out.message, ui::MessageId::kNone);
    EXPECT_EQ(state.page, ui::PageFolder);
    EXPECT_EQ(out.steps, kEnterFolder);
}

TEST_F(PageFlow, LeavingTheFolderPage) {
    struct Case {
        const char* label;
        u16 folder;
        ui::MessageId message;
    } cases[] = {
        {"empty", u"", ui::MessageId::kFolderEmpty},
        {"bare name", u"Labels", ui::MessageId::kFolderInvalid},
        {"missing drive", u"Q:\\Labels", ui::MessageId::kFolderInvalid},
        {"too long", u"C:\\" + u16(253, u'x'), ui::MessageId::kFolderInvalid},
        {"new folder", u"C:\\Program Files\\Labels\\Q", ui::MessageId::kNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        state = ui::WizardState{};
        state.page = ui::PageFolder;
        state.folderText = c.folder;
        state.chosenFolder = u"poison";
        state.portEntryText = u"COM1";
        const auto out = Next();
        EXPECT_EQ(out.message, c.message);
        if (c.message == ui::MessageId::kNone) {
            EXPECT_TRUE(out.moved);
            EXPECT_EQ(state.page, ui::PagePrinter);
            EXPECT_EQ(state.chosenFolder, c.folder);
            EXPECT_TRUE(fs.DirectoryExists(c.folder));
            EXPECT_EQ(out.steps, EnterPrinter(true));
        } else {
            EXPECT_FALSE(out.moved);
            EXPECT_EQ(state.page, ui::PageFolder);
            EXPECT_EQ(state.chosenFolder, u"poison");
            EXPECT_TRUE(out.steps.empty());
        }
    }
}

TEST_F(PageFlow, NoModelChosen) {
    struct Case {
        const char* label;
        u16 name;
        int index;
    } cases[] = {
        {"prompt selected: empty name", u"", 0},
        {"nothing selected", u"", -1},
        {"name without a model index", u"Q712", 0},
        {"index past the table", u"Q712", 255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        OnPrinterPage(u"COM1");
        state.printerNameText = c.name;
        state.modelIndex = c.index;
        ExpectStayed(Next(), ui::MessageId::kNoModel);
        EXPECT_TRUE(services.saved.empty());
        EXPECT_EQ(services.scans, 0);
    }
}

TEST_F(PageFlow, UsbNotConnected) {
    OnPrinterPage(u"USB");
    services.connected = 0;
    ExpectStayed(Next(), ui::MessageId::kUsbNotConnected);
    EXPECT_EQ(services.scans, 1);
    EXPECT_TRUE(services.lookups.empty());
}

TEST_F(PageFlow, UsbNoRecordMatches) {
    struct Case {
        const char* label;
        u16 name;
        int index;
        std::map<u16, u16> ports;
        std::vector<u16> lookups;
    } cases[] = {
        {"no port for either Q712 record", u"Q712", 1, {{u"vid_2222&pid_0002", u"USB001"}},
         {u"vid_1111&pid_0001", u"vid_3333&pid_0003"}},
        {"names compare exactly", u"q712", 1, {{u"vid_1111&pid_0001", u"USB001"}}, {}},
        {"a model after the 31st", u"Far", 32, {{u"vid_3232&pid_0032", u"USB009"}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        services = FakeServices{};
        services.connected = 1;
        services.usbPorts = c.ports;
        OnPrinterPage(u"USB");
        state.printerNameText = c.name;
        state.modelIndex = c.index;
        ExpectStayed(Next(), ui::MessageId::kUsbNoNewPrinter);
        EXPECT_EQ(services.lookups, c.lookups);
    }
}

TEST_F(PageFlow, UsbPortOfTheFirstMatchingRecord) {
    services.connected = 2;
    services.usbPorts = {{u"vid_3333&pid_0003", u"USB003"}};
    OnPrinterPage(u"USB");
    const auto out = Next();
    EXPECT_EQ(out.message, ui::MessageId::kNone);
    EXPECT_EQ(state.page, ui::PageInstalling);
    EXPECT_EQ(state.portPrefix, u"USB003");
    EXPECT_EQ(state.selectedModel, 3);  // record 1 has the name but no port
    EXPECT_TRUE(state.portConfirmed);
    EXPECT_EQ(state.installPrinterName, u"Q712");
    EXPECT_EQ(services.portOutBefore.front(), u"USB");
    EXPECT_EQ(out.steps, kEnterInstalling);
}

TEST_F(PageFlow, SerialAndParallelPorts) {
    struct Case {
        u16 entry, port;
        std::vector<u16> saved;
    } cases[] = {
        {u"COM3", u"COM3:", {u"COM3:"}},
        {u"COM10", u"COM10:", {u"COM10:"}},
        {u"LPT1", u"LPT1:", {}},
        {u"LPTCOM", u"LPTCOM:", {u"LPTCOM:"}},  // "contains COM" decides
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(core::Utf16ToUtf8(c.entry));
        services = FakeServices{};
        OnPrinterPage(c.entry);
        state.modelIndex = 2;
        state.printerNameText = u"Q800";
        const auto out = Next();
        EXPECT_TRUE(out.moved);
        EXPECT_EQ(state.page, ui::PageInstalling);
        EXPECT_EQ(state.portPrefix, c.port);
        EXPECT_EQ(state.selectedModel, 2);
        EXPECT_TRUE(state.portConfirmed);
        EXPECT_EQ(services.saved, c.saved);
        EXPECT_EQ(services.scans, 0);
        EXPECT_EQ(out.steps, kEnterInstalling);
    }
}

TEST_F(PageFlow, UnsafePrinterNamesAreRefusedBeforeAnythingIsWritten) {
    struct Case {
        const char* label;
        u16 name;
    } cases[] = {
        {"backslash", u"Q712\\..\\..\\Windows"},
        {"slash", u"Q7/12"},
        {"colon", u"C:Q712"},
        {"star", u"Q*"},
        {"question mark", u"Q?"},
        {"quote", u"Q\"712"},
        {"angle brackets", u"<Q712>"},
        {"bar", u"Q|712"},
        {"comma", u"Q,712"},
        {"control character", u"Q\t712"},
        {"device name", u"CON"},
        {"device name with an extension", u"lpt1.txt"},
        {"trailing dot", u"Q712."},
        {"trailing blank", u"Q712 "},
        {"longer than its buffer", u16(256, u'n')},
    };
    for (const char16_t* port : {u"COM1", u"Net Port(TCP/IP)", u"USB"}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(core::Utf16ToUtf8(port) + std::string(": ") + c.label);
            services = FakeServices{};
            services.connected = 1;
            spooler.calls.clear();
            OnPrinterPage(port);
            state.printerNameText = c.name;
            ExpectStayed(Next(), ui::MessageId::kPrinterNameInvalid);
            // No serial settings stored, no network port made, no USB scan.
            EXPECT_TRUE(services.saved.empty());
            EXPECT_TRUE(spooler.calls.empty());
            EXPECT_EQ(services.dialogRuns, 0);
            EXPECT_EQ(services.scans, 0);
        }
    }
}

TEST_F(PageFlow, InstallFolderWithoutRoomForTheName) {
    // "<folder>\<unique name>\Inf" at 254, 255 and 256 units; a taken name
    // needs the room of its numbered form.
    struct Case {
        const char* label;
        std::size_t total;
        bool taken;
        ui::MessageId message;
    } cases[] = {
        {"254", 254, false, ui::MessageId::kNone},
        {"255", 255, false, ui::MessageId::kNone},
        {"256", 256, false, ui::MessageId::kFolderInvalid},
        {"room for the name, not for its numbered form", 255, true, ui::MessageId::kFolderInvalid},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        services = FakeServices{};
        spooler.printers.clear();
        if (c.taken) spooler.AddPrinter(u"Q712");
        OnPrinterPage(u"COM1");
        state.folderText = u"C:\\" + u16(c.total - 3 - 1 - 4 - 4, u'f');
        const auto out = Next();
        if (c.message == ui::MessageId::kNone) {
            EXPECT_TRUE(out.moved);
            EXPECT_EQ(state.page, ui::PageInstalling);
            ui::PrepareInstallation(state, fs, spooler, ui::kUiEnglish);
            EXPECT_TRUE(fs.DirectoryExists(state.infFolder));
            EXPECT_EQ(state.infFolder.size(), c.total);
        } else {
            ExpectStayed(out, c.message);
            EXPECT_TRUE(services.saved.empty());
        }
    }
}

TEST_F(PageFlow, DriverAndSystemDirectoryPathsOfTheName) {
    // "<driver directory>\Q712GPC.pcd" and "<system directory>\Q712MonUI.dll"
    // at 255 and 256 units; a directory that cannot be had is not checked
    // here (the registration fails on it and says so in its log).
    fakes::FakeSystemInfo system;
    struct Case {
        const char* label;
        std::size_t driverPath, monitorPath;
        bool driverQueryFails, withSystem;
        ui::MessageId message;
    } cases[] = {
        {"both fit", 255, 255, false, true, ui::MessageId::kNone},
        {"driver file too long", 256, 100, false, true, ui::MessageId::kPrinterNameInvalid},
        {"monitor file too long", 100, 256, false, true, ui::MessageId::kPrinterNameInvalid},
        {"no driver directory", 256, 100, true, true, ui::MessageId::kNone},
        {"system directory not known here", 100, 256, false, false, ui::MessageId::kNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        services = FakeServices{};
        OnPrinterPage(u"LPT1");
        spooler.driverDirectory = u"C:\\" + u16(c.driverPath - 3 - 1 - 4 - 7, u'd');
        spooler.driverDirectoryError = c.driverQueryFails ? 2 : 0;
        system.systemDirectory = u"C:\\" + u16(c.monitorPath - 3 - 1 - 4 - 9, u's');
        const auto out = Next(ui::kUiEnglish, c.withSystem ? &system : nullptr);
        if (c.message == ui::MessageId::kNone) {
            EXPECT_TRUE(out.moved);
            EXPECT_EQ(state.portPrefix, u"LPT1:");
        } else {
            ExpectStayed(out, c.message);
        }
    }
}

TEST_F(PageFlow, NetworkPortWithNoKnownPorts) {
    // The add-port wizard fails or is cancelled: stay, silently.
    OnPrinterPage(u"Net Port(TCP/IP)");
    ExpectStayed(Next(), ui::MessageId::kNone);
    ASSERT_EQ(spooler.calls.size(), 1u);
    EXPECT_EQ(spooler.calls[0].kind, fakes::FakeSpooler::Call::kAdd);
    EXPECT_EQ(spooler.calls[0].owner, kOwner);
    EXPECT_EQ(spooler.calls[0].argument, u"Standard TCP/IP Port");
    EXPECT_EQ(services.dialogRuns, 0);

    // A failed call stops Next even when an unlisted network port exists.
    spooler.AddTcpPort(u"IP_unlisted");
    spooler.addPortFails = true;
    OnPrinterPage(u"Net Port(TCP/IP)");
    ExpectStayed(Next(), ui::MessageId::kNone);
    EXPECT_TRUE(tcpPorts.empty());
    spooler.ports.clear();
    spooler.addPortFails = false;

    // A port is created, but not by the network monitor: stay, silently.
    spooler.QueuePortForAdd({u"Odd", u"Local Port", u"", 0, 0});
    OnPrinterPage(u"Net Port(TCP/IP)");
    ExpectStayed(Next(), ui::MessageId::kNone);

    // A network port is created: it becomes the port and joins the list.
    spooler.QueuePortForAdd({u"IP_10.1.1.1", u"tcpmon.dll", u"Standard TCP/IP Port", 0, 0});
    OnPrinterPage(u"网络端口（TCP/IP）");
    const auto out = Next();
    EXPECT_TRUE(out.moved);
    EXPECT_EQ(state.portPrefix, u"IP_10.1.1.1");
    ASSERT_EQ(tcpPorts.size(), 1u);
    EXPECT_EQ(tcpPorts[0].name, u"IP_10.1.1.1");
    EXPECT_EQ(services.dialogRuns, 0);
}

TEST_F(PageFlow, NetworkPortDialogWhenPortsAreKnown) {
    tcpPorts.push_back({u"IP_1", u"tcpmon.dll", u"", 0, 0});
    struct Case {
        const char* label;
        bool cancelled;
        u16 choice;
        bool moves;
    } cases[] = {
        {"cancelled", true, u"IP_1", false},
        {"OK without a row", false, u"", false},
        {"OK with a port", false, u"IP_2", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        services = FakeServices{};
        services.dialogCancelled = c.cancelled;
        services.dialogChoice = c.choice;
        OnPrinterPage(u"Net Port(TCP/IP)");
        const auto out = Next();
        EXPECT_EQ(services.dialogRuns, 1);
        EXPECT_TRUE(spooler.calls.empty());
        if (c.moves) {
            EXPECT_TRUE(out.moved);
            EXPECT_EQ(state.portPrefix, c.choice);
            EXPECT_EQ(state.page, ui::PageInstalling);
        } else {
            ExpectStayed(out, ui::MessageId::kNone);
        }
    }
}

TEST_F(PageFlow, BackAndNextAgainKeepTheModelChoice) {
    OnPrinterPage(u"COM1");
    state.modelIndex = 2;
    state.printerNameText = u"Q800";
    auto back = ui::OnBack(state);
    EXPECT_TRUE(back.moved);
    EXPECT_EQ(state.page, ui::PageFolder);
    EXPECT_EQ(back.steps, (Steps{S::kHidePrinterControls, S::kHideSerialControls, S::kShowFolderField,
                                 S::kShowBrowse, S::kInvalidatePanel}));

    back = ui::OnBack(state);
    EXPECT_EQ(state.page, ui::PageWelcome);
    EXPECT_EQ(back.steps,
              (Steps{S::kHidePrinterControls, S::kHideFolderField, S::kHideBrowse, S::kHideBack, S::kInvalidatePanel}));

    for (std::int32_t page : {ui::PageWelcome, ui::PageInstalling, ui::PageFinished, ui::PageFailed}) {
        SCOPED_TRACE(page);
        state.page = page;
        EXPECT_FALSE(ui::OnBack(state).moved);
        EXPECT_EQ(state.page, page);
    }

    state.page = ui::PageWelcome;
    EXPECT_EQ(Next().steps, kEnterFolder);
    EXPECT_EQ(Next().steps, EnterPrinter(true));  // the folder exists from before
    EXPECT_EQ(state.page, ui::PagePrinter);
    Next();
    EXPECT_EQ(state.page, ui::PageInstalling);
    EXPECT_EQ(state.selectedModel, 2);
}

TEST_F(PageFlow, InstallingToFinishedAndNothingAfter) {
    struct Case {
        int language;
        u16 label;
    } cases[] = {
        {ui::kUiEnglish, u"Finish"},
        {ui::kUiChinese, u"完成"},
        {ui::kUiRussian, u"Готово"},
    };
    profile.values[u"Finish"] = u"Готово";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        state.page = ui::PageInstalling;
        const auto out = Next(c.language);
        EXPECT_TRUE(out.moved);
        EXPECT_EQ(state.page, ui::PageFinished);
        EXPECT_EQ(out.steps, (Steps{S::kInvalidatePanel, S::kHideNext, S::kHideBack, S::kSetCancelLabel,
                                    S::kHideProgress, S::kEnableCancel}));
        EXPECT_EQ(out.cancelLabel, c.label);
    }
    for (std::int32_t page : {ui::PageFinished, ui::PageCancelled, ui::PageFailed}) {
        SCOPED_TRACE(page);
        state.page = page;
        const auto out = Next();
        EXPECT_FALSE(out.moved);
        EXPECT_EQ(state.page, page);
    }
}

TEST_F(PageFlow, EnteringThePrinterPageFollowsThePortEntry) {
    EXPECT_EQ(ui::EnteringPageSteps(ui::PagePrinter, u"COM2"), EnterPrinter(true));
    for (const char16_t* entry : {u"USB", u"LPT1", u"Net Port(TCP/IP)", u""}) {
        SCOPED_TRACE(core::Utf16ToUtf8(entry));
        EXPECT_EQ(ui::EnteringPageSteps(ui::PagePrinter, entry), EnterPrinter(false));
    }
}

// -------------------------------------------------- installation folders

TEST_F(PageFlow, PrepareInstallation) {
    struct Case {
        const char* label;
        u16 folder;
        int language;
        bool checked;
        u16 name, installFolder;
    } cases[] = {
        {"taken name, English", u"C:\\Program Files\\Labels", ui::kUiEnglish, true, u"Q712 (copy 1)",
         u"C:\\Program Files\\Labels\\Q712 (copy 1)"},
        {"trailing backslash, Chinese", u"C:\\Program Files\\Labels\\", ui::kUiChinese, false, u"Q712 (副本 1)",
         u"C:\\Program Files\\Labels\\Q712 (副本 1)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        fakes::FakeSpooler sp;
        sp.AddPrinter(u"Q712");
        fakes::FakeFileSystem local;
        local.AddDrive(u"C:");
        state = ui::WizardState{};
        state.page = ui::PageInstalling;
        state.folderText = c.folder;
        state.printerNameText = u"Q712";
        state.defaultChecked = c.checked;
        state.setAsDefault = !c.checked;
        ui::PrepareInstallation(state, local, sp, c.language);
        EXPECT_EQ(state.installPrinterName, c.name);
        EXPECT_EQ(state.printerBaseName, c.name);
        EXPECT_EQ(state.driverName, c.name + u" Driver");
        EXPECT_EQ(state.setAsDefault, c.checked);
        EXPECT_EQ(state.folderText, c.installFolder);
        EXPECT_EQ(state.infFolder, c.installFolder + u"\\Inf");
        EXPECT_TRUE(local.DirectoryExists(c.installFolder));
        EXPECT_TRUE(local.DirectoryExists(c.installFolder + u"\\Inf"));
    }
}

TEST_F(PageFlow, PrepareInstallationRefusesPathsOverTheBuffer) {
    // folder + "\" + name: 255 fits (its Inf does not), 256 does not.
    for (std::size_t total : {250u, 251u, 255u, 256u, 300u}) {
        SCOPED_TRACE(total);
        fakes::FakeSpooler sp;
        fakes::FakeFileSystem local;
        local.AddDrive(u"C:");
        const u16 name = u"Q712";
        const u16 folder = u"C:\\" + u16(total - 3 - 1 - name.size(), u'f');
        state = ui::WizardState{};
        state.folderText = folder;
        state.printerNameText = name;
        ui::PrepareInstallation(state, local, sp, ui::kUiEnglish);
        const u16 full = folder + u"\\" + name;
        ASSERT_EQ(full.size(), total);
        EXPECT_EQ(state.folderText, full);  // never cut
        EXPECT_EQ(local.DirectoryExists(full), total <= 255);
        EXPECT_EQ(local.DirectoryExists(full + u"\\Inf"), total + 4 <= 255);
        if (total > 255) {
            EXPECT_FALSE(local.DirectoryExists(folder));
        }
    }
}

TEST_F(PageFlow, DriverNameFitsItsBuffer) {
    fakes::FakeSpooler sp;
    state.folderText = u"C:\\X";
    state.printerNameText = u16(255, u'n');
    ui::PrepareInstallation(state, fs, sp, ui::kUiEnglish);
    EXPECT_EQ(state.installPrinterName, u16(255, u'n'));
    EXPECT_EQ(state.driverName.size(), 255u);
}

}  // namespace
