// The wizard's page flow: what Next and Back check and decide, the control
// changes of each page, the preparation of the installation, and the
// printer-name helpers that the installation engine uses too.
//
// The dialog copies its controls into a WizardState, calls OnNext / OnBack,
// shows the message or carries out the steps of the outcome in order, and
// copies the fixed choices into the values the worker reads.
#pragma once

#include <cstdint>
#include <vector>

#include "core/text.h"
#include "engine/folders.h"
#include "engine/unique_printer_name.h"
#include "os/files.h"
#include "os/spooler.h"
#include "os/system.h"
#include "ui/messages.h"
#include "ui/port_choice.h"
#include "core/printer_model.h"
#include "ui/wizard_page.h"

namespace ui {

using core::kModelTableSize;
using core::ModelTable;
using core::PrinterModel;

// The folder helper is shared with the installation engine's deployment.
using engine::CreateFolderPath;
using engine::kMaxFolderPath;
using engine::kMaxPrinterName;

// The printer-name helpers (NumberedPrinterName, MakeUniqueName,
// MakeUniquePrinterName) live in engine/unique_printer_name.h: the
// registration uses the same rule again.

// The label of the Cancel button on the finished page.
core::u16 FinishLabel(int uiLanguage, const TextIni& ini);

// What the dialog's controls hold, and the choices Next fixes.
struct WizardState {
    std::int32_t page = PageWelcome;

    // Read from the controls before OnNext.
    core::u16 folderText;       // the install-folder field
    core::u16 printerNameText;  // the printer-name box (1030)
    int modelIndex = -1;        // the model box's selection, -1 for none
    core::u16 portEntryText;    // the selected port box entry, empty for none
    bool defaultChecked = true; // check box 1029

    // Fixed by Next for the install worker.
    core::u16 chosenFolder;
    std::int32_t selectedModel = 0;
    core::u16 portPrefix;
    bool portConfirmed = false;
    core::u16 installPrinterName;
    core::u16 printerBaseName;
    core::u16 driverName;
    bool setAsDefault = true;
    core::u16 infFolder;        // folderText + "\Inf" once prepared
};

// What OnNext needs from the dialog and the installation engine.
class NextServices {
public:
    virtual ~NextServices() = default;
    // Connected USB printers of a catalogue model; the number found.
    virtual int ScanConnectedPrinters() = 0;
    // The USB port of a connected printer of this model. May write
    // `portOut` (which holds the port entry's text before the call).
    virtual bool FindUsbPrinterPort(core::u16& portOut, core::u16view vidPid,
                                    core::u16view hardwareId) = 0;
    // Stores the serial boxes' settings under the value name `portName`.
    virtual void SaveSerialSettings(const core::u16& portName) = 0;
    // Runs the network port dialog modally. False when cancelled; otherwise
    // `portName` is the chosen port (empty when no row was selected).
    virtual bool RunTcpPortDialog(core::u16* portName) = 0;
};

struct FlowContext {
    os::FileSystem& fs;
    os::Spooler& spooler;
    os::WindowHandle owner;  // the wizard dialog
    NextServices& services;
    const ModelTable& models;
    TcpPortList& tcpPorts;
    int uiLanguage;
    const TextIni& ini;
    // When given, Next on the printer page also checks the monitor files'
    // paths in the system directory (the registration checks them anyway).
    os::SystemInfo* system = nullptr;
};

// One change of the dialog's controls, carried out in the order given.
enum class UiStep {
    kPanelShowFolderField,  // the panel's ShowFolderField(1): repaints at once
    kPanelHideFolderField,  // the panel's ShowFolderField(0): repaints at once
    kShowFolderField,       // the folder field's own show / hide, no repaint
    kHideFolderField,
    kShowBrowse,
    kHideBrowse,
    kShowBack,
    kHideBack,
    kHideNext,
    kShowPrinterControls,   // 1024, 1028, 1025, 1030, 1027, 1029, 1036, 1043
    kHidePrinterControls,
    kEnableSerialControls,  // the ten serial controls
    kDisableSerialControls,
    kShowSerialControls,
    kHideSerialControls,
    kHideBaudControls,      // 1040 and 1048
    kShowProgress,
    kUpdateProgress,        // repaint the progress bar at once
    kHideProgress,
    kDisableCancel,
    kDisableBack,
    kDisableNext,
    kEnableCancel,
    kSetCancelLabel,        // FlowOutcome::cancelLabel
    kUpdatePanel,           // repaint the panel at once
    kInvalidatePanel,       // let the panel repaint
    kPrepareAndStartInstall,  // PrepareInstallation, then start the worker
};

struct FlowOutcome {
    MessageId message = MessageId::kNone;  // shown when not kNone; nothing else changed
    bool moved = false;                    // the page changed to state.page
    std::vector<UiStep> steps;
    core::u16 cancelLabel;
};

// The control changes on entering `page` by Next. `portEntryText` decides
// the serial controls' state on the printer page.
std::vector<UiStep> EnteringPageSteps(std::int32_t page, core::u16view portEntryText);

// Next: validates the page being left (in the order the checks are made),
// fixes its choices in `state` and moves on. A failed check leaves `state`
// as it was and names the message; a cancelled network dialog, an empty
// network port name, a failed add-port call, or a new network port that
// cannot be found stop without a message. On the printer page the name is
// checked before anything is written (serial settings, network ports): an
// unsafe name (engine::IsSafePrinterName), or one whose driver or monitor
// file paths would not fit, gives kPrinterNameInvalid; an install folder
// "<folder>\<unique name>\Inf" over 255 units gives kFolderInvalid. Only
// the printer page talks to the services. Next on the installing page (the
// worker's completion) goes to the finished page; on every other page it
// does nothing.
FlowOutcome OnNext(WizardState& state, FlowContext& ctx);

// Back, from the folder or the printer page; elsewhere nothing.
FlowOutcome OnBack(WizardState& state);

// The preparation on entering the installing page: the unique printer name
// (also the base name; the driver name is "<name> Driver", cut to 255
// units), the default-printer choice, the install folder
// "<folder>\<name>" and its "Inf" sub-folder, created with
// CreateFolderPath (results ignored: a path over 255 units is not created
// and the worker fails on it later). folderText becomes the install folder.
void PrepareInstallation(WizardState& state, os::FileSystem& fs, os::Spooler& spooler,
                         int uiLanguage);

}  // namespace ui
