// In-memory registry (HKLM) for the unit tests.
//
// The 64-bit view and the process's default view are two separate trees, as
// on 64-bit Windows for a 32-bit process (the uninstall entry lands in the
// 32-bit view there). Calls without a view use the 64-bit tree. Key paths
// are compared without regard to ASCII case, as the registry does; sub-keys
// enumerate in the order they were added. A sub-key name longer than
// os::kMaxRegistryText enumerates as TooLong.
//
// Opening, creating and single value writes can be made to fail. Every
// OpenForRead path is kept in `opened`; every call of the writing side, and
// every key closed, is recorded in order (CallRecorder), with the order in
// which each key's values were written.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes/call_recorder.h"
#include "os/registry.h"

namespace fakes {

class FakeRegistry : public os::Registry, public CallRecorder {
public:
    using View = os::RegistryView;

    // Creates the key and every missing level above it.
    void AddKey(const std::string& path, View view = View::k64Bit);
    void SetValue(const std::string& path, const std::string& name, const std::string& value);
    // A UTF-16 string value, as SetString writes it.
    void SetWideValue(const core::u16& path, const core::u16& name, const core::u16& value,
                      View view = View::k64Bit);

    void FailOpen(const std::string& path) { failOpen_.insert(Key(path)); }       // reading and OpenForWrite
    void FailCreate(const core::u16& path) { failCreate_.insert(Key(path)); }     // in both views
    void FailSetString() { failSet_ = true; }                                     // every value
    void FailValue(const core::u16& name) { failValues_.insert(name); }           // this value name, in any key

    bool HasKey(const std::string& path, View view = View::k64Bit) const;
    bool HasKey(const core::u16& path, View view) const;
    // A UTF-16 value written with SetString; empty when none.
    core::u16 WideValue(const core::u16& path, const core::u16& name, View view = View::k64Bit) const;
    bool HasWideValue(const core::u16& path, const core::u16& name, View view = View::k64Bit) const;
    // The names of the UTF-16 values of the key, in the order they were
    // written (a value written twice appears twice).
    std::vector<core::u16> WriteOrder(const core::u16& path, View view = View::k64Bit) const;
    // Number of UTF-16 values the key holds now.
    std::size_t WideValueCount(const core::u16& path, View view = View::k64Bit) const;

    std::unique_ptr<os::RegistryKey> OpenForRead(std::string_view path) override;
    std::unique_ptr<os::RegistryKey> CreateKey(const core::u16& path) override;
    std::unique_ptr<os::RegistryKey> CreateKey(const core::u16& path, View view) override;
    std::unique_ptr<os::RegistryKey> OpenForWrite(const core::u16& path, View view) override;

    std::vector<std::string> opened;  // every OpenForRead path, as asked

    static const char* ViewName(View view) { return view == View::k64Bit ? "64" : "default"; }

private:
    friend class FakeKey;
    struct Node {
        std::vector<std::string> children;         // names as added
        std::map<std::string, std::string> values; // lower-cased name -> value
        std::map<core::u16, core::u16> wide;       // SetString values
        std::vector<core::u16> writeOrder;         // SetString names, in order
    };
    using Tree = std::map<std::string, Node>;
    static std::string Key(std::string_view path);
    static std::string Key(const core::u16& path);
    Tree& TreeOf(View view) { return view == View::k64Bit ? keys64_ : keysDefault_; }
    const Tree& TreeOf(View view) const { return view == View::k64Bit ? keys64_ : keysDefault_; }
    const Node* Find(const core::u16& path, View view) const;

    Tree keys64_, keysDefault_;
    std::set<std::string> failOpen_, failCreate_;
    std::set<core::u16> failValues_;
    bool failSet_ = false;
};

}  // namespace fakes
