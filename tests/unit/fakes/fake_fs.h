// In-memory file system for the unit tests.
//
// Paths are compared without regard to ASCII case, as on Windows. A file can
// be created only in an existing folder; drives are folders added with
// AddDrive ("C:"). Failures can be injected per path.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "os/files.h"

namespace fakes {

class FakeFileSystem : public os::FileSystem {
public:
    FakeFileSystem();

    void AddDrive(const core::u16& drive);  // "C:"
    void AddDirectory(const core::u16& path);  // creates every missing level
    void AddFile(const core::u16& path, const std::vector<std::uint8_t>& bytes);
    void AddFile(const core::u16& path, const std::string& bytes);

    bool HasFile(const core::u16& path) const;
    std::vector<std::uint8_t> Contents(const core::u16& path) const;
    std::string ContentsString(const core::u16& path) const;
    std::vector<core::u16> Files() const;  // every file, full paths, sorted

    // Injected failures.
    void FailCreate(const core::u16& path) { failCreate_.insert(Key(path)); }
    void FailDirectory(const core::u16& path) { failDir_.insert(Key(path)); }
    // Writes to this path fail once `bytes` bytes have been written.
    void FailWriteAfter(const core::u16& path, std::size_t bytes) { failWriteAfter_[Key(path)] = bytes; }
    // Reads of this path fail once `bytes` bytes have been read.
    void FailReadAfter(const core::u16& path, std::size_t bytes) { failReadAfter_[Key(path)] = bytes; }

    std::unique_ptr<os::OutputFile> CreateForWrite(const core::u16& path) override;
    std::unique_ptr<os::InputFile> OpenForRead(const core::u16& path) override;
    bool ReadFile(const core::u16& path, std::size_t limit, std::vector<std::uint8_t>* contents) override;
    bool CopyFileReplacing(const core::u16& source, const core::u16& target) override;
    bool RemoveFile(const core::u16& path) override;
    bool FileExists(const core::u16& path) override;
    bool DirectoryExists(const core::u16& path) override;
    bool MakeDirectory(const core::u16& path) override;
    bool ListDirectory(const core::u16& path, std::vector<os::DirEntry>* entries) override;

    int createCount = 0;  // successful CreateForWrite calls

private:
    friend class FakeOutput;
    static std::string Key(const core::u16& path);  // lower-cased UTF-8, no trailing '\'
    static std::string Parent(const std::string& key);

    struct File {
        core::u16 name;  // as created
        std::vector<std::uint8_t> bytes;
    };
    std::map<std::string, File> files_;
    std::map<std::string, core::u16> dirs_;
    std::set<std::string> failCreate_, failDir_;
    std::map<std::string, std::size_t> failWriteAfter_, failReadAfter_;
};

}  // namespace fakes
