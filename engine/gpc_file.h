// The GPC data file: the plotter driver's device description, 932 bytes,
// and the registration step of the install worker that writes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/install_plan.h"

namespace engine {

constexpr std::size_t kGpcHeaderSize = 256;
constexpr std::size_t kGpcFormRecordSize = 56;
constexpr std::size_t kGpcFormCount = 12;
constexpr std::size_t kGpcFileSize = kGpcHeaderSize + 4 + kGpcFormCount * kGpcFormRecordSize;  // 932

// The file's bytes for a model: the fixed header with the model's Dpi (whole
// at offsets 72 and 76, its low 16 bits at 80 and 82), the third list (0, 1)
// and twelve form records, the first one "Custom" with the model's
// PaperWidth and PaperHeight. Sizes are stored in 1/1000 mm: the tenths of a
// millimetre of the model and the form table times 100, modulo 2^32.
std::vector<std::uint8_t> BuildGpcFile(const core::PrinterModel& model);

// "<driver directory>\<printer>GPC.pcd"
core::u16 GpcFilePath(const core::u16& driverDirectory, const core::u16& printerName);

// The spooler registration that InstallDriverAndPrinter runs; 1 when the
// printer was added, else 0.
using PrinterRegistration =
    std::function<int(const InstallPlan&, InstallServices&, InstallObserver&, InstallResult*)>;

// The registration step of the worker. Fails with 0 and no other effect when
// the printer name is not a safe file name (IsSafePrinterName) or the
// driver directory cannot be had. Otherwise writes the GPC file through
// services.fs (a file that cannot be created or written is left as it is:
// no message, no log line), sets result->driverName to "<printer> Driver"
// (cut to 255 units), runs RegisterPrinterX64 when `use64BitRegistration`
// else RegisterPrinterX86, and when that succeeded and plan.setAsDefault is
// set makes the printer the default printer: the name the printer was added
// under (result->addedPrinterName), or InstallPrinterName when the
// registration left that empty. Returns the registration's result.
int InstallDriverAndPrinter(const InstallPlan& plan, InstallServices& services, InstallObserver& observer,
                            bool use64BitRegistration, InstallResult* result);

// The same with the registration given.
int InstallDriverAndPrinterWith(const InstallPlan& plan, InstallServices& services, InstallObserver& observer,
                                const PrinterRegistration& registration, InstallResult* result);

// True in the 64-bit build (kNativeBuildIs64Bit), which runs only on 64-bit
// Windows, without asking the system; in the 32-bit build the system's
// IsWow64Process answer.
bool UseX64Registration(os::SystemInfo& system);

}  // namespace engine
