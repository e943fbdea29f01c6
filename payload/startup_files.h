// Start-up extraction: writes the wizard texts, the model list, the logo
// and the Text.ini overrides from the memory copy of the container into the
// working folder.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/text.h"
#include "os/files.h"
#include "os/system.h"
#include "payload/extract.h"

namespace payload {

// Extracts, in container order, every member whose name equals one of
// kStartupNames (ASCII case ignored) to workingFolder + "\" + the start-up
// name as the list spells it. Members with any other name, or a name that
// the member-name rules reject, are skipped; a member that fails to extract
// is skipped and the others are still written. One counter, starting at 0,
// runs through the members against the container's size. A null container
// or one with no members writes nothing.
//
// Names are judged on their characters after conversion with `codePage`
// (ToSafeMemberName), so that a double-byte name whose second byte is '\'
// or '|' is neither refused nor split.
void ExtractStartupFiles(const std::uint8_t* container, std::size_t size,
                         const core::u16& workingFolder, os::FileSystem& fs,
                         const ProgressSink& progress, os::CodePage& codePage);

// The same, judging names byte by byte (IsSafeMemberName on the 8-bit
// name), for callers that have no code page service.
void ExtractStartupFiles(const std::uint8_t* container, std::size_t size,
                         const core::u16& workingFolder, os::FileSystem& fs,
                         const ProgressSink& progress);

}  // namespace payload
