#include "app/win32/globals.h"

namespace app {

texts::InstallTexts InstallTexts;

}  // namespace app
