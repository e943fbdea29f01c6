#include "fakes/fake_fs.h"

#include <algorithm>
#include <cstring>

namespace fakes {

namespace {

class FakeOutputFile : public os::OutputFile {
public:
    FakeOutputFile(std::vector<std::uint8_t>* bytes, std::size_t failAfter)
        : bytes_(bytes), failAfter_(failAfter) {}
    bool Write(const void* data, std::size_t size) override {
        const auto* p = static_cast<const std::uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            if (bytes_->size() >= failAfter_) return false;
            bytes_->push_back(p[i]);
        }
        return true;
    }

private:
    std::vector<std::uint8_t>* bytes_;
    std::size_t failAfter_;
};

class FakeInputFile : public os::InputFile {
public:
    FakeInputFile(std::vector<std::uint8_t> bytes, std::size_t failAfter)
        : bytes_(std::move(bytes)), failAfter_(failAfter) {}
    bool Read(void* buffer, std::size_t size, std::size_t* got) override {
        *got = 0;
        if (read_ >= failAfter_) return false;
        const std::size_t left = pos_ < bytes_.size() ? bytes_.size() - pos_ : 0;
        const std::size_t n = std::min({size, left, failAfter_ - read_});
        if (n) std::memcpy(buffer, bytes_.data() + pos_, n);
        pos_ += n;
        read_ += n;
        *got = n;
        return true;
    }
    bool Seek(std::uint64_t position) override {
        pos_ = static_cast<std::size_t>(position);
        return true;
    }
    bool Size(std::uint64_t* size) override {
        *size = bytes_.size();
        return true;
    }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t failAfter_;
    std::size_t pos_ = 0;
    std::size_t read_ = 0;
};

}  // namespace

FakeFileSystem::FakeFileSystem() = default;

std::string FakeFileSystem::Key(const core::u16& path) {
    std::string k = core::Utf16ToUtf8(path);
    for (char& c : k) c = core::AsciiLower(c);
    while (k.size() > 2 && k.back() == '\\') k.pop_back();
    if (k.size() == 3 && k[1] == ':' && k[2] == '\\') k.pop_back();
    return k;
}

std::string FakeFileSystem::Parent(const std::string& key) {
    const auto slash = key.rfind('\\');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

void FakeFileSystem::AddDrive(const core::u16& drive) { dirs_[Key(drive)] = drive; }

void FakeFileSystem::AddDirectory(const core::u16& path) {
    std::string k = Key(path);
    std::size_t pos = 0;
    while ((pos = k.find('\\', pos + 1)) != std::string::npos) {
        const std::string prefix = k.substr(0, pos);
        if (!dirs_.count(prefix)) dirs_[prefix] = core::Utf8ToUtf16(prefix);
    }
    dirs_[k] = path;
}

void FakeFileSystem::AddFile(const core::u16& path, const std::vector<std::uint8_t>& bytes) {
    const std::string k = Key(path);
    AddDirectory(core::Utf8ToUtf16(Parent(k)));
    const auto slash = path.rfind(u'\\');
    files_[k] = File{slash == core::u16::npos ? path : path.substr(slash + 1), bytes};
}

void FakeFileSystem::AddFile(const core::u16& path, const std::string& bytes) {
    AddFile(path, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

bool FakeFileSystem::HasFile(const core::u16& path) const { return files_.count(Key(path)) != 0; }

std::vector<std::uint8_t> FakeFileSystem::Contents(const core::u16& path) const {
    const auto it = files_.find(Key(path));
    return it == files_.end() ? std::vector<std::uint8_t>() : it->second.bytes;
}

std::string FakeFileSystem::ContentsString(const core::u16& path) const {
    const auto bytes = Contents(path);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<core::u16> FakeFileSystem::Files() const {
    std::vector<core::u16> out;
    for (const auto& [key, file] : files_) out.push_back(core::Utf8ToUtf16(key));
    return out;
}

std::unique_ptr<os::OutputFile> FakeFileSystem::CreateForWrite(const core::u16& path) {
    const std::string k = Key(path);
    if (failCreate_.count(k) || dirs_.count(k) || !dirs_.count(Parent(k))) return nullptr;
    const auto slash = path.rfind(u'\\');
    File& f = files_[k];
    f.name = slash == core::u16::npos ? path : path.substr(slash + 1);
    f.bytes.clear();
    ++createCount;
    const auto fail = failWriteAfter_.find(k);
    return std::make_unique<FakeOutputFile>(&f.bytes,
                                            fail == failWriteAfter_.end() ? SIZE_MAX : fail->second);
}

std::unique_ptr<os::InputFile> FakeFileSystem::OpenForRead(const core::u16& path) {
    const auto it = files_.find(Key(path));
    if (it == files_.end()) return nullptr;
    const auto fail = failReadAfter_.find(it->first);
    return std::make_unique<FakeInputFile>(it->second.bytes,
                                           fail == failReadAfter_.end() ? SIZE_MAX : fail->second);
}

bool FakeFileSystem::ReadFile(const core::u16& path, std::size_t limit,
                              std::vector<std::uint8_t>* contents) {
    const auto it = files_.find(Key(path));
    if (it == files_.end()) return false;
    const auto& bytes = it->second.bytes;
    contents->assign(bytes.begin(), bytes.begin() + std::min(limit, bytes.size()));
    return true;
}

bool FakeFileSystem::CopyFileReplacing(const core::u16& source, const core::u16& target) {
    const auto from = files_.find(Key(source));
    const std::string to = Key(target);
    if (from == files_.end() || failCreate_.count(to) || dirs_.count(to) || !dirs_.count(Parent(to))) return false;
    const std::vector<std::uint8_t> bytes = from->second.bytes;
    auto existing = files_.find(to);
    files_[to] = File{existing == files_.end() ? target : existing->second.name, bytes};
    return true;
}

bool FakeFileSystem::RemoveFile(const core::u16& path) { return files_.erase(Key(path)) != 0; }

bool FakeFileSystem::FileExists(const core::u16& path) { return files_.count(Key(path)) != 0; }

bool FakeFileSystem::DirectoryExists(const core::u16& path) { return dirs_.count(Key(path)) != 0; }

bool FakeFileSystem::MakeDirectory(const core::u16& path) {
    const std::string k = Key(path);
    if (failDir_.count(k) || dirs_.count(k) || files_.count(k) || !dirs_.count(Parent(k))) return false;
    dirs_[k] = path;
    return true;
}

bool FakeFileSystem::ListDirectory(const core::u16& path, std::vector<os::DirEntry>* entries) {
    const std::string k = Key(path);
    if (!dirs_.count(k)) return false;
    entries->clear();
    for (const auto& [key, dir] : dirs_)
        if (Parent(key) == k && key != k) {
            const auto slash = dir.rfind(u'\\');
            entries->push_back({slash == core::u16::npos ? dir : dir.substr(slash + 1), true});
        }
    for (const auto& [key, file] : files_)
        if (Parent(key) == k) entries->push_back({file.name, false});
    return true;
}

}  // namespace fakes
