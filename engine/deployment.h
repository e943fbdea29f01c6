// Driver file deployment: every container member into the install folder.
//
// Paths are UTF-16 throughout. A member's name is converted from the ANSI
// code page and must pass the container's name rules; a name they refuse is
// skipped, and so is a member whose target path would be longer than
// kMaxTargetPath units (it is never cut). Every file written directly into
// the install folder is recorded through the observer under its final name
// before it is written, so that the wizard's clean-up also removes a
// partly written one; files below a folder part are not recorded.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/install_plan.h"

namespace engine {

// Target paths are built in 256-unit buffers.
constexpr std::size_t kMaxTargetPath = 255;

// One replacement name: a member of this name (whole name, ASCII case
// ignored) is written directly into the install folder under `writtenAs`.
struct ReplacementName {
    const char16_t* member;
    const char16_t* writtenAs;
};

// Deploys the resource form held in memory (plan.payload). Logs
// "**** FileCount=%d\r\n" and "**** Retrace Finish\r\n". For each member: a
// file part that names a replacement is written as that name in the install
// folder, whatever the model; a missing folder part is created with
// CreateFolderPath; after the extraction the wait line shows the member's
// own file name (no folder, no replacement) and the progress moves to
// (i + 1) * 100 / M. The extraction engine's own positions are passed on
// too. Always returns 0.
int DeployFromMemory(const InstallPlan& plan, InstallServices& services, InstallObserver& observer);

// Deploys the appended form from the executable `plan.imagePath` (the
// running executable's path when that is empty). The replacement table is
// chosen by the model's CommandSet ("TSC" or "ESC", exactly) and compared
// with the whole member name. The wait line shows each whole target path
// before the member is extracted; no folders are created, no line is logged
// and progress comes only from the extraction engine. Returns 0 after the
// last member, -1 when the file cannot be opened or sized, -2 when there is
// no appended form (a member count of 0) or its trailer, header or an
// entry cannot be read or lies outside the file; members written before
// stay.
int DeployFromImageFile(const InstallPlan& plan, InstallServices& services, InstallObserver& observer);

}  // namespace engine
