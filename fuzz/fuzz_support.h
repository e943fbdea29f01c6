// Shared pieces of the fuzz targets: a check that stops the run with a
// message (libFuzzer records the input as a crash), a model of how Windows
// resolves a path under a folder, and an in-memory file system that refuses
// - loudly - anything written outside its one root folder.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <zlib.h>

#include "core/text.h"
#include "os/files.h"

#define FUZZ_CHECK(condition)                                                                   \
    do {                                                                                        \
        if (!(condition)) {                                                                     \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                       \
        }                                                                                       \
    } while (0)

namespace fuzzsupport {

enum class PathPlace {
    kInside,    // a plain name strictly below the root
    kEscapes,   // resolves to the root itself or outside it, or to another drive
    kNotPlain,  // stays below the root only by Windows' rewriting (trailing dots or
                // blanks dropped, empty parts collapsed), or names a device or a stream
};

// How Windows would resolve `path` (the root, a '\', then a relative part)
// for CreateFileW: '\' and '/' both separate, "." stays, ".." goes up, a
// ':' names a stream or a drive, control characters and * ? " < > | are
// not file names, trailing dots and blanks of a part are dropped, and
// CON, PRN, AUX, NUL, COM1-9, LPT1-9 (also with superscript digits),
// CONIN$ and CONOUT$ name devices whatever their extension.
PathPlace ResolveUnder(core::u16view root, core::u16view path);

// FNV-1a over the bytes written, to compare two extractions.
struct Digest {
    std::uint64_t hash = 1469598103934665603ull;
    std::uint64_t size = 0;
    void Add(const void* data, std::size_t n);
    bool operator==(const Digest& o) const { return hash == o.hash && size == o.size; }
};

// A file system with the drive "C:" and one root folder. Creating,
// replacing or removing anything that ResolveUnder does not place inside the
// root stops the run. Files keep only a digest of their bytes.
class ContainedFileSystem : public os::FileSystem {
public:
    explicit ContainedFileSystem(core::u16 root);

    const core::u16& Root() const { return root_; }
    // Setting up, not checked: a folder that exists (with every level above
    // it), and a file that can be opened for reading over `data`.
    void AddDirectory(const core::u16& path);
    void AddInput(const core::u16& path, const std::uint8_t* data, std::size_t size);
    const std::map<std::string, Digest>& FilesWritten() const { return files_; }
    const Digest* File(const core::u16& path) const;

    std::unique_ptr<os::OutputFile> CreateForWrite(const core::u16& path) override;
    std::unique_ptr<os::InputFile> OpenForRead(const core::u16& path) override;
    bool ReadFile(const core::u16& path, std::size_t limit, std::vector<std::uint8_t>* contents) override;
    bool CopyFileReplacing(const core::u16& source, const core::u16& target) override;
    bool RemoveFile(const core::u16& path) override;
    bool FileExists(const core::u16& path) override;
    bool DirectoryExists(const core::u16& path) override;
    bool MakeDirectory(const core::u16& path) override;
    bool ListDirectory(const core::u16& path, std::vector<os::DirEntry>* entries) override;

private:
    static std::string Key(const core::u16& path);
    static std::string Parent(const std::string& key);
    void CheckInside(const core::u16& path, const char* what) const;

    core::u16 root_;
    std::set<std::string> dirs_;
    std::map<std::string, std::pair<const std::uint8_t*, std::size_t>> inputs_;
    std::map<std::string, Digest> files_;
};

// An open file over a byte buffer (the executable image of the appended form).
class MemoryInputFile : public os::InputFile {
public:
    MemoryInputFile(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Read(void* buffer, std::size_t size, std::size_t* got) override;
    bool Seek(std::uint64_t position) override;
    bool Size(std::uint64_t* size) override;

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::uint64_t position_ = 0;
};

}  // namespace fuzzsupport
