#include <windows.h>

#include <string>

#include "os/win32/services.h"
#include "win/handles.h"

namespace oswin {

namespace {

class Key : public os::RegistryKey {
public:
    explicit Key(HKEY key) : key_(key) {}

    bool ReadString(std::string_view name, std::string* value) override {
        value->clear();
        const std::string valueName(name);
        char buffer[os::kMaxRegistryText + 1] = {};
        DWORD type = 0;
        DWORD size = sizeof(buffer);
        const LONG rc = ::RegQueryValueExA(key_.Get(), valueName.c_str(), nullptr, &type,
                                           reinterpret_cast<BYTE*>(buffer), &size);
        if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
        // The stored data need not be terminated: take what is there, up to
        // the first terminator.
        size_t length = 0;
        while (length < size && length < os::kMaxRegistryText && buffer[length]) ++length;
        if (length == size && size == sizeof(buffer)) return false;  // no room for the terminator
        value->assign(buffer, length);
        return true;
    }

    os::SubKeyResult SubKeyName(std::uint32_t index, std::string* name) override {
        name->clear();
        char buffer[os::kMaxRegistryText + 1] = {};
        DWORD length = sizeof(buffer);
        const LONG rc = ::RegEnumKeyExA(key_.Get(), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) return os::SubKeyResult::TooLong;
        if (rc != ERROR_SUCCESS) return os::SubKeyResult::NoMore;
        name->assign(buffer, length);
        return os::SubKeyResult::Found;
    }

    bool SetString(const core::u16& name, const core::u16& value, std::uint32_t* error) override {
        const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
        const LONG rc =
            ::RegSetValueExW(key_.Get(), W(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(W(value)), bytes);
        if (rc != ERROR_SUCCESS && error) *error = static_cast<std::uint32_t>(rc);
        return rc == ERROR_SUCCESS;
    }

    bool DeleteValue(const core::u16& name) override {
        const LONG rc = ::RegDeleteValueW(key_.Get(), W(name));
        return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
    }

private:
    win::UniqueKey key_;
};

}  // namespace

std::unique_ptr<os::RegistryKey> Registry::OpenForRead(std::string_view path) {
    const std::string subKey(path);
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return nullptr;
    return std::make_unique<Key>(key);
}

std::unique_ptr<os::RegistryKey> Registry::CreateKey(const core::u16& path) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, W(path), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return std::make_unique<Key>(key);
}

namespace {
REGSAM ViewFlag(os::RegistryView view) { return view == os::RegistryView::k64Bit ? KEY_WOW64_64KEY : 0; }
}  // namespace

std::unique_ptr<os::RegistryKey> Registry::CreateKey(const core::u16& path, os::RegistryView view) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, W(path), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS | ViewFlag(view), nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return std::make_unique<Key>(key);
}

std::unique_ptr<os::RegistryKey> Registry::OpenForWrite(const core::u16& path, os::RegistryView view) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, W(path), 0, KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | ViewFlag(view),
                        &key) != ERROR_SUCCESS)
        return nullptr;
    return std::make_unique<Key>(key);
}

Registry& SystemRegistry() {
    static Registry instance;
    return instance;
}

}  // namespace oswin
