// Which printer names and folders the installation can use safely.
//
// The printer name becomes a folder name (the install folder), part of file
// names in the spooler's driver directory and in the system directory, and
// part of registry key names (product key, uninstall entry, the spooler's
// own keys). A name that Windows would read as a path, a device or a
// different file, or whose paths would not fit their 256-unit buffers, is
// refused before anything is written, by the wizard on Next of the printer
// page and again by the registration itself.
#pragma once

#include <cstddef>

#include "core/text.h"

namespace engine {

// Longest path, in UTF-16 units, that the installation builds.
constexpr std::size_t kMaxPathUnits = 255;

enum class PrinterNameProblem {
    kNone,
    kEmpty,
    kTooLong,              // more than kMaxPrinterName units
    kForbiddenCharacter,   // \ / : * ? " < > | , or a control character
    kReservedDeviceName,   // CON, PRN, AUX, NUL, COM0-9, LPT0-9, ... also with an extension
    kBadEnding,            // ends in a dot or a blank
};

PrinterNameProblem CheckPrinterName(core::u16view name);
inline bool IsSafePrinterName(core::u16view name) {
    return CheckPrinterName(name) == PrinterNameProblem::kNone;
}

// "<folder>\<name>", without doubling a backslash the folder ends in: the
// install folder the wizard derives from the chosen folder.
core::u16 InstallFolderFor(core::u16view folder, core::u16view name);

// The install folder and its "Inf" sub-folder both fit kMaxPathUnits.
// False for an empty folder.
bool InstallFolderFits(core::u16view installFolder);

// InstallFolderFits for the install folder "<folder>\<name>". False for an
// empty folder.
bool InstallFolderHasRoom(core::u16view folder, core::u16view name);

// "<driver directory>\<name>GPC.pcd", "...Drv.dll" and "...UI.dll" fit
// kMaxPathUnits. False for an empty directory.
bool DriverFilesFit(core::u16view driverDirectory, core::u16view name);

// "<system directory>\<name>Mon.dll" and "...MonUI.dll" fit kMaxPathUnits.
// False for an empty directory.
bool MonitorFilesFit(core::u16view systemDirectory, core::u16view name);

}  // namespace engine
