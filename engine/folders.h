// Creating folder paths below a drive.
#pragma once

#include <cstddef>

#include "core/text.h"
#include "os/files.h"

namespace engine {

// Folder paths are built in 256-unit buffers.
constexpr std::size_t kMaxFolderPath = 255;

// Creates every missing folder of an absolute path "X:\...". Returns 1 when
// the folder exists afterwards, 0 when the path is longer than 255 units (it
// is refused, never cut), its second unit is not ':', the drive (first two
// units) is not accessible, or a level cannot be created. Levels are the
// prefixes before each backslash from the fourth unit on; a trailing
// backslash ends the work.
int CreateFolderPath(os::FileSystem& fs, const core::u16& path);

}  // namespace engine
