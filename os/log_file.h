// Appending to the diagnostic log file.
#pragma once

#include <string_view>

#include "core/text.h"

namespace os {

class LogSink {
public:
    virtual ~LogSink() = default;

    // Appends `bytes` unchanged (no translation of line ends) to the file
    // `path`, creating it when it does not exist, and closes it again before
    // returning, so each entry is on disk when the call returns. Returns
    // whether all bytes were written; callers may ignore it.
    //
    // The path names a fixed place that other accounts can prepare (the root
    // of drive C:), so the Win32 implementation must not write through a
    // link planted there: it opens the path with FILE_FLAG_OPEN_REPARSE_POINT
    // (never following a symbolic link or junction), and writes nothing when
    // the opened object is a reparse point, is not a plain file, or is a file
    // with more than one hard link (GetFileInformationByHandle
    // nNumberOfLinks > 1). Such a refusal counts as a failure.
    virtual bool AppendToLog(const core::u16& path, std::string_view bytes) = 0;
};

}  // namespace os
