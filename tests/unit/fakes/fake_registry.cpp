#include "fakes/fake_registry.h"

namespace fakes {

class FakeKey : public os::RegistryKey {
public:
    FakeKey(FakeRegistry& registry, std::string key, bool writable)
        : registry_(registry), key_(std::move(key)), writable_(writable) {}

    bool ReadString(std::string_view name, std::string* value) override {
        value->clear();
        const auto& values = Node().values;
        const auto it = values.find(FakeRegistry::Key(name));
        if (it == values.end() || it->second.size() > os::kMaxRegistryText) return false;
        *value = it->second;
        return true;
    }

    os::SubKeyResult SubKeyName(std::uint32_t index, std::string* name) override {
        name->clear();
        const auto& children = Node().children;
        if (index >= children.size()) return os::SubKeyResult::NoMore;
        if (children[index].size() > os::kMaxRegistryText) return os::SubKeyResult::TooLong;
        *name = children[index];
        return os::SubKeyResult::Found;
    }

    bool SetString(const core::u16& name, const core::u16& value, std::uint32_t* error) override {
        if (!writable_ || registry_.failSet_) {
            if (error) *error = 5;  // ERROR_ACCESS_DENIED
            return false;
        }
        Node().wide[name] = value;
        return true;
    }

    bool DeleteValue(const core::u16& name) override {
        if (!writable_) return false;
        Node().wide.erase(name);
        Node().values.erase(FakeRegistry::Key(name));
        return true;
    }

private:
    FakeRegistry::Node& Node() { return registry_.keys_[key_]; }
    FakeRegistry& registry_;
    std::string key_;
    bool writable_;
};

std::string FakeRegistry::Key(std::string_view path) {
    std::string key;
    for (const char c : path) key.push_back(core::AsciiLower(c));
    while (!key.empty() && key.back() == '\\') key.pop_back();
    return key;
}

std::string FakeRegistry::Key(const core::u16& path) { return Key(core::Utf16ToUtf8(path)); }

void FakeRegistry::AddKey(const std::string& path) {
    std::size_t start = 0;
    std::string parent;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        const std::string name = path.substr(start, end - start);
        const std::string full = parent.empty() ? name : parent + "\\" + name;
        if (!name.empty() && keys_.count(Key(full)) == 0) {
            keys_[Key(full)];
            if (!parent.empty()) keys_[Key(parent)].children.push_back(name);
        }
        parent = full;
        start = end + 1;
    }
}

void FakeRegistry::SetValue(const std::string& path, const std::string& name, const std::string& value) {
    AddKey(path);
    keys_[Key(path)].values[Key(name)] = value;
}

core::u16 FakeRegistry::WideValue(const core::u16& path, const core::u16& name) const {
    const auto key = keys_.find(Key(path));
    if (key == keys_.end()) return {};
    const auto it = key->second.wide.find(name);
    return it == key->second.wide.end() ? core::u16() : it->second;
}

bool FakeRegistry::HasWideValue(const core::u16& path, const core::u16& name) const {
    const auto key = keys_.find(Key(path));
    return key != keys_.end() && key->second.wide.count(name) != 0;
}

std::unique_ptr<os::RegistryKey> FakeRegistry::OpenForRead(std::string_view path) {
    opened.emplace_back(path);
    const std::string key = Key(path);
    if (failOpen_.count(key) != 0 || keys_.count(key) == 0) return nullptr;
    return std::make_unique<FakeKey>(*this, key, false);
}

std::unique_ptr<os::RegistryKey> FakeRegistry::CreateKey(const core::u16& path) {
    const std::string key = Key(path);
    if (failCreate_.count(key) != 0) return nullptr;
    AddKey(core::Utf16ToUtf8(path));
    return std::make_unique<FakeKey>(*this, key, true);
}

std::unique_ptr<os::RegistryKey> FakeRegistry::CreateKey(const core::u16& path, os::RegistryView) {
    return CreateKey(path);
}

std::unique_ptr<os::RegistryKey> FakeRegistry::OpenForWrite(const core::u16& path, os::RegistryView) {
    const std::string key = Key(path);
    if (failOpen_.count(key) != 0 || keys_.count(key) == 0) return nullptr;
    return std::make_unique<FakeKey>(*this, key, true);
}

}  // namespace fakes
