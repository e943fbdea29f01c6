#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/spooler_registration.h"
#include "engine_journal_world.h"

namespace {

using core::u16;
using enginetest::Utf8;
using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

const u16 kFolder = u"C:\\Program Files\\Label Printer Driver V 1.0\\Q712";
const u16 kDriverDir = u"C:\\windows\\system32\\spool\\drivers\\w32x86";
const u16 kSystemDir = u"C:\\windows\\system32";
const u16 kMonitor = u"Label USB Printer Monitor";

const char16_t* const kMembers[] = {u"CHISMPL.DLL", u"CHITRAD.DLL", u"ENGLISH.DLL", u"Image.dll", u"plotui.dll",
                                    u"plotter.dll", u"Rad80PrinterMon.dll", u"Rad80PrinterMonUI.dll"};

enum class Variant { kX86, kX64 };

const char* Name(Variant v) { return v == Variant::kX86 ? "x86" : "x64"; }

// Each member's content is its own file name, so a target shows which
// source it was copied from.
class Registration : public ::testing::Test {
protected:
    Registration() { Reset(); }

    // A fresh world: the install folder with every member in both builds,
    // the driver directory with its "3" folder, two ports and one printer.
    void Reset() {
        world_ = std::make_unique<enginetest::EngineWorld>();
        w = world_.get();
        w->disk.AddDrive(u"C:");
        w->disk.AddDirectory(kFolder + u"\\Inf");
        w->disk.AddDirectory(kDriverDir + u"\\3");
        w->spooler.driverDirectory = kDriverDir;
        w->system.systemDirectory = kSystemDir;
        for (const char16_t* m : kMembers) {
            w->disk.AddFile(kFolder + u"\\" + m, Utf8(m));
            w->disk.AddFile(kFolder + u"\\" + m + u".x64", Utf8(m) + ".x64");
        }
        w->spooler.AddPortRecord(u"LPT1:", u"Local Port");
        w->spooler.AddPortRecord(u"COM1:", u"Local Port");
        w->spooler.AddPrinter(u"Office");

        plan = engine::InstallPlan{};
        plan.uiLanguage = 0;
        plan.chosenFolder = u"C:\\Program Files\\Label Printer Driver V 1.0";
        plan.installFolder = kFolder;
        plan.installPrinterName = u"Q712";
        plan.printerBaseName = u"Q712";
        plan.monitorName = kMonitor;
        plan.portPrefix = u"LPT1:";
        plan.portConfirmed = true;
        core::CopyTruncated(plan.model.ModelName, u"Q712");
        core::CopyTruncated(plan.model.VidPid, u"vid_1111&pid_0001");
        plan.model.PaperWidth = 800;
        plan.model.PaperHeight = 2000;
        plan.model.HeadWidthDots = 832;
        result = engine::InstallResult{};
        result.driverName = u"Q712 Driver";
    }

    int Run(Variant v) {
        w->journal.clear();
        return v == Variant::kX86 ? engine::RegisterPrinterX86(plan, w->services, w->observer, &result)
                                  : engine::RegisterPrinterX64(plan, w->services, w->observer, &result);
    }

    // Journal entries of one kind ("copy", "delete", "log", ...), or the
    // spooler's calls.
    Lines Entries(const std::string& prefix) const {
        Lines out;
        for (const auto& e : w->journal)
            if (e.compare(0, prefix.size() + 1, prefix + " ") == 0) out.push_back(e);
        return out;
    }
    std::string Log() const { return w->log.Text(); }

    // Answers of the port list, in order; an empty one cancels it.
    void QueuePortAnswers(const std::vector<u16>& answers) {
        for (const u16& a : answers) {
            if (a.empty())
                w->observer.QueuePortCancel();
            else
                w->observer.QueuePortAnswer(a);
        }
    }

    // Sources only from the install folder; targets only directly in the
    // driver directory, its "3" folder or the system directory.
    void ExpectCopiesStayInTheirFolders() const {
        for (const auto& c : w->fs.copies) {
            SCOPED_TRACE(Utf8(c.source) + " -> " + Utf8(c.target));
            const u16 from = c.source.substr(0, c.source.rfind(u'\\'));
            const u16 to = c.target.substr(0, c.target.rfind(u'\\'));
            EXPECT_EQ(from, plan.installFolder);
            EXPECT_TRUE(to == kDriverDir || to == kDriverDir + u"\\3" || to == w->system.systemDirectory);
        }
        for (const auto& d : w->fs.deletions) EXPECT_EQ(d.substr(0, d.rfind(u'\\')), plan.installFolder);
    }

