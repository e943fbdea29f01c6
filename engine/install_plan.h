// What the wizard hands the install worker, what the worker hands back, and
// the services it works through.
//
// The dialog fixes every choice before the worker starts and gives it one
// InstallPlan, which the worker only reads. What the worker itself decides
// (the port really used, the driver name, the name the printer was added
// under) it records in its InstallResult. Everything the worker wants shown
// goes through InstallObserver, whose Win32 implementation hands each call
// to the dialog's thread and waits for it: the worker never touches a
// control or the panel.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/text.h"
#include "os/files.h"
#include "os/log_file.h"
#include "os/profile.h"
#include "os/registry.h"
#include "os/service_manager.h"
#include "os/shell.h"
#include "os/spooler.h"
#include "os/system.h"
#include "core/printer_model.h"

namespace engine {

struct InstallPlan {
    int uiLanguage = 0;  // 0 English, 1 Chinese, 2 Russian

    // The resource form's memory copy; null when the installer carries the
    // appended form, which is then read from `imagePath`.
    const std::uint8_t* payload = nullptr;
    std::size_t payloadSize = 0;
    core::u16 imagePath;

    core::u16 chosenFolder;        // ChosenFolder: the folder accepted on the folder page
    core::u16 installFolder;       // chosenFolder, '\' unless it ends in one, then the printer name
    core::u16 installPrinterName;  // InstallPrinterName, unique when the dialog fixed it
    core::u16 printerBaseName;     // InstallTexts.PrinterBaseName (the same name after the printer page)
    core::u16 monitorName;         // InstallTexts.MonitorName
    core::u16 portPrefix;          // InstallTexts.PortPrefix: the port chosen on the printer page
    bool portConfirmed = true;     // the panel's m_bPortConfirmed
    bool setAsDefault = true;      // check box 1029
    core::PrinterModel model;        // ModelTable[SelectedModel]
};

struct InstallResult {
    bool succeeded = false;        // InstallDriverAndPrinter's result
    core::u16 portName;            // PortPrefix as registration left it
    core::u16 driverName;          // DriverName: "<printer> Driver"
    core::u16 addedPrinterName;    // the name AddPrinter was given (after the second uniqueness pass)
    core::u16 startMenuFolder;
    core::u16 shortcutPath;
};

// The worker's window on the dialog. Every call returns after the dialog's
// thread has carried it out.
class InstallObserver {
public:
    virtual ~InstallObserver() = default;
    // PBM_SETPOS on the progress control 1004, when its window exists.
    virtual void SetProgress(int position) = 0;
    // Replaces the panel's wait line and repaints the panel at once.
    virtual void SetWaitText(const core::u16& text) = 0;
    // A file name (no folder) that deployment is about to write directly
    // into the install folder, for the clean-up when the wizard closes.
    virtual void RecordDeployedFile(const core::u16& fileName) = 0;
    // Runs the port list dialog modally, without owner, in the foreground.
    // False when it was cancelled; otherwise *portName is the chosen port.
    virtual bool ChoosePort(core::u16* portName) = 0;
};

// The operating-system services the engine works through.
struct InstallServices {
    os::FileSystem& fs;
    os::Spooler& spooler;
    os::Registry& registry;
    os::ProfileWriter& profiles;
    os::ServiceManager& serviceManager;
    os::Shell& shell;
    os::SystemInfo& system;
    os::CodePage& codePage;
    os::LogSink& log;
};

// True in the 64-bit build, which can only run on 64-bit Windows and so
// always takes the 64-bit registration.
inline constexpr bool kNativeBuildIs64Bit = sizeof(void*) == 8;

}  // namespace engine
