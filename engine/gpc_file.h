// The GPC data file: the plotter driver's device description, 932 bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/install_plan.h"

namespace engine {

constexpr std::size_t kGpcHeaderSize = 256;
constexpr std::size_t kGpcFormRecordSize = 56;
constexpr std::size_t kGpcFormCount = 12;
constexpr std::size_t kGpcFileSize = kGpcHeaderSize + 4 + kGpcFormCount * kGpcFormRecordSize;  // 932

// The file's bytes for a model (Dpi, PaperWidth, PaperHeight are used).
std::vector<std::uint8_t> BuildGpcFile(const core::PrinterModel& model);

// "<driver directory>\<printer>GPC.pcd"
core::u16 GpcFilePath(const core::u16& driverDirectory, const core::u16& printerName);

// The registration step of the worker: queries the driver directory (fails
// with 0 and no other effect when it cannot), writes the GPC file (a file
// that cannot be created is skipped), sets result->driverName to
// "<printer> Driver", runs RegisterPrinterX64 when `use64BitRegistration`
// else RegisterPrinterX86, and on success with plan.setAsDefault makes the
// printer the default printer. Returns the registration's result.
int InstallDriverAndPrinter(const InstallPlan& plan, InstallServices& services, InstallObserver& observer,
                            bool use64BitRegistration, InstallResult* result);

// kNativeBuildIs64Bit, or else the system's IsWow64Process answer.
bool UseX64Registration(os::SystemInfo& system);

}  // namespace engine
