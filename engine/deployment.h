// Driver file deployment: every container member into the install folder.
#pragma once

#include <cstdint>

#include "engine/install_plan.h"

namespace engine {

// Replacement names of DeployFromMemory, whatever the model: member name
// (whole name, ASCII case ignored) -> name written in the install folder.
struct ReplacementName {
    const char* member;
    const char* writtenAs;
};

// Deploys the resource form held in memory (plan.payload). Logs
// "**** FileCount=%d\r\n" and "**** Retrace Finish\r\n", creates folder
// parts, sets the wait line to each member's own file name and the progress
// to (i + 1) * 100 / M after each member. Member names are converted from
// the ANSI code page and checked by the container's name rules; an unsafe
// name is skipped. Every file written directly into the install folder is
// recorded (under its final name, before it is written). Always returns 0.
int DeployFromMemory(const InstallPlan& plan, InstallServices& services, InstallObserver& observer);

// Deploys the appended form from the executable `plan.imagePath`: the
// replacement table chosen by the model's CommandSet ("TSC" / "ESC",
// exact), the wait line set to each whole target path, no folders created,
// no log lines, progress only from the extraction engine. 0 on success, -1
// when the file cannot be opened or sized, -2 on a trailer, seek or read
// failure or a member count of 0.
int DeployFromImageFile(const InstallPlan& plan, InstallServices& services, InstallObserver& observer);

}  // namespace engine
