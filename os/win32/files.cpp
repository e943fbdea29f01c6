#include <windows.h>

#include <string>

#include "os/win32/services.h"
#include "win/handles.h"

namespace oswin {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");

namespace {

class Win32OutputFile : public os::OutputFile {
public:
    explicit Win32OutputFile(win::UniqueFile file) : file_(std::move(file)) {}
    bool Write(const void* data, std::size_t size) override {
        const auto* p = static_cast<const BYTE*>(data);
        while (size > 0) {
            const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!::WriteFile(file_.Get(), p, chunk, &written, nullptr) || written != chunk) return false;
            p += chunk;
            size -= chunk;
        }
        return true;
    }

private:
    win::UniqueFile file_;
};

class Win32InputFile : public os::InputFile {
public:
    explicit Win32InputFile(win::UniqueFile file) : file_(std::move(file)) {}
    bool Read(void* buffer, std::size_t size, std::size_t* got) override {
        DWORD read = 0;
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        const BOOL ok = ::ReadFile(file_.Get(), buffer, chunk, &read, nullptr);
        *got = ok ? read : 0;
        return ok != FALSE;
    }
    bool Seek(std::uint64_t position) override {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(position);
        return ::SetFilePointerEx(file_.Get(), to, nullptr, FILE_BEGIN) != FALSE;
    }
    bool Size(std::uint64_t* size) override {
        LARGE_INTEGER s;
        if (!::GetFileSizeEx(file_.Get(), &s)) return false;
        *size = static_cast<std::uint64_t>(s.QuadPart);
        return true;
    }

private:
    win::UniqueFile file_;
};

}  // namespace

std::unique_ptr<os::OutputFile> FileSystem::CreateForWrite(const core::u16& path) {
    win::UniqueFile file(::CreateFileW(W(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    return std::make_unique<Win32OutputFile>(std::move(file));
}

std::unique_ptr<os::InputFile> FileSystem::OpenForRead(const core::u16& path) {
    win::UniqueFile file(::CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    return std::make_unique<Win32InputFile>(std::move(file));
}

bool FileSystem::ReadFile(const core::u16& path, std::size_t limit, std::vector<std::uint8_t>* contents) {
    auto file = OpenForRead(path);
    if (!file) return false;
    contents->clear();
    std::uint8_t buffer[16384];
    while (contents->size() < limit) {
        std::size_t got = 0;
        const std::size_t want = std::min(sizeof(buffer), limit - contents->size());
        if (!file->Read(buffer, want, &got) || got == 0) break;
        contents->insert(contents->end(), buffer, buffer + got);
    }
    return true;
}

bool FileSystem::CopyFileReplacing(const core::u16& source, const core::u16& target) {
    return ::CopyFileW(W(source), W(target), FALSE) != FALSE;
}

bool FileSystem::RemoveFile(const core::u16& path) { return ::DeleteFileW(W(path)) != FALSE; }

bool FileSystem::FileExists(const core::u16& path) {
    const DWORD attributes = ::GetFileAttributesW(W(path));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileSystem::DirectoryExists(const core::u16& path) {
    const DWORD attributes = ::GetFileAttributesW(W(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileSystem::MakeDirectory(const core::u16& path) { return ::CreateDirectoryW(W(path), nullptr) != FALSE; }

bool FileSystem::ListDirectory(const core::u16& path, std::vector<os::DirEntry>* entries) {
    const core::u16 pattern = path + u"\\*.*";
    WIN32_FIND_DATAW data;
    win::UniqueFind find(::FindFirstFileW(W(pattern), &data));
    if (!find) return false;
    entries->clear();
    do {
        const core::u16 name = U16(data.cFileName);
        if (name == u"." || name == u"..") continue;
        entries->push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (::FindNextFileW(find.Get(), &data));
    return true;
}

core::u16 ProfileReader::ReadString(const core::u16& path, const core::u16& section, const core::u16& key,
                                    const core::u16& fallback, std::size_t capacity) {
    if (capacity == 0) return core::u16();
    std::wstring buffer(capacity, L'\0');
    const DWORD got = ::GetPrivateProfileStringW(W(section), W(key), W(fallback), buffer.data(),
                                                 static_cast<DWORD>(capacity), W(path));
    buffer.resize(got < capacity ? got : capacity - 1);
    return U16(buffer);
}

bool ProfileWriter::WriteString(const core::u16& path, const core::u16& section, const core::u16& key,
                                const core::u16& value) {
    return ::WritePrivateProfileStringW(W(section), W(key), W(value), W(path)) != FALSE;
}

FileSystem& Files() {
    static FileSystem instance;
    return instance;
}

ProfileReader& Profiles() {
    static ProfileReader instance;
    return instance;
}

ProfileWriter& ProfileWrites() {
    static ProfileWriter instance;
    return instance;
}

}  // namespace oswin
