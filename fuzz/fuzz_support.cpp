#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <cstring>

namespace fuzzsupport {

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool IsBadCharacter(char16_t c) {
    return c < 0x20 || c == u':' || c == u'*' || c == u'?' || c == u'"' || c == u'<' || c == u'>' ||
           c == u'|';
}

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c; }

bool NamesDevice(core::u16view part) {
    core::u16 base(part.substr(0, part.find(u'.')));
    while (!base.empty() && base.back() == u' ') base.pop_back();
    for (auto& c : base) c = Upper(c);
    if (base == u"CON" || base == u"PRN" || base == u"AUX" || base == u"NUL" || base == u"CONIN$" ||
        base == u"CONOUT$")
        return true;
    if (base.size() == 4 && (base.compare(0, 3, u"COM") == 0 || base.compare(0, 3, u"LPT") == 0)) {
        const char16_t d = base[3];
        return (d >= u'1' && d <= u'9') || d == 0xB9 || d == 0xB2 || d == 0xB3;
    }
    return false;
}

}  // namespace

PathPlace ResolveUnder(core::u16view root, core::u16view path) {
    if (path.size() <= root.size() + 1 || path.substr(0, root.size()) != root || path[root.size()] != u'\\')
        return PathPlace::kEscapes;
    const core::u16view rest = path.substr(root.size() + 1);
    bool plain = true;
    std::vector<core::u16view> stack;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = start;
        while (end < rest.size() && !IsSeparator(rest[end])) ++end;
        const core::u16view part = rest.substr(start, end - start);
        if (part.empty()) {
            plain = false;  // collapsed by Windows
        } else if (part == u".") {
            plain = false;
        } else if (part == u"..") {
            if (stack.empty()) return PathPlace::kEscapes;
            stack.pop_back();
            plain = false;
        } else {
            for (const char16_t c : part) {
                if (c == u':') return PathPlace::kEscapes;  // a drive or a stream of something else
                if (IsBadCharacter(c)) plain = false;
            }
            core::u16view kept = part;
            while (!kept.empty() && (kept.back() == u'.' || kept.back() == u' ')) kept.remove_suffix(1);
            if (kept.size() != part.size()) plain = false;
            if (kept.empty()) {
                plain = false;
            } else {
                if (NamesDevice(kept)) plain = false;
                stack.push_back(kept);
            }
        }
        if (end >= rest.size()) break;
        start = end + 1;
    }
    if (stack.empty()) return PathPlace::kEscapes;
    return plain ? PathPlace::kInside : PathPlace::kNotPlain;
}

void Digest::Add(const void* data, std::size_t n) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < n; ++i) {
        hash ^= p[i];
        hash *= 1099511628211ull;
    }
    size += n;
}

namespace {

class DigestOutputFile : public os::OutputFile {
public:
    explicit DigestOutputFile(Digest* digest) : digest_(digest) {}
    bool Write(const void* data, std::size_t size) override {
        digest_->Add(data, size);
        return true;
    }

private:
    Digest* digest_;
};

}  // namespace

ContainedFileSystem::ContainedFileSystem(core::u16 root) : root_(std::move(root)) {
    dirs_.insert("c:");
    AddDirectory(root_);
}

void ContainedFileSystem::AddDirectory(const core::u16& path) {
    const std::string k = Key(path);
    for (std::size_t pos = k.find('\\'); pos != std::string::npos; pos = k.find('\\', pos + 1))
        dirs_.insert(k.substr(0, pos));
    dirs_.insert(k);
}

void ContainedFileSystem::AddInput(const core::u16& path, const std::uint8_t* data, std::size_t size) {
    inputs_[Key(path)] = {data, size};
}

std::string ContainedFileSystem::Key(const core::u16& path) {
    std::string k = core::Utf16ToUtf8(path);
    for (char& c : k) c = core::AsciiLower(c);
    return k;
}

std::string ContainedFileSystem::Parent(const std::string& key) {
    const auto slash = key.rfind('\\');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

void ContainedFileSystem::CheckInside(const core::u16& path, const char* what) const {
    if (ResolveUnder(root_, path) != PathPlace::kInside) {
        std::fprintf(stderr, "%s outside the root folder: %s\n", what, core::Utf16ToUtf8(path).c_str());
        std::abort();
    }
}

const Digest* ContainedFileSystem::File(const core::u16& path) const {
    const auto it = files_.find(Key(path));
    return it == files_.end() ? nullptr : &it->second;
}

std::unique_ptr<os::OutputFile> ContainedFileSystem::CreateForWrite(const core::u16& path) {
    CheckInside(path, "file created");
    const std::string k = Key(path);
    if (dirs_.count(k) || !dirs_.count(Parent(k))) return nullptr;
    Digest& digest = files_[k];
    digest = Digest();
    return std::make_unique<DigestOutputFile>(&digest);
}

std::unique_ptr<os::InputFile> ContainedFileSystem::OpenForRead(const core::u16& path) {
    const auto it = inputs_.find(Key(path));
    if (it == inputs_.end()) return nullptr;
    return std::make_unique<MemoryInputFile>(it->second.first, it->second.second);
}

bool ContainedFileSystem::ReadFile(const core::u16&, std::size_t, std::vector<std::uint8_t>*) { return false; }

bool ContainedFileSystem::CopyFileReplacing(const core::u16& source, const core::u16& target) {
    CheckInside(target, "file copied");
    const auto from = files_.find(Key(source));
    const std::string k = Key(target);
    if (from == files_.end() || dirs_.count(k) || !dirs_.count(Parent(k))) return false;
    files_[k] = from->second;
    return true;
}

bool ContainedFileSystem::RemoveFile(const core::u16& path) {
    CheckInside(path, "file removed");
    return files_.erase(Key(path)) != 0;
}

bool ContainedFileSystem::FileExists(const core::u16& path) { return files_.count(Key(path)) != 0; }

bool ContainedFileSystem::DirectoryExists(const core::u16& path) { return dirs_.count(Key(path)) != 0; }

bool ContainedFileSystem::MakeDirectory(const core::u16& path) {
    CheckInside(path, "folder created");
    const std::string k = Key(path);
    if (dirs_.count(k) || files_.count(k) || !dirs_.count(Parent(k))) return false;
    dirs_.insert(k);
    return true;
}

bool ContainedFileSystem::ListDirectory(const core::u16& path, std::vector<os::DirEntry>* entries) {
    const std::string k = Key(path);
    if (!dirs_.count(k)) return false;
    entries->clear();
    for (const auto& [file, digest] : files_)
        if (Parent(file) == k) entries->push_back({core::Utf8ToUtf16(file.substr(k.size() + 1)), false});
    for (const auto& dir : dirs_)
        if (dir != k && Parent(dir) == k) entries->push_back({core::Utf8ToUtf16(dir.substr(k.size() + 1)), true});
    return true;
}

bool MemoryInputFile::Read(void* buffer, std::size_t size, std::size_t* got) {
    const std::uint64_t left = position_ < size_ ? size_ - position_ : 0;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, left));
    if (n) std::memcpy(buffer, data_ + position_, n);
    position_ += n;
    *got = n;
    return true;
}

bool MemoryInputFile::Seek(std::uint64_t position) {
    position_ = position;
    return true;
}

bool MemoryInputFile::Size(std::uint64_t* size) {
    *size = size_;
    return true;
}

}  // namespace fuzzsupport
