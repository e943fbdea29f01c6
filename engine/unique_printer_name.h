// Printer names: the numbered forms that make a name unique among the
// spooler's printers. The wizard uses them when it fixes the name, and the
// spooler registration again just before it adds the printer.
#pragma once

#include <cstddef>
#include <vector>

#include "core/text.h"
#include "engine/printer_name.h"
#include "os/spooler.h"

namespace engine {

// Printer names are held in 256-unit buffers.
constexpr std::size_t kMaxPrinterName = kMaxInstallPrinterName;

// The numbered form of a printer name: "%s (副本 %d)" for the Chinese
// interface (uiLanguage 1), "%s (copy %d)" otherwise (Russian uses the
// English form). `wanted` is cut so that the result fits kMaxPrinterName
// units.
core::u16 NumberedPrinterName(core::u16view wanted, int counter, int uiLanguage);

// The first of wanted, wanted (copy 1), wanted (copy 2), ... that no printer
// in `printers` has (exact comparison, case counts); `wanted` is first cut
// to kMaxPrinterName units.
core::u16 MakeUniqueName(const std::vector<os::PrinterRecord>& printers, core::u16view wanted,
                         int uiLanguage);

// MakeUniqueName over the spooler's local printers and connections; when
// they cannot be listed, `wanted` (cut to kMaxPrinterName units).
core::u16 MakeUniquePrinterName(os::Spooler& spooler, core::u16view wanted, int uiLanguage);

}  // namespace engine
