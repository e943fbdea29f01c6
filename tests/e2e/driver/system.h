// The driver's questions to the system it runs in: spooler, registry (both
// views), service manager, shell links and folders, and the few changes a
// test needs to prepare or clean up a prefix (a raw print job, a printer
// deleted, a registry value removed).
#pragma once

#include <string>
#include <vector>

#include "common.h"

namespace wd {

// Runs `a` when it names one of the system commands and appends its answer
// to `o`; false when `a[0]` is not a system command. Failures throw Failure.
bool RunSystemCommand(const std::vector<std::wstring>& a, Obj& o);

}  // namespace wd
