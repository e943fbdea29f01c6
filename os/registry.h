// The registry, as far as USB port detection, the serial port settings and
// the uninstall registration need it. Every key lives under
// HKEY_LOCAL_MACHINE. Unless a call names another view, keys are reached in
// the 64-bit registry view (KEY_WOW64_64KEY), also from the 32-bit installer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/text.h"

namespace os {

// Longest 8-bit key name or string value that is read (a 256-byte buffer).
constexpr std::size_t kMaxRegistryText = 255;

// Which registry view a key is opened in.
enum class RegistryView {
    k64Bit,          // KEY_WOW64_64KEY: the native view on 64-bit Windows
    kProcessDefault  // no flag: the 32-bit view for a 32-bit process on 64-bit Windows
};

enum class SubKeyResult {
    Found,    // *name holds the sub-key's name
    TooLong,  // the name did not fit kMaxRegistryText bytes (ERROR_MORE_DATA); *name is empty
    NoMore,   // no sub-key at this index, or enumeration failed for any other reason
};

// An open key; closed in the destructor.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;

    // The REG_SZ (or REG_EXPAND_SZ, unexpanded) value `name`, 8-bit (ANSI).
    // False when the value is missing, not a string, or longer than
    // kMaxRegistryText bytes without its terminator; *value is then empty.
    // A value stored without a terminator is taken up to its stored size.
    virtual bool ReadString(std::string_view name, std::string* value) = 0;

    // The name of the sub-key at `index` (RegEnumKeyExA, indexes from 0).
    virtual SubKeyResult SubKeyName(std::uint32_t index, std::string* name) = 0;

    // Sets the REG_SZ value `name` to `value`, stored with its terminator.
    // Only on keys from CreateKey or OpenForWrite. False when it could not
    // be written; *error (may be null) then holds the registry's code.
    virtual bool SetString(const core::u16& name, const core::u16& value,
                           std::uint32_t* error = nullptr) = 0;

    // Deletes the value `name`. True when it was deleted or did not exist.
    virtual bool DeleteValue(const core::u16& name) = 0;
};

class Registry {
public:
    virtual ~Registry() = default;

    // Opens the existing key HKLM\`path` (8-bit) for reading (KEY_READ |
    // KEY_WOW64_64KEY). Null when it does not exist or cannot be opened.
    // It never creates a key: the keys read live under
    // SYSTEM\CurrentControlSet\Enum, which belongs to the system.
    virtual std::unique_ptr<RegistryKey> OpenForRead(std::string_view path) = 0;

    // Opens HKLM\`path`, creating missing levels, with KEY_ALL_ACCESS |
    // KEY_WOW64_64KEY (RegCreateKeyExW). Null on failure.
    virtual std::unique_ptr<RegistryKey> CreateKey(const core::u16& path) = 0;

    // The same in the given view (RegCreateKeyExW with KEY_ALL_ACCESS and
    // the view's flag).
    virtual std::unique_ptr<RegistryKey> CreateKey(const core::u16& path, RegistryView view) = 0;

    // Opens the existing key HKLM\`path` for reading values, setting values
    // and creating sub-keys (KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY)
    // in the given view. Null when it does not exist or cannot be opened.
    virtual std::unique_ptr<RegistryKey> OpenForWrite(const core::u16& path, RegistryView view) = 0;
};

}  // namespace os
