// Whether the paths that the installation builds from the printer name fit
// their 256-unit buffers.
//
// The printer name becomes a folder name (the install folder and its "Inf"
// sub-folder) and part of file names in the spooler's driver directory and
// in the system directory. Together with IsSafePrinterName
// (engine/printer_name.h) these checks decide, before anything is written,
// whether the installation can use a name: the wizard on Next of the printer
// page, and again the registration itself.
#pragma once

#include <cstddef>

#include "core/text.h"

namespace engine {

// Longest path, in UTF-16 units, that the installation builds.
constexpr std::size_t kMaxPathUnits = 255;

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
