// The registry, as far as USB port detection and the serial port settings
// need it. Every key lives under HKEY_LOCAL_MACHINE and is reached in the
// 64-bit registry view (KEY_WOW64_64KEY), also from the 32-bit installer.
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
    // Only on keys from CreateKey. False when it could not be written.
    virtual bool SetString(const core::u16& name, const core::u16& value) = 0;
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
};

}  // namespace os
