#include "tools/common/stdio_fs.h"

#include <cstdio>
#include <system_error>

namespace tools {

namespace {

std::FILE* OpenFile(const std::filesystem::path& path, bool write) {
#ifdef _WIN32
    return _wfopen(path.c_str(), write ? L"wb" : L"rb");
#else
    return std::fopen(path.c_str(), write ? "wb" : "rb");
#endif
}

class StdioOutputFile : public os::OutputFile {
public:
    explicit StdioOutputFile(std::FILE* file) : file_(file) {}
    ~StdioOutputFile() override { std::fclose(file_); }
    bool Write(const void* data, std::size_t size) override {
        if (size == 0) return std::ferror(file_) == 0;
        return std::fwrite(data, 1, size, file_) == size && std::ferror(file_) == 0;
    }

private:
    std::FILE* file_;
};

class StdioInputFile : public os::InputFile {
public:
    explicit StdioInputFile(std::FILE* file) : file_(file) {}
    ~StdioInputFile() override { std::fclose(file_); }
    bool Read(void* buffer, std::size_t size, std::size_t* got) override {
        *got = std::fread(buffer, 1, size, file_);
        return std::ferror(file_) == 0;
    }
    bool Seek(std::uint64_t position) override {
        // fseek takes a long, which is 32 bits on Windows; the files read
        // here are far smaller than 2 GiB.
        if (position > 0x7FFFFFFFu) return false;
        return std::fseek(file_, static_cast<long>(position), SEEK_SET) == 0;
    }
    bool Size(std::uint64_t* size) override {
        const long here = std::ftell(file_);
        if (here < 0 || std::fseek(file_, 0, SEEK_END) != 0) return false;
        const long end = std::ftell(file_);
        if (end < 0 || std::fseek(file_, here, SEEK_SET) != 0) return false;
        *size = static_cast<std::uint64_t>(end);
        return true;
    }

private:
    std::FILE* file_;
};

}  // namespace

std::filesystem::path StdioFileSystem::NativePath(const core::u16& path) {
#ifdef _WIN32
    return std::filesystem::path(std::wstring(path.begin(), path.end()));
#else
    std::string utf8 = core::Utf16ToUtf8(path);
    for (char& c : utf8)
        if (c == '\\') c = '/';
    return std::filesystem::path(utf8);
#endif
}

core::u16 StdioFileSystem::FromNative(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::wstring wide = path.wstring();
    return core::u16(wide.begin(), wide.end());
#else
    core::u16 out = core::Utf8ToUtf16(path.string());
    for (char16_t& c : out)
        if (c == u'/') c = u'\\';
    return out;
#endif
}

std::unique_ptr<os::OutputFile> StdioFileSystem::CreateForWrite(const core::u16& path) {
    std::FILE* file = OpenFile(NativePath(path), true);
    return file ? std::make_unique<StdioOutputFile>(file) : nullptr;
}

std::unique_ptr<os::InputFile> StdioFileSystem::OpenForRead(const core::u16& path) {
    const auto native = NativePath(path);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(native, ec)) return nullptr;
    std::FILE* file = OpenFile(native, false);
    return file ? std::make_unique<StdioInputFile>(file) : nullptr;
}

bool StdioFileSystem::ReadFile(const core::u16& path, std::size_t limit,
                               std::vector<std::uint8_t>* contents) {
    auto file = OpenForRead(path);
    if (!file) return false;
    contents->clear();
    std::uint8_t buffer[65536];
    while (contents->size() < limit) {
        std::size_t want = limit - contents->size();
        if (want > sizeof buffer) want = sizeof buffer;
        std::size_t got = 0;
        if (!file->Read(buffer, want, &got)) return false;
        if (got == 0) break;
        contents->insert(contents->end(), buffer, buffer + got);
    }
    return true;
}

bool StdioFileSystem::CopyFileReplacing(const core::u16& source, const core::u16& target) {
    std::error_code ec;
    return std::filesystem::copy_file(NativePath(source), NativePath(target),
                                      std::filesystem::copy_options::overwrite_existing, ec) &&
           !ec;
}

bool StdioFileSystem::RemoveFile(const core::u16& path) {
    std::error_code ec;
    const auto native = NativePath(path);
    return std::filesystem::is_regular_file(native, ec) && std::filesystem::remove(native, ec);
}

bool StdioFileSystem::FileExists(const core::u16& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(NativePath(path), ec);
}

bool StdioFileSystem::DirectoryExists(const core::u16& path) {
    std::error_code ec;
    return std::filesystem::is_directory(NativePath(path), ec);
}

bool StdioFileSystem::MakeDirectory(const core::u16& path) {
    std::error_code ec;
    return std::filesystem::create_directory(NativePath(path), ec);
}

bool StdioFileSystem::ListDirectory(const core::u16& path, std::vector<os::DirEntry>* entries) {
    std::error_code ec;
    std::filesystem::directory_iterator it(NativePath(path), ec);
    if (ec) return false;
    entries->clear();
    for (const auto& item : it) {
        os::DirEntry entry;
        entry.name = FromNative(item.path().filename());
        entry.isDirectory = item.is_directory(ec);
        entries->push_back(std::move(entry));
    }
    return true;
}

}  // namespace tools
