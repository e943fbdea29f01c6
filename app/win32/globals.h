// Process-wide state of the run, owned here and handed by reference to the
// portable code.
#pragma once

#include "texts/install_texts.h"

namespace app {

// The wizard texts and registration names of the chosen language.
extern texts::InstallTexts InstallTexts;

}  // namespace app
