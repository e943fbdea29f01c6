#include "engine/spooler_registration.h"

#include <string>

#include "engine/install_log.h"
#include "engine/install_paths.h"
#include "engine/printer_name.h"
#include "engine/unique_printer_name.h"

namespace engine {

namespace {

constexpr std::uint32_t kMonitorAlreadyInstalled = 3006;  // ERROR_PRINT_MONITOR_ALREADY_INSTALLED
constexpr int kEnglishInterface = 0;
constexpr std::uint32_t kDefaultPrinterAttribute = 4;  // PRINTER_ATTRIBUTE_DEFAULT

enum class Target {
    kDriverSubfolder,  // D\3, under the member's own name
    kDriverDirectory,  // D, as "<printer><suffix>"
    kSystemDirectory,  // S, as "<printer><suffix>"
};

// One file of the payload that registration places. The 64-bit path reads
// "<member>.x64".
struct Placement {
    const char16_t* member;
    Target target;
    const char16_t* suffix;  // null: the target keeps the member's name
    bool deleteSource;
};

// In the order they are copied: the support libraries and the driver's two
// libraries before the system directory is asked for; then the monitor's.
constexpr Placement kDriverFiles[] = {
    {u"CHISMPL.DLL", Target::kDriverSubfolder, nullptr, false},
    {u"CHITRAD.DLL", Target::kDriverSubfolder, nullptr, false},
    {u"ENGLISH.DLL", Target::kDriverSubfolder, nullptr, false},
    {u"Image.dll", Target::kDriverSubfolder, nullptr, false},
    {u"plotui.dll", Target::kDriverDirectory, u"UI.dll", true},
    {u"plotter.dll", Target::kDriverDirectory, u"Drv.dll", true},
};
constexpr Placement kMonitorFiles[] = {
    {u"Rad80PrinterMon.dll", Target::kSystemDirectory, u"Mon.dll", true},
    {u"Rad80PrinterMonUI.dll", Target::kSystemDirectory, u"MonUI.dll", true},
};

constexpr char16_t kDriverFileSuffix[] = u"Drv.dll";
constexpr char16_t kConfigFileSuffix[] = u"UI.dll";
constexpr char16_t kDataFileSuffix[] = u"GPC.pcd";
constexpr char16_t kMonitorFileSuffix[] = u"Mon.dll";
constexpr char16_t kX64Suffix[] = u".x64";

// Registration refuses to build paths from this name or these folders.
constexpr char kNameRefusedLine[] = "Printer name refused\r\n";
constexpr char kNoSystemDirectoryLine[] = "GetSystemDirectory failed\r\n";

core::u16 Join(core::u16view folder, core::u16view name) {
    core::u16 path(folder);
    if (!path.empty() && path.back() != u'\\') path += u'\\';
    path += name;
    return path;
}

void AppendUtf16Le(std::vector<std::uint8_t>* bytes, core::u16view text) {
    for (char16_t c : text) {
        bytes->push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes->push_back(static_cast<std::uint8_t>(c >> 8));
    }
}

// A REG_SZ value's bytes: the text and its terminator, UTF-16LE.
std::vector<std::uint8_t> StringBytes(core::u16view text) {
    std::vector<std::uint8_t> bytes;
    AppendUtf16Le(&bytes, text);
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

std::vector<std::uint8_t> Uint32Bytes(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

// What both variants share while they run.
class Registration {
public:
    Registration(const InstallPlan& plan, InstallServices& services, InstallObserver& observer,
                 InstallResult* result, bool x64)
        : plan_(plan), services_(services), observer_(observer), result_(*result), x64_(x64),
          printer_(plan.installPrinterName), folder_(plan.installFolder) {}

    int Run();

private:
    core::u16 TargetPath(const Placement& p) const {
        switch (p.target) {
        case Target::kDriverSubfolder:
            return Join(Join(driverDirectory_, u"3"), p.member);
        case Target::kDriverDirectory:
            return Join(driverDirectory_, printer_ + p.suffix);
        case Target::kSystemDirectory:
            return Join(systemDirectory_, printer_ + p.suffix);
        }
        return {};
    }

    // Copies one member from the install folder, replacing the target, and
    // deletes what the table says; results are not checked.
    void Place(const Placement& p) {
        os::FileSystem& fs = services_.fs;
        const core::u16 plain = Join(folder_, p.member);
        const core::u16 source = x64_ ? plain + kX64Suffix : plain;
        fs.CopyFileReplacing(source, TargetPath(p));
        if (!p.deleteSource) return;
        fs.RemoveFile(source);
        // The 64-bit path also removes the 32-bit build of the driver's two
        // libraries; the monitor's 32-bit files stay.
        if (x64_ && p.target == Target::kDriverDirectory) fs.RemoveFile(plain);
    }

    // The system directory and the monitor files; false when there is no
    // usable system directory (nothing is copied then).
    bool PlaceMonitorFiles() {
        systemDirectory_ = services_.system.SystemDirectory();
        if (systemDirectory_.empty()) {
            WriteInstallLog(services_.log, "%s", kNoSystemDirectoryLine);
            return false;
        }
        if (!MonitorFilesFit(systemDirectory_, printer_)) {
            WriteInstallLog(services_.log, "%s", kNameRefusedLine);
            return false;
        }
        for (const Placement& p : kMonitorFiles) Place(p);
        return true;
    }

    void SetPort(const core::u16& port) {
        port_ = port;
        result_.portName = port;
    }

    // The port list; false when it was cancelled.
    bool ChooseOtherPort() {
        core::u16 chosen;
        if (!observer_.ChoosePort(&chosen)) return false;
        SetPort(chosen);
        return true;
    }

    // The monitor and its own port (32-bit Windows); false when the port
    // list was cancelled.
    bool RegisterMonitorAndPort() {
        SetPort(printer_ + u"-Port:");
        const core::u16 monitorPath = Join(systemDirectory_, printer_ + kMonitorFileSuffix);
        if (!RegisterPortMonitor(services_, plan_.monitorName, monitorPath)) return ChooseOtherPort();
        if (!AddMonitorPort(services_, port_, plan_.monitorName)) return ChooseOtherPort();
        return true;
    }

    const InstallPlan& plan_;
    InstallServices& services_;
    InstallObserver& observer_;
    InstallResult& result_;
    const bool x64_;
    const core::u16 printer_;  // P
    const core::u16 folder_;   // F
    core::u16 driverDirectory_;
    core::u16 systemDirectory_;
    core::u16 port_;
};

int Registration::Run() {
    std::uint32_t error = 0;
    if (!services_.spooler.PrinterDriverDirectory(&driverDirectory_, &error)) {
        WriteInstallLog(services_.log, "GetPrinterDriverDirectory = %d\r\n", static_cast<int>(error));
        return 0;
    }
    // Nothing is written from a name or into folders that would put files
    // outside the install folder, the driver directory, its "3" folder and
    // the system directory.
    if (!IsSafePrinterName(printer_) || !InstallFolderFits(folder_) ||
        !DriverFilesFit(driverDirectory_, printer_)) {
        WriteInstallLog(services_.log, "%s", kNameRefusedLine);
        return 0;
    }
    if (result_.driverName.empty()) result_.driverName = printer_ + u" Driver";

    for (const Placement& p : kDriverFiles) Place(p);
    if (x64_) {
        // The monitor's 64-bit files belong in the real system directory:
        // redirection is off only for its query and these copies. The
        // driver directory (system32\spool) is exempt from redirection.
        std::unique_ptr<os::RedirectionScope> scope = services_.system.DisableRedirection();
        if (!PlaceMonitorFiles()) return 0;
    } else if (!PlaceMonitorFiles()) {
        return 0;
    }

    SetPort(plan_.portPrefix);
    if (!x64_ && plan_.portConfirmed && !RegisterMonitorAndPort()) return 0;
    if (!PortExists(services_.spooler, port_) && !ChooseOtherPort()) return 0;

    os::DriverInfo driver;
    driver.version = 2;
    driver.name = result_.driverName;
    driver.environment = x64_ ? u"Windows x64" : u"Windows NT x86";
    driver.driverPath = printer_ + kDriverFileSuffix;
    driver.dataFile = printer_ + kDataFileSuffix;
    driver.configFile = printer_ + kConfigFileSuffix;
    error = services_.spooler.AddPrinterDriver(driver);
    if (error != 0) {
        WriteInstallLog(services_.log, "AddPrinterDriver = %d\r\n", static_cast<int>(error));
        return 0;
    }

    // A printer of this name may have appeared since the wizard fixed it.
    const core::u16 name = MakeUniquePrinterName(services_.spooler, printer_, plan_.uiLanguage);
    os::PrinterInfo printer;
    printer.printerName = name;
    printer.shareName = name;
    printer.portName = port_;
    printer.driverName = driver.name;
    printer.printProcessor = u"WinPrint";
    printer.dataType = u"RAW";
    printer.attributes = kDefaultPrinterAttribute;
    if (!x64_) WriteInstallLog(services_.log, "*********** call AddPrinter\r\n");
    error = 0;
    std::unique_ptr<os::PrinterHandle> handle = services_.spooler.AddPrinter(printer, &error);
    if (!handle) {
        WriteInstallLog(services_.log, "AddPrinter = %d\r\n", static_cast<int>(error));
        return 0;
    }
    result_.addedPrinterName = name;
    if (!x64_) WriteInstallLog(services_.log, "*********** AddPrinter success\r\n");

    for (const PrinterDataValue& v : PrinterDataValues(plan_.model, plan_.uiLanguage))
        handle->SetData(v.name, v.type, v.bytes);
    WriteInstallLog(services_.log, "AddPrinter hPrinter = %x\r\n", static_cast<unsigned>(handle->Value()));
    handle.reset();  // ClosePrinter
    return 1;
}

int Register(const InstallPlan& plan, InstallServices& services, InstallObserver& observer,
             InstallResult* result, bool x64) {
    InstallResult unused;
    Registration registration(plan, services, observer, result != nullptr ? result : &unused, x64);
    return registration.Run();
}

}  // namespace

std::vector<PrinterDataValue> PrinterDataValues(const core::PrinterModel& model, int uiLanguage) {
    const core::u16 userForm = core::DecimalU16(model.PaperWidth) + u" " + core::DecimalU16(model.PaperHeight) +
                               u" 0 0";
    const std::uint32_t language = uiLanguage == kEnglishInterface ? 0x0409 : 0x0804;
    return {
        {u"DevicePath", os::kRegSz, StringBytes(u"")},
        {u"VidAndPid", os::kRegSz, StringBytes(core::FieldView(model.VidPid))},
        {u"PrintWidth", os::kRegDword, Uint32Bytes(static_cast<std::uint32_t>(model.HeadWidthDots))},
        {u"UserForm", os::kRegSz, StringBytes(userForm)},
        // String-typed, but its four bytes are the number's: what the
        // driver and the monitor read.
        {u"Language", os::kRegSz, Uint32Bytes(language)},
    };
}

int PortExists(os::Spooler& spooler, const core::u16& portName) {
    std::vector<os::PortRecord> ports;
    if (spooler.EnumeratePorts(&ports) != os::PortEnumResult::kOk) return 0;
    for (const os::PortRecord& p : ports)
        if (p.name == portName) return 1;
    return 0;
}

int RegisterPortMonitor(InstallServices& services, const core::u16& monitorName, const core::u16& monitorPath) {
    const std::uint32_t error = services.spooler.AddMonitor(monitorName, u"Windows NT x86", monitorPath);
    if (error == 0 || error == kMonitorAlreadyInstalled) return 1;
    WriteInstallLog(services.log, "AddPrinterMonitor32 = %d\r\n", static_cast<int>(error));
    return 0;
}

int AddMonitorPort(InstallServices& services, const core::u16& portName, const core::u16& monitorName) {
    std::uint32_t error = 0;
    switch (services.spooler.AddPortEx(portName, monitorName, &error)) {
    case os::AddPortExResult::kAdded:
        return 1;
    case os::AddPortExResult::kUnavailable:
        return 0;
    case os::AddPortExResult::kFailed:
        break;
    }
    const std::string ansiName = services.codePage.ToAnsi(portName);
    WriteInstallLog(services.log, "AddPortEx = %d PortName=%s\r\n", static_cast<int>(error), ansiName.c_str());
    return 0;
}

int RegisterPrinterX86(const InstallPlan& plan, InstallServices& services, InstallObserver& observer,
                       InstallResult* result) {
    return Register(plan, services, observer, result, false);
}

int RegisterPrinterX64(const InstallPlan& plan, InstallServices& services, InstallObserver& observer,
                       InstallResult* result) {
    return Register(plan, services, observer, result, true);
}

}  // namespace engine
