#include "fakes/fake_registry.h"

namespace fakes {

class FakeKey : public os::RegistryKey {
public:
    FakeKey(FakeRegistry& registry, FakeRegistry::View view, std::string key, bool writable)
        : registry_(registry), view_(view), key_(std::move(key)), writable_(writable) {}
    ~FakeKey() override {
        if (writable_) registry_.Record(std::string("CloseKey ") + key_);
    }

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
        registry_.Record("SetString", name);
        if (!writable_ || registry_.failSet_ || registry_.failValues_.count(name) != 0) {
            if (error) *error = 5;  // ERROR_ACCESS_DENIED
            return false;
        }
        Node().wide[name] = value;
        Node().writeOrder.push_back(name);
        return true;
    }

    bool DeleteValue(const core::u16& name) override {
        registry_.Record("DeleteValue", name);
        if (!writable_) return false;
        Node().wide.erase(name);
        Node().values.erase(FakeRegistry::Key(name));
        return true;
    }

private:
    FakeRegistry::Node& Node() { return registry_.TreeOf(view_)[key_]; }
    FakeRegistry& registry_;
    FakeRegistry::View view_;
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

void FakeRegistry::AddKey(const std::string& path, View view) {
    Tree& tree = TreeOf(view);
    std::size_t start = 0;
    std::string parent;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        const std::string name = path.substr(start, end - start);
        const std::string full = parent.empty() ? name : parent + "\\" + name;
        if (!name.empty() && tree.count(Key(full)) == 0) {
            tree[Key(full)];
            if (!parent.empty()) tree[Key(parent)].children.push_back(name);
        }
        parent = full;
        start = end + 1;
    }
}

void FakeRegistry::SetValue(const std::string& path, const std::string& name, const std::string& value) {
    AddKey(path);
    keys64_[Key(path)].values[Key(name)] = value;
}

void FakeRegistry::SetWideValue(const core::u16& path, const core::u16& name, const core::u16& value,
                                View view) {
    AddKey(core::Utf16ToUtf8(path), view);
    TreeOf(view)[Key(path)].wide[name] = value;
}

bool FakeRegistry::HasKey(const std::string& path, View view) const { return TreeOf(view).count(Key(path)) != 0; }

bool FakeRegistry::HasKey(const core::u16& path, View view) const { return TreeOf(view).count(Key(path)) != 0; }

const FakeRegistry::Node* FakeRegistry::Find(const core::u16& path, View view) const {
    const auto key = TreeOf(view).find(Key(path));
    return key == TreeOf(view).end() ? nullptr : &key->second;
}

core::u16 FakeRegistry::WideValue(const core::u16& path, const core::u16& name, View view) const {
    const Node* node = Find(path, view);
    if (node == nullptr) return {};
    const auto it = node->wide.find(name);
    return it == node->wide.end() ? core::u16() : it->second;
}

bool FakeRegistry::HasWideValue(const core::u16& path, const core::u16& name, View view) const {
    const Node* node = Find(path, view);
    return node != nullptr && node->wide.count(name) != 0;
}

std::vector<core::u16> FakeRegistry::WriteOrder(const core::u16& path, View view) const {
    const Node* node = Find(path, view);
    return node == nullptr ? std::vector<core::u16>() : node->writeOrder;
}

std::size_t FakeRegistry::WideValueCount(const core::u16& path, View view) const {
    const Node* node = Find(path, view);
    return node == nullptr ? 0 : node->wide.size();
}

std::unique_ptr<os::RegistryKey> FakeRegistry::OpenForRead(std::string_view path) {
    opened.emplace_back(path);
    const std::string key = Key(path);
    if (failOpen_.count(key) != 0 || keys64_.count(key) == 0) return nullptr;
    return std::make_unique<FakeKey>(*this, View::k64Bit, key, false);
}

std::unique_ptr<os::RegistryKey> FakeRegistry::CreateKey(const core::u16& path) {
    return CreateKey(path, View::k64Bit);
}

std::unique_ptr<os::RegistryKey> FakeRegistry::CreateKey(const core::u16& path, View view) {
    Record(std::string("CreateKey ") + ViewName(view), path);
    const std::string key = Key(path);
    if (failCreate_.count(key) != 0) return nullptr;
    AddKey(core::Utf16ToUtf8(path), view);
    return std::make_unique<FakeKey>(*this, view, key, true);
}

std::unique_ptr<os::RegistryKey> FakeRegistry::OpenForWrite(const core::u16& path, View view) {
    Record(std::string("OpenForWrite ") + ViewName(view), path);
    const std::string key = Key(path);
    if (failOpen_.count(key) != 0 || TreeOf(view).count(key) == 0) return nullptr;
    return std::make_unique<FakeKey>(*this, view, key, true);
}

}  // namespace fakes
