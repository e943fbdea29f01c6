#include "ui/win32/run_values.h"

namespace run {

texts::InstallTexts InstallTexts;
core::ModelTable ModelTable;
std::int32_t SelectedModel = 0;
char16_t InstallPrinterName[256] = {};
char16_t ChosenFolder[256] = {};
ui::PortNameSnapshot PortNameSnapshot;
engine::ConnectedPrinterList ConnectedPrinters;
int SetAsDefault = 1;

}  // namespace run
