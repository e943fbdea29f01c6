#include <windows.h>

#include <vector>

#include "os/win32/removal_services.h"
#include "os/win32/services.h"
#include "win/handles.h"

namespace oswin {

namespace {

REGSAM View(os::RegistryView view) { return view == os::RegistryView::k64Bit ? KEY_WOW64_64KEY : 0; }

LONG Open(os::RegistryView view, const core::u16& path, REGSAM access, win::UniqueKey* key) {
    HKEY raw = nullptr;
    const LONG rc = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, W(path), 0, access | View(view), &raw);
    if (rc == ERROR_SUCCESS) key->Reset(raw);
    return rc;
}

}  // namespace

bool RegistryAdmin::KeyExists(os::RegistryView view, const core::u16& path) {
    win::UniqueKey key;
    return Open(view, path, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS;
}

bool RegistryAdmin::ReadString(os::RegistryView view, const core::u16& path, const core::u16& name, core::u16* value) {
    value->clear();
    win::UniqueKey key;
    if (Open(view, path, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key.Get(), W(name), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    // Room for a terminator the stored data may lack.
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    DWORD got = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    if (::RegQueryValueExW(key.Get(), W(name), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got) !=
        ERROR_SUCCESS)
        return false;
    *value = U16(buffer.data());  // up to the first null
    return true;
}

std::uint32_t RegistryAdmin::DeleteKeyTree(os::RegistryView view, const core::u16& path) {
    win::UniqueKey key;
    const LONG rc = Open(view, path, DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
    if (rc != ERROR_SUCCESS) return static_cast<std::uint32_t>(rc);
    // Everything below the key first, then the key itself in its own view.
    const LONG below = ::RegDeleteTreeW(key.Get(), nullptr);
    if (below != ERROR_SUCCESS) return static_cast<std::uint32_t>(below);
    key.Reset();
    return static_cast<std::uint32_t>(::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, W(path), View(view), 0));
}

std::uint32_t RegistryAdmin::SetString(os::RegistryView view, const core::u16& path, const core::u16& name,
                                       const core::u16& value) {
    HKEY raw = nullptr;
    LONG rc = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, W(path), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_SET_VALUE | View(view), nullptr, &raw, nullptr);
    if (rc != ERROR_SUCCESS) return static_cast<std::uint32_t>(rc);
    win::UniqueKey key(raw);
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    rc = ::RegSetValueExW(key.Get(), W(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(W(value)), bytes);
    return static_cast<std::uint32_t>(rc);
}

std::uint32_t RegistryAdmin::DeleteValue(os::RegistryView view, const core::u16& path, const core::u16& name) {
    win::UniqueKey key;
    const LONG rc = Open(view, path, KEY_SET_VALUE, &key);
    if (rc != ERROR_SUCCESS) return static_cast<std::uint32_t>(rc);
    return static_cast<std::uint32_t>(::RegDeleteValueW(key.Get(), W(name)));
}

}  // namespace oswin
