// The engine's own check of the printer name before it becomes part of
// paths and file names.
#pragma once

#include <cstddef>

#include "core/text.h"

namespace engine {

// Printer names are held in 256-unit buffers.
constexpr std::size_t kMaxInstallPrinterName = 255;

// True when `name` can stand as one file or folder name inside the install
// folder, the driver directory, its "3" folder, the system directory and the
// Start menu without naming anything outside them: not empty, at most 255
// units, no control character and none of \ / : * ? " < > | , ; not ending
// in a dot or a blank; not a reserved device name (CON, PRN, AUX, NUL,
// CONIN$, CONOUT$, COM1-9, LPT1-9 and the superscript-digit forms), also
// not with an extension or blanks before its dot.
bool IsSafePrinterName(core::u16view name);

}  // namespace engine
