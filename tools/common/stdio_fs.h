// os::FileSystem over the C and C++ standard libraries, for host tools and
// the benchmark (never part of the installer). UTF-16 paths are converted
// to UTF-8 with '\' mapped to '/' (on Windows hosts the path goes to the
// wide C runtime functions unchanged).
#pragma once

#include <filesystem>

#include "os/files.h"

namespace tools {

class StdioFileSystem : public os::FileSystem {
public:
    std::unique_ptr<os::OutputFile> CreateForWrite(const core::u16& path) override;
    std::unique_ptr<os::InputFile> OpenForRead(const core::u16& path) override;
    bool ReadFile(const core::u16& path, std::size_t limit, std::vector<std::uint8_t>* contents) override;
    bool CopyFileReplacing(const core::u16& source, const core::u16& target) override;
    bool RemoveFile(const core::u16& path) override;
    bool FileExists(const core::u16& path) override;
    bool DirectoryExists(const core::u16& path) override;
    bool MakeDirectory(const core::u16& path) override;
    bool ListDirectory(const core::u16& path, std::vector<os::DirEntry>* entries) override;

    static std::filesystem::path NativePath(const core::u16& path);
    static core::u16 FromNative(const std::filesystem::path& path);
};

}  // namespace tools
