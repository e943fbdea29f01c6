// Placeholder until the installation sequence is built: every installation
// fails at once, so the wizard ends on the failure page.
#include "engine/install_sequence.h"

namespace engine {

InstallResult RunInstallation(const InstallPlan& plan, InstallServices&, InstallObserver&) {
    InstallResult result;
    result.succeeded = false;
    result.portName = plan.portPrefix;
    return result;
}

}  // namespace engine
