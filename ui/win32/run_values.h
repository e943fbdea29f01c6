// Process-wide values of the run, owned here and handed by reference to the
// portable code. Start-up loads the texts; the wizard dialog fills the rest
// on its own thread and copies what the installation needs into the install
// worker's plan before it starts the worker, which never reads these.
#pragma once

#include <cstdint>

#include "engine/usb_detect.h"
#include "texts/install_texts.h"
#include "ui/port_choice.h"
#include "core/printer_model.h"

namespace run {

// The wizard texts and registration names of the chosen language.
extern texts::InstallTexts InstallTexts;
// The printer model catalogue (record 0 empty) and the chosen record.
extern core::ModelTable ModelTable;
extern std::int32_t SelectedModel;
// The printer name made unique and the folder chosen on the folder page.
extern char16_t InstallPrinterName[256];
extern char16_t ChosenFolder[256];
// The spooler's port names when the wizard started.
extern ui::PortNameSnapshot PortNameSnapshot;
// Connected USB printers of supported models (refilled by every scan).
extern engine::ConnectedPrinterList ConnectedPrinters;
// Whether the new printer becomes the default printer.
extern int SetAsDefault;

}  // namespace run
