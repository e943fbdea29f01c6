// Shell folders and environment strings.
#pragma once

#include "core/text.h"

namespace os {

enum class ShortcutResult {
    kSaved,            // the link was set up and IPersistFile::Save was called
    kComNotFresh,      // COM was already initialised on this thread (or failed): nothing done
    kNoLinkObject,     // the link object or its persist-file interface is unavailable
};

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

    // Creates the shell link `linkPath` pointing to `target` with the
    // working folder `workingFolder` and nothing else set. The Win32
    // implementation initialises COM for the calling thread (apartment) and
    // goes on only when that is a fresh initialisation (S_OK); it ends COM
    // again before returning.
    virtual ShortcutResult CreateShortcut(const core::u16& target, const core::u16& workingFolder,
                                          const core::u16& linkPath) = 0;
};

}  // namespace os
