// Initialization-file ("Text.ini") reading.
#pragma once

#include "core/text.h"

namespace os {

class ProfileReader {
public:
    virtual ~ProfileReader() = default;
    // The value of `key` in `section` of the initialization file `path`, as
    // GetPrivateProfileStringW reads it into a buffer of `capacity`
    // characters: at most capacity - 1 characters; `fallback` (cut the same
    // way) when the file, the section or the key is missing.
    virtual core::u16 ReadString(const core::u16& path, const core::u16& section,
                                 const core::u16& key, const core::u16& fallback,
                                 std::size_t capacity = 256) = 0;
};

// Initialization-file writing ("Uninstall.ini").
class ProfileWriter {
public:
    virtual ~ProfileWriter() = default;
    // WritePrivateProfileStringW: sets `key` in `section` of the file `path`,
    // creating the file when it is missing. False when it could not be written.
    virtual bool WriteString(const core::u16& path, const core::u16& section, const core::u16& key,
                             const core::u16& value) = 0;
};

}  // namespace os