    std::unique_ptr<enginetest::EngineWorld> world_;
    enginetest::EngineWorld* w = nullptr;
    engine::InstallPlan plan;
    engine::InstallResult result;
};

std::string Copy(const u16& from, const u16& to) { return "copy " + Utf8(from) + " -> " + Utf8(to); }
std::string Delete(const u16& path) { return "delete " + Utf8(path); }

// ------------------------------------------------------------ success

TEST_F(Registration, X86StepByStep) {
    ASSERT_EQ(Run(Variant::kX86), 1);
    const u16 f = kFolder + u"\\", d = kDriverDir + u"\\", d3 = kDriverDir + u"\\3\\", s = kSystemDir + u"\\";
    const Lines expected = {
        "GetPrinterDriverDirectory",
        Copy(f + u"CHISMPL.DLL", d3 + u"CHISMPL.DLL"),
        Copy(f + u"CHITRAD.DLL", d3 + u"CHITRAD.DLL"),
        Copy(f + u"ENGLISH.DLL", d3 + u"ENGLISH.DLL"),
        Copy(f + u"Image.dll", d3 + u"Image.dll"),
        Copy(f + u"plotui.dll", d + u"Q712UI.dll"),
        Delete(f + u"plotui.dll"),
        Copy(f + u"plotter.dll", d + u"Q712Drv.dll"),
        Delete(f + u"plotter.dll"),
        "GetSystemDirectory",
        Copy(f + u"Rad80PrinterMon.dll", s + u"Q712Mon.dll"),
        Delete(f + u"Rad80PrinterMon.dll"),
        Copy(f + u"Rad80PrinterMonUI.dll", s + u"Q712MonUI.dll"),
        Delete(f + u"Rad80PrinterMonUI.dll"),
        "AddMonitor Label USB Printer Monitor",
        "AddPortEx Q712-Port:",
        "EnumPorts",
        "AddPrinterDriver Q712 Driver",
        "EnumPrinters",
        "log *********** call AddPrinter\r\n",
        "AddPrinter Q712",
        "log *********** AddPrinter success\r\n",
        "SetPrinterData DevicePath",
        "SetPrinterData VidAndPid",
        "SetPrinterData PrintWidth",
        "SetPrinterData UserForm",
        "SetPrinterData Language",
        "log AddPrinter hPrinter = 5a10\r\n",
        "ClosePrinter Q712",
    };
    EXPECT_EQ(w->journal, expected);
    ExpectCopiesStayInTheirFolders();

    // The 32-bit builds were placed; the 64-bit ones are untouched.
    EXPECT_EQ(w->disk.ContentsString(d3 + u"ENGLISH.DLL"), "ENGLISH.DLL");
    EXPECT_EQ(w->disk.ContentsString(d + u"Q712Drv.dll"), "plotter.dll");
    EXPECT_EQ(w->disk.ContentsString(s + u"Q712MonUI.dll"), "Rad80PrinterMonUI.dll");
    EXPECT_TRUE(w->disk.HasFile(f + u"CHISMPL.DLL"));
    for (const char16_t* m : kMembers) EXPECT_TRUE(w->disk.HasFile(f + m + u".x64")) << Utf8(m);

    ASSERT_EQ(w->spooler.monitors.size(), 1u);
    EXPECT_EQ(w->spooler.monitors[0].name, kMonitor);
    EXPECT_EQ(w->spooler.monitors[0].environment, u"Windows NT x86");
    EXPECT_EQ(w->spooler.monitors[0].dllPath, s + u"Q712Mon.dll");
    ASSERT_TRUE(w->spooler.HasPort(u"Q712-Port:"));
    EXPECT_EQ(w->spooler.ports.back().monitor, kMonitor);

    ASSERT_EQ(w->spooler.drivers.size(), 1u);
    const os::DriverInfo& drv = w->spooler.drivers[0];
    EXPECT_EQ(drv.version, 2u);
    EXPECT_EQ(drv.name, u"Q712 Driver");
    EXPECT_EQ(drv.environment, u"Windows NT x86");
    EXPECT_EQ(drv.driverPath, u"Q712Drv.dll");
    EXPECT_EQ(drv.dataFile, u"Q712GPC.pcd");
    EXPECT_EQ(drv.configFile, u"Q712UI.dll");

    ASSERT_EQ(w->spooler.added.size(), 1u);
    const os::PrinterInfo& p = w->spooler.added[0].info;
    EXPECT_EQ(p.printerName, u"Q712");
    EXPECT_EQ(p.shareName, u"Q712");
    EXPECT_EQ(p.portName, u"Q712-Port:");
    EXPECT_EQ(p.driverName, u"Q712 Driver");
    EXPECT_EQ(p.printProcessor, u"WinPrint");
    EXPECT_EQ(p.dataType, u"RAW");
    EXPECT_EQ(p.attributes, 4u);
    EXPECT_TRUE(w->spooler.added[0].closed);

    EXPECT_EQ(result.portName, u"Q712-Port:");
    EXPECT_EQ(result.addedPrinterName, u"Q712");
    EXPECT_EQ(w->observer.PortRequests(), 0);
}

TEST_F(Registration, X64StepByStep) {
    w->spooler.firstHandle = 0xABCDEF12;
    ASSERT_EQ(Run(Variant::kX64), 1);
    const u16 f = kFolder + u"\\", d = kDriverDir + u"\\", d3 = kDriverDir + u"\\3\\", s = kSystemDir + u"\\";
    const Lines expected = {
        "GetPrinterDriverDirectory",
        Copy(f + u"CHISMPL.DLL.x64", d3 + u"CHISMPL.DLL"),
        Copy(f + u"CHITRAD.DLL.x64", d3 + u"CHITRAD.DLL"),
        Copy(f + u"ENGLISH.DLL.x64", d3 + u"ENGLISH.DLL"),
        Copy(f + u"Image.dll.x64", d3 + u"Image.dll"),
        Copy(f + u"plotui.dll.x64", d + u"Q712UI.dll"),
        Delete(f + u"plotui.dll.x64"),
        Delete(f + u"plotui.dll"),
        Copy(f + u"plotter.dll.x64", d + u"Q712Drv.dll"),
        Delete(f + u"plotter.dll.x64"),
        Delete(f + u"plotter.dll"),
        "redirection off",
        "GetSystemDirectory",
        Copy(f + u"Rad80PrinterMon.dll.x64", s + u"Q712Mon.dll"),
        Delete(f + u"Rad80PrinterMon.dll.x64"),
        Copy(f + u"Rad80PrinterMonUI.dll.x64", s + u"Q712MonUI.dll"),
        Delete(f + u"Rad80PrinterMonUI.dll.x64"),
        "redirection on",
        "EnumPorts",
        "AddPrinterDriver Q712 Driver",
        "EnumPrinters",
        "AddPrinter Q712",
        "SetPrinterData DevicePath",
        "SetPrinterData VidAndPid",
        "SetPrinterData PrintWidth",
        "SetPrinterData UserForm",
        "SetPrinterData Language",
        "log AddPrinter hPrinter = abcdef12\r\n",
        "ClosePrinter Q712",
    };
    EXPECT_EQ(w->journal, expected);
    ExpectCopiesStayInTheirFolders();
    EXPECT_EQ(w->system.redirectionActive, 0);

    EXPECT_EQ(w->disk.ContentsString(d3 + u"Image.dll"), "Image.dll.x64");
    EXPECT_EQ(w->disk.ContentsString(d + u"Q712UI.dll"), "plotui.dll.x64");
    EXPECT_EQ(w->disk.ContentsString(s + u"Q712Mon.dll"), "Rad80PrinterMon.dll.x64");
    // Only the copied build of the monitor's files is deleted.
    EXPECT_TRUE(w->disk.HasFile(f + u"Rad80PrinterMon.dll"));
    EXPECT_TRUE(w->disk.HasFile(f + u"Rad80PrinterMonUI.dll"));
    EXPECT_TRUE(w->disk.HasFile(f + u"Image.dll.x64"));

    EXPECT_TRUE(w->spooler.monitors.empty());
    EXPECT_FALSE(w->spooler.HasPort(u"Q712-Port:"));
    ASSERT_EQ(w->spooler.drivers.size(), 1u);
    EXPECT_EQ(w->spooler.drivers[0].environment, u"Windows x64");
    EXPECT_EQ(w->spooler.drivers[0].driverPath, u"Q712Drv.dll");
    EXPECT_EQ(w->spooler.drivers[0].dataFile, u"Q712GPC.pcd");
    EXPECT_EQ(w->spooler.drivers[0].configFile, u"Q712UI.dll");
    ASSERT_EQ(w->spooler.added.size(), 1u);
    EXPECT_EQ(w->spooler.added[0].info.portName, u"LPT1:");
    EXPECT_EQ(w->spooler.added[0].info.shareName, u"Q712");
    EXPECT_EQ(w->spooler.added[0].info.attributes, 4u);
    EXPECT_EQ(result.portName, u"LPT1:");
    EXPECT_EQ(result.addedPrinterName, u"Q712");
}

TEST_F(Registration, X64WithoutRedirectionFunctionsStillPlacesTheMonitorFiles) {
    w->system.redirectionAvailable = false;
    ASSERT_EQ(Run(Variant::kX64), 1);
    EXPECT_EQ(Entries("redirection"), Lines{"redirection unavailable"});
    EXPECT_EQ(w->disk.ContentsString(kSystemDir + u"\\Q712MonUI.dll"), "Rad80PrinterMonUI.dll.x64");
}

TEST_F(Registration, NamesOutsideTheAnsiRangeStayIntact) {
    // Paths are built in UTF-16: a Chinese printer name reaches the files
    // and the spooler unchanged in both variants.
    for (Variant v : {Variant::kX86, Variant::kX64}) {
        SCOPED_TRACE(Name(v));
        Reset();
        plan.installPrinterName = u"标签打印机";
        result.driverName = u"标签打印机 Driver";
        ASSERT_EQ(Run(v), 1);
        EXPECT_TRUE(w->disk.HasFile(kDriverDir + u"\\标签打印机Drv.dll"));
        EXPECT_TRUE(w->disk.HasFile(kSystemDir + u"\\标签打印机MonUI.dll"));
        EXPECT_EQ(w->spooler.drivers.back().dataFile, u"标签打印机GPC.pcd");
        EXPECT_EQ(w->spooler.added.back().info.printerName, u"标签打印机");
        ExpectCopiesStayInTheirFolders();
        if (v == Variant::kX86) {
            EXPECT_EQ(w->spooler.added.back().info.portName, u"标签打印机-Port:");
        }
    }
}

// ------------------------------------------------ monitor, port, port list

TEST_F(Registration, X86MonitorAndPortTable) {
    struct Case {
        const char* label;
        std::function<void(fakes::FakeSpooler&)> setup;
        std::vector<u16> choices;  // port list answers; u"" cancels
        int result;
        int portLists;
        std::string log;
        u16 printerPort;  // empty: no printer
    } cases[] = {
        {"monitor already installed", [](fakes::FakeSpooler& s) { s.AddMonitorRecord(kMonitor); }, {}, 1, 0,
         "", u"Q712-Port:"},
        {"monitor refused, port list answered", [](fakes::FakeSpooler& s) { s.addMonitorError = 126; },
         {u"COM1:"}, 1, 1, "AddPrinterMonitor32 = 126\r\n", u"COM1:"},
        {"monitor refused, port list cancelled", [](fakes::FakeSpooler& s) { s.addMonitorError = 126; }, {u""}, 0,
         1, "AddPrinterMonitor32 = 126\r\n", u""},
        {"port through the monitor failing", [](fakes::FakeSpooler& s) {
             s.addPortExResult = os::AddPortExResult::kFailed;
             s.addPortExError = 87;
         },
         {u"LPT1:"}, 1, 1, "AddPortEx = 87 PortName=Q712-Port:\r\n", u"LPT1:"},
        {"port through the monitor failing, cancelled", [](fakes::FakeSpooler& s) {
             s.addPortExResult = os::AddPortExResult::kFailed;
             s.addPortExError = 1796;
         },
         {u""}, 0, 1, "AddPortEx = 1796 PortName=Q712-Port:\r\n", u""},
        {"AddPortExW unavailable: no log line",
         [](fakes::FakeSpooler& s) { s.addPortExResult = os::AddPortExResult::kUnavailable; }, {u"COM1:"}, 1, 1, "",
         u"COM1:"},
        {"added port not listed", [](fakes::FakeSpooler& s) { s.portResult = os::PortEnumResult::kNoSizeReported; },
         {u"LPT1:"}, 1, 1, "", u"LPT1:"},
        {"added port not listed, cancelled",
         [](fakes::FakeSpooler& s) { s.portResult = os::PortEnumResult::kFetchFailed; }, {u""}, 0, 1, "", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Reset();
        c.setup(w->spooler);
        QueuePortAnswers(c.choices);
        EXPECT_EQ(Run(Variant::kX86), c.result);
        EXPECT_EQ(w->observer.PortRequests(), c.portLists);
        std::string log = c.log;
        if (c.result == 1) log += "*********** call AddPrinter\r\n*********** AddPrinter success\r\nAddPrinter hPrinter = 5a10\r\n";
        EXPECT_EQ(Log(), log);
        if (c.printerPort.empty()) {
            // A cancelled port list ends before the driver.
            EXPECT_TRUE(w->spooler.drivers.empty());
            EXPECT_TRUE(w->spooler.added.empty());
            EXPECT_TRUE(Entries("AddPrinterDriver").empty());
        } else {
            ASSERT_EQ(w->spooler.added.size(), 1u);
            EXPECT_EQ(w->spooler.added[0].info.portName, c.printerPort);
            EXPECT_EQ(result.portName, c.printerPort);
        }
    }
}

TEST_F(Registration, X86MonitorRefusedSkipsItsPort) {
    w->spooler.addMonitorError = 126;
    QueuePortAnswers({u"COM1:"});
    ASSERT_EQ(Run(Variant::kX86), 1);
    const Lines calls = {"AddMonitor Label USB Printer Monitor", "port list", "EnumPorts",
                         "AddPrinterDriver Q712 Driver"};
    Lines got;
    for (const auto& e : w->journal)
        if (e.rfind("AddMonitor", 0) == 0 || e.rfind("AddPortEx", 0) == 0 || e == "port list" || e == "EnumPorts" ||
            e.rfind("AddPrinterDriver", 0) == 0)
            got.push_back(e);
    EXPECT_EQ(got, calls);
}

TEST_F(Registration, X86PortNameInTheLogGoesThroughTheCodePage) {
    plan.installPrinterName = u"Q712 Étiquette";
    result.driverName = u"Q712 Étiquette Driver";
    w->spooler.addPortExResult = os::AddPortExResult::kFailed;
    w->spooler.addPortExError = 87;
    QueuePortAnswers({u""});
    EXPECT_EQ(Run(Variant::kX86), 0);
    EXPECT_EQ(Log(), "AddPortEx = 87 PortName=Q712 \xC9tiquette-Port:\r\n");
}

TEST_F(Registration, X86WithoutPortConfirmationKeepsTheChosenPort) {
    plan.portConfirmed = false;
    ASSERT_EQ(Run(Variant::kX86), 1);
    EXPECT_TRUE(Entries("AddMonitor").empty());
    EXPECT_TRUE(Entries("AddPortEx").empty());
    EXPECT_EQ(w->spooler.added[0].info.portName, u"LPT1:");
}

TEST_F(Registration, X64MissingPortBringsUpThePortList) {
    struct Case {
        const char* label;
        u16 chosen;
        os::PortEnumResult enumeration;
        std::vector<u16> choices;
        int result;
        u16 printerPort;
    } cases[] = {
        {"listed port", u"COM1:", os::PortEnumResult::kOk, {}, 1, u"COM1:"},
        {"case counts", u"lpt1:", os::PortEnumResult::kOk, {u"LPT1:"}, 1, u"LPT1:"},
        {"not listed, answered", u"USB001", os::PortEnumResult::kOk, {u"COM1:"}, 1, u"COM1:"},
        {"not listed, cancelled", u"USB001", os::PortEnumResult::kOk, {u""}, 0, u""},
        {"no ports reported", u"LPT1:", os::PortEnumResult::kNoSizeReported, {u"LPT1:"}, 1, u"LPT1:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Reset();
        plan.portPrefix = c.chosen;
        w->spooler.portResult = c.enumeration;
        QueuePortAnswers(c.choices);
        EXPECT_EQ(Run(Variant::kX64), c.result);
        EXPECT_EQ(w->observer.PortRequests(), c.choices.empty() ? 0 : 1);
        EXPECT_TRUE(w->spooler.monitors.empty());
        if (c.result == 1) {
            EXPECT_EQ(w->spooler.added.at(0).info.portName, c.printerPort);
            EXPECT_EQ(result.portName, c.printerPort);
        } else {
            EXPECT_TRUE(w->spooler.drivers.empty());
            EXPECT_TRUE(w->spooler.added.empty());
            EXPECT_EQ(Log(), "");
        }
        if (!c.choices.empty()) {
            // The list comes before the driver is installed.
            const auto list = std::find(w->journal.begin(), w->journal.end(), "port list");
            const auto driver = std::find(w->journal.begin(), w->journal.end(), "AddPrinterDriver Q712 Driver");
            EXPECT_LT(list - w->journal.begin(), driver - w->journal.begin());
        }
    }
}

// ----------------------------------------------------------- refusals

TEST_F(Registration, SpoolerRefusalsEndWithTheirLogLine) {
    struct Case {
        const char* label;
        std::function<void(fakes::FakeSpooler&)> setup;
        std::string x86Log, x64Log;
        bool driverInstalled;
    } cases[] = {
        {"no driver directory", [](fakes::FakeSpooler& s) { s.driverDirectoryError = 1801; },
         "GetPrinterDriverDirectory = 1801\r\n", "GetPrinterDriverDirectory = 1801\r\n", false},
        {"driver refused", [](fakes::FakeSpooler& s) { s.addDriverError = 5; }, "AddPrinterDriver = 5\r\n",
         "AddPrinterDriver = 5\r\n", false},
        {"printer refused", [](fakes::FakeSpooler& s) { s.addPrinterError = 1798; },
         "*********** call AddPrinter\r\nAddPrinter = 1798\r\n", "AddPrinter = 1798\r\n", true},
    };
    for (Variant v : {Variant::kX86, Variant::kX64}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(Name(v)) + ": " + c.label);
            Reset();
            c.setup(w->spooler);
            EXPECT_EQ(Run(v), 0);
            EXPECT_EQ(Log(), v == Variant::kX86 ? c.x86Log : c.x64Log);
            EXPECT_EQ(w->spooler.drivers.size(), c.driverInstalled ? 1u : 0u);
            EXPECT_TRUE(w->spooler.added.empty());
            EXPECT_TRUE(Entries("SetPrinterData").empty());
            EXPECT_TRUE(result.addedPrinterName.empty());
            EXPECT_EQ(w->observer.PortRequests(), 0);
        }
    }
}

TEST_F(Registration, NoDriverDirectoryTouchesNoFile) {
    w->spooler.driverDirectoryError = 2;
    for (Variant v : {Variant::kX86, Variant::kX64}) {
        SCOPED_TRACE(Name(v));
        EXPECT_EQ(Run(v), 0);
        EXPECT_EQ(w->journal, (Lines{"GetPrinterDriverDirectory", "log GetPrinterDriverDirectory = 2\r\n"}));
        for (const char16_t* m : kMembers) EXPECT_TRUE(w->disk.HasFile(kFolder + u"\\" + m)) << Utf8(m);
    }
}

TEST_F(Registration, FailedCopiesAndDataValuesAreIgnored) {
    // The targets cannot be created and every data value fails: the printer
    // is added all the same.
    w->disk.FailCreate(kDriverDir + u"\\Q712Drv.dll");
    w->disk.FailCreate(kSystemDir + u"\\Q712Mon.dll");
    w->spooler.setDataError = 5;
    for (Variant v : {Variant::kX86, Variant::kX64}) {
        SCOPED_TRACE(Name(v));
        w->spooler.added.clear();
        w->spooler.printers.clear();
        EXPECT_EQ(Run(v), 1);
        EXPECT_EQ(Entries("SetPrinterData").size(), 5u);
        ASSERT_EQ(w->spooler.added.size(), 1u);
        EXPECT_TRUE(w->spooler.added[0].data.empty());
        EXPECT_TRUE(w->spooler.added[0].closed);
    }
}

// ---------------------------------------------- second uniqueness pass

TEST_F(Registration, SecondUniquenessPass) {
    struct Case {
        const char* label;
        int language;
        std::vector<u16> printers;  // appeared after the wizard fixed the name
        bool listFails;
        u16 added;
    } cases[] = {
        {"English", 0, {u"Q712"}, false, u"Q712 (copy 1)"},
        {"Chinese", 1, {u"Q712"}, false, u"Q712 (副本 1)"},
        {"Russian uses the English form", 2, {u"Q712"}, false, u"Q712 (copy 1)"},
        {"copy 1 taken too", 0, {u"Q712 (copy 1)", u"Q712"}, false, u"Q712 (copy 2)"},
        {"case counts", 0, {u"q712"}, false, u"Q712"},
        {"printers cannot be listed", 0, {}, true, u"Q712"},
    };
    for (Variant v : {Variant::kX86, Variant::kX64}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(Name(v)) + ": " + c.label);
            Reset();
            plan.uiLanguage = c.language;
            for (const auto& p : c.printers) w->spooler.AddPrinter(p);
            w->spooler.printersFail = c.listFails;
            ASSERT_EQ(Run(v), 1);
            ASSERT_EQ(w->spooler.added.size(), 1u);
            EXPECT_EQ(w->spooler.added[0].info.printerName, c.added);
            EXPECT_EQ(w->spooler.added[0].info.shareName, c.added);
            EXPECT_EQ(result.addedPrinterName, c.added);
            // Files, driver and monitor port keep the name the wizard fixed.
            EXPECT_EQ(w->spooler.added[0].info.driverName, u"Q712 Driver");
            EXPECT_EQ(w->spooler.drivers[0].driverPath, u"Q712Drv.dll");
            EXPECT_EQ(w->spooler.added[0].info.portName, v == Variant::kX86 ? u"Q712-Port:" : u"LPT1:");
        }
    }
}

