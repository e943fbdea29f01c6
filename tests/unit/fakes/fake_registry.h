// In-memory registry (HKLM, one view) for the unit tests.
//
// Key paths are compared without regard to ASCII case, as the registry does;
// sub-keys enumerate in the order they were added. A sub-key name longer than
// os::kMaxRegistryText enumerates as TooLong. Opening can be made to fail per
// path, and every open is recorded.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "os/registry.h"

namespace fakes {

class FakeRegistry : public os::Registry {
public:
    // Creates the key and every missing level above it.
    void AddKey(const std::string& path);
    void SetValue(const std::string& path, const std::string& name, const std::string& value);
    void FailOpen(const std::string& path) { failOpen_.insert(Key(path)); }
    void FailCreate(const core::u16& path) { failCreate_.insert(Key(path)); }
    void FailSetString() { failSet_ = true; }

    bool HasKey(const std::string& path) const { return keys_.count(Key(path)) != 0; }
    // A UTF-16 value written with SetString; empty when none.
    core::u16 WideValue(const core::u16& path, const core::u16& name) const;
    bool HasWideValue(const core::u16& path, const core::u16& name) const;

    std::unique_ptr<os::RegistryKey> OpenForRead(std::string_view path) override;
    std::unique_ptr<os::RegistryKey> CreateKey(const core::u16& path) override;
    std::unique_ptr<os::RegistryKey> CreateKey(const core::u16& path, os::RegistryView view) override;
    std::unique_ptr<os::RegistryKey> OpenForWrite(const core::u16& path, os::RegistryView view) override;

    std::vector<std::string> opened;  // every OpenForRead path, as asked

private:
    friend class FakeKey;
    struct Node {
        std::vector<std::string> children;         // names as added
        std::map<std::string, std::string> values; // lower-cased name -> value
        std::map<core::u16, core::u16> wide;       // SetString values
    };
    static std::string Key(std::string_view path);
    static std::string Key(const core::u16& path);

    std::map<std::string, Node> keys_;
    std::set<std::string> failOpen_, failCreate_;
    bool failSet_ = false;
};

}  // namespace fakes
