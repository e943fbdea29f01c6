// Placeholder bodies so that the engine links until the spooler
// registration is written: nothing is registered and every registration
// reports failure.
#include "engine/spooler_registration.h"

namespace engine {

std::vector<PrinterDataValue> PrinterDataValues(const core::PrinterModel&, int) { return {}; }

int PortExists(os::Spooler&, const core::u16&) { return 0; }

int RegisterPortMonitor(InstallServices&, const core::u16&, const core::u16&) { return 0; }

int AddMonitorPort(InstallServices&, const core::u16&, const core::u16&) { return 0; }

int RegisterPrinterX86(const InstallPlan&, InstallServices&, InstallObserver&, InstallResult*) { return 0; }

int RegisterPrinterX64(const InstallPlan&, InstallServices&, InstallObserver&, InstallResult*) { return 0; }

}  // namespace engine