// ------------------------------------------------------- printer data

TEST(PrinterData, ValuesByteForByte) {
    core::PrinterModel m;
    core::CopyTruncated(m.VidPid, u"vid_1111&pid_0001");
    m.PaperWidth = 800;
    m.PaperHeight = 2000;
    m.HeadWidthDots = 70000;
    auto Text = [](const std::string& ascii) {
        Bytes b;
        for (char c : ascii) {
            b.push_back(static_cast<std::uint8_t>(c));
            b.push_back(0);
        }
        b.push_back(0);
        b.push_back(0);
        return b;
    };
    struct Case {
        int language;
        Bytes languageBytes;
    } cases[] = {
        {0, {0x09, 0x04, 0x00, 0x00}},
        {1, {0x04, 0x08, 0x00, 0x00}},
        {2, {0x04, 0x08, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        const auto values = engine::PrinterDataValues(m, c.language);
        ASSERT_EQ(values.size(), 5u);
        const struct {
            u16 name;
            std::uint32_t type;
            Bytes bytes;
        } expected[] = {
            {u"DevicePath", 1, {0x00, 0x00}},
            {u"VidAndPid", 1, Text("vid_1111&pid_0001")},
            {u"PrintWidth", 4, {0x70, 0x11, 0x01, 0x00}},
            {u"UserForm", 1, Text("800 2000 0 0")},
            {u"Language", 1, c.languageBytes},
        };
        for (std::size_t i = 0; i < 5; ++i) {
            SCOPED_TRACE(Utf8(expected[i].name));
            EXPECT_EQ(values[i].name, expected[i].name);
            EXPECT_EQ(values[i].type, expected[i].type);
            EXPECT_EQ(values[i].bytes, expected[i].bytes);
        }
        EXPECT_EQ(values[1].bytes.size(), (17u + 1) * 2);
        EXPECT_EQ(values[3].bytes.size(), (12u + 1) * 2);
    }
}

TEST(PrinterData, EdgeValues) {
    core::PrinterModel m;  // empty identifier, zero sizes
    m.PaperWidth = -5;
    m.HeadWidthDots = -1;
    const auto values = engine::PrinterDataValues(m, 0);
    EXPECT_EQ(values[1].bytes, (Bytes{0, 0}));
    EXPECT_EQ(values[2].bytes, (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    const Bytes form = values[3].bytes;
    std::string ascii;
    for (std::size_t i = 0; i + 2 < form.size(); i += 2) ascii += static_cast<char>(form[i]);
    EXPECT_EQ(ascii, "-5 0 0 0");
}

TEST_F(Registration, PrinterDataWrittenInOrderBeforeTheHandleCloses) {
    plan.uiLanguage = 2;
    for (Variant v : {Variant::kX86, Variant::kX64}) {
        SCOPED_TRACE(Name(v));
        w->spooler.added.clear();
        w->spooler.printers.clear();
        ASSERT_EQ(Run(v), 1);
        const auto& written = w->spooler.added.at(0).data;
        const auto expected = engine::PrinterDataValues(plan.model, 2);
        ASSERT_EQ(written.size(), expected.size());
        for (std::size_t i = 0; i < written.size(); ++i) {
            EXPECT_EQ(written[i].name, expected[i].name);
            EXPECT_EQ(written[i].type, expected[i].type);
            EXPECT_EQ(written[i].bytes, expected[i].bytes);
        }
        EXPECT_EQ(written[4].bytes, (Bytes{0x04, 0x08, 0x00, 0x00}));
        EXPECT_EQ(w->journal.back(), "ClosePrinter Q712");
    }
}

// ----------------------------------------------------- name safety

TEST_F(Registration, UnsafeNamesAndOverlongPathsWriteNothing) {
    struct Case {
        const char* label;
        u16 name;
        u16 driverDirectory;
        u16 folder;
    } cases[] = {
        {"parent folder", u"..\\..\\windows\\evil", kDriverDir, kFolder},
        {"slash", u"a/b", kDriverDir, kFolder},
        {"colon", u"C:evil", kDriverDir, kFolder},
        {"device name", u"NUL", kDriverDir, kFolder},
        {"device name with extension", u"com1.txt", kDriverDir, kFolder},
        {"trailing dot", u"Q712.", kDriverDir, kFolder},
        {"trailing blank", u"Q712 ", kDriverDir, kFolder},
        {"empty", u"", kDriverDir, kFolder},
        {"control character", u"Q7\n12", kDriverDir, kFolder},
        // D\Q712GPC.pcd at 256 units.
        {"driver directory one too long", u"Q712", u"C:\\" + u16(256 - 3 - 1 - 4 - 7, u'd'), kFolder},
        {"no install folder", u"Q712", kDriverDir, u""},
        {"install folder without room for Inf", u"Q712", kDriverDir, u"C:\\" + u16(252 - 3, u'f')},
    };
    for (Variant v : {Variant::kX86, Variant::kX64}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(Name(v)) + ": " + c.label);
            Reset();
            w->spooler.driverDirectory = c.driverDirectory;
            plan.installPrinterName = c.name;
            plan.installFolder = c.folder;
            EXPECT_EQ(Run(v), 0);
            EXPECT_EQ(w->journal, (Lines{"GetPrinterDriverDirectory", "log Printer name refused\r\n"}));
            EXPECT_TRUE(w->spooler.drivers.empty());
        }
    }
}

TEST_F(Registration, PathLimitsOfTheDriverAndSystemDirectories) {
    // "<dir>\Q712GPC.pcd" and "<dir>\Q712MonUI.dll" at 254, 255 and 256 units.
    struct Case {
        const char* label;
        std::size_t driverPath, monitorPath;
        int result;
        bool monitorFilesCopied;
    } cases[] = {
        {"both 254", 254, 254, 1, true},
        {"both 255", 255, 255, 1, true},
        {"driver file 256", 256, 200, 0, false},
        {"monitor file 256", 200, 256, 0, false},
    };
    for (Variant v : {Variant::kX86, Variant::kX64}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(Name(v)) + ": " + c.label);
            Reset();
            const u16 d = u"C:\\" + u16(c.driverPath - 3 - 1 - 4 - 7, u'd');
            const u16 s = u"C:\\" + u16(c.monitorPath - 3 - 1 - 4 - 9, u's');
            w->disk.AddDirectory(d + u"\\3");
            w->disk.AddDirectory(s);
            w->spooler.driverDirectory = d;
            w->system.systemDirectory = s;
            EXPECT_EQ(Run(v), c.result);
            EXPECT_EQ(w->disk.HasFile(s + u"\\Q712MonUI.dll"), c.monitorFilesCopied);
            EXPECT_EQ(w->system.redirectionActive, 0);
            if (c.result == 0) {
                EXPECT_NE(Log().find("Printer name refused\r\n"), std::string::npos);
            }
            for (const auto& copy : w->fs.copies) {
                if (copy.target.find(u"Q712") != u16::npos) {
                    EXPECT_LE(copy.target.size(), 255u);
                }
            }
        }
    }
}

TEST_F(Registration, NoSystemDirectoryCopiesNothingThere) {
    w->system.systemDirectory.clear();
    for (Variant v : {Variant::kX86, Variant::kX64}) {
        SCOPED_TRACE(Name(v));
        w->fs.copies.clear();
        EXPECT_EQ(Run(v), 0);
        EXPECT_EQ(Log(), "GetSystemDirectory failed\r\n");
        for (const auto& copy : w->fs.copies) EXPECT_EQ(copy.source.find(u"Rad80"), u16::npos);
        EXPECT_TRUE(Entries("AddMonitor").empty());
        EXPECT_TRUE(w->spooler.drivers.empty());
        EXPECT_EQ(w->system.redirectionActive, 0);
        w->log.files.clear();
    }
}

}  // namespace
