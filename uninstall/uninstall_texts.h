// What the uninstaller tells the user, in English or Chinese: the
// installation's language when its product key says "Chinese", else English.
#pragma once

#include "core/text.h"
#include "uninstall/removal_plan.h"
#include "uninstall/removal_run.h"

namespace uninstall {

enum class Message {
    kConfirm,         // Yes / No
    kRemoved,
    kRestartNeeded,
    kNotRemoved,      // followed by the list of what stays
    kNotFound,
    kBadCommandLine,  // followed by the argument
};

core::u16 Caption(bool chinese);

// The message; %s-style fields are filled with `printer` (the printer name)
// and, for kNotRemoved and kBadCommandLine, `details`.
core::u16 MessageText(Message message, bool chinese, core::u16view printer, core::u16view details = {});

// One line per thing that stays, for kNotRemoved: what plan kept, and what
// failed or could not be tried.
core::u16 NotRemovedList(const RemovalPlan& plan, const RemovalOutcome& outcome, bool chinese);

// The message that ends a run.
Message ResultMessage(const RemovalOutcome& outcome);

}  // namespace uninstall
