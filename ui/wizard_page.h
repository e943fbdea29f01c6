// The wizard's page counter values. The counter's final value is also the
// outcome of the installation.
#pragma once

#include <cstdint>

namespace ui {

enum WizardPage : std::int32_t {
    PageWelcome = 0,
    PageFolder = 1,
    PagePrinter = 2,
    PageInstalling = 3,
    PageFinished = 4,   // installation succeeded
    PageCancelled = 5,
    PageFailed = 8,
};

}  // namespace ui
