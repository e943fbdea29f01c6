// Shell folders and environment strings.
#pragma once

#include "core/text.h"

namespace os {

class Shell {
public:
    virtual ~Shell() = default;
    // The current user's documents folder (CSIDL_PERSONAL); empty when the
    // shell gives none.
    virtual core::u16 PersonalFolder() = 0;
    // The current user's Start menu folder (CSIDL_STARTMENU); empty when none.
    virtual core::u16 StartMenuFolder() = 0;
    // ExpandEnvironmentStrings, into a buffer of `capacity` characters.
    virtual core::u16 ExpandEnvironment(const core::u16& text, std::size_t capacity) = 0;
};

}  // namespace os
