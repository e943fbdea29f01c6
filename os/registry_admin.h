// Registry keys and values that the uninstaller reads and removes. Every key
// lives under HKEY_LOCAL_MACHINE and is reached in the view named
// (os::RegistryView: the 64-bit view, or the process's default view).
#pragma once

#include <cstdint>

#include "core/text.h"
#include "os/registry.h"

namespace os {

class RegistryAdmin {
public:
    virtual ~RegistryAdmin() = default;

    virtual bool KeyExists(RegistryView view, const core::u16& path) = 0;

    // The REG_SZ or REG_EXPAND_SZ (unexpanded) value `name` of the key, as
    // stored up to its first null. False when the key or the value is
    // missing or the value is not a string; *value is then empty.
    virtual bool ReadString(RegistryView view, const core::u16& path, const core::u16& name,
                            core::u16* value) = 0;

    // Deletes the key with its values and every sub-key below it. 0 when it
    // is gone, 2 when it did not exist, else the registry's error code.
    virtual std::uint32_t DeleteKeyTree(RegistryView view, const core::u16& path) = 0;

    // Sets the REG_SZ value `name`, creating the key when it is missing.
    virtual std::uint32_t SetString(RegistryView view, const core::u16& path, const core::u16& name,
                                    const core::u16& value) = 0;

    // Deletes the value; 2 when the key or the value did not exist.
    virtual std::uint32_t DeleteValue(RegistryView view, const core::u16& path, const core::u16& name) = 0;
};

}  // namespace os
