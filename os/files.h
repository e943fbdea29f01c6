// File-system service used by the portable code.
//
// Paths are UTF-16 and absolute (or, when the shell gave no folder, rooted at
// the current drive, as Windows resolves "\name"). The Win32 implementation
// lives in os/win32; tests use the in-memory fake in tests/unit/fakes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/text.h"

namespace os {

// An open file being written. Closing happens in the destructor.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    // Writes all `size` bytes; false when anything could not be written.
    virtual bool Write(const void* data, std::size_t size) = 0;
};

// An open file being read sequentially (the installer's own image, for the
// appended container form).
class InputFile {
public:
    virtual ~InputFile() = default;
    // Reads up to `size` bytes at the current position. False on a read
    // error; *got is 0 at the end of the file.
    virtual bool Read(void* buffer, std::size_t size, std::size_t* got) = 0;
    virtual bool Seek(std::uint64_t position) = 0;
    virtual bool Size(std::uint64_t* size) = 0;
};

struct DirEntry {
    core::u16 name;
    bool isDirectory = false;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Creates the file, replacing an existing one; null when it cannot be
    // created (missing folder, access denied, a folder of that name).
    virtual std::unique_ptr<OutputFile> CreateForWrite(const core::u16& path) = 0;

    // Opens an existing file for reading; null when it cannot be opened.
    virtual std::unique_ptr<InputFile> OpenForRead(const core::u16& path) = 0;

    // Reads at most `limit` bytes from the start of the file. False when the
    // file cannot be opened; a longer file yields its first `limit` bytes.
    virtual bool ReadFile(const core::u16& path, std::size_t limit,
                          std::vector<std::uint8_t>* contents) = 0;

    // Copies `source` to `target`, replacing an existing target (CopyFileW
    // with bFailIfExists FALSE). False when it could not be copied.
    virtual bool CopyFileReplacing(const core::u16& source, const core::u16& target) = 0;

    virtual bool RemoveFile(const core::u16& path) = 0;
    virtual bool FileExists(const core::u16& path) = 0;       // a file, not a folder
    virtual bool DirectoryExists(const core::u16& path) = 0;  // a folder, or a drive root
    virtual bool MakeDirectory(const core::u16& path) = 0;  // one level
    // Lists one folder (not recursive, without "." and ".."); false when the
    // listing cannot be started.
    virtual bool ListDirectory(const core::u16& path, std::vector<DirEntry>* entries) = 0;
};

}  // namespace os
