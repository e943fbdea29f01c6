// In-memory initialization files for the unit tests: a reader (Text.ini)
// and a writer (Uninstall.ini).
//
// Files are keyed by path without regard to ASCII case; sections and keys
// likewise, as GetPrivateProfileStringW compares them. Every call is
// recorded. By default a value longer than the buffer is returned whole, so a
// test can prove that the caller bounds it; set honourCapacity to mimic the
// Windows cut instead.
#pragma once

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "fakes/call_recorder.h"
#include "os/profile.h"

namespace fakes {

class FakeProfileReader : public os::ProfileReader {
public:
    struct Call {
        core::u16 path, section, key, fallback;
        std::size_t capacity;
    };

    void Set(const core::u16& path, const core::u16& section, const core::u16& key,
             const core::u16& value) {
        values_[Id(path, section, key)] = value;
    }

    core::u16 ReadString(const core::u16& path, const core::u16& section, const core::u16& key,
                         const core::u16& fallback, std::size_t capacity) override {
        calls.push_back({path, section, key, fallback, capacity});
        const auto it = values_.find(Id(path, section, key));
        core::u16 v = it == values_.end() ? fallback : it->second;
        if (honourCapacity && capacity > 0 && v.size() > capacity - 1) v.resize(capacity - 1);
        return v;
    }

    bool honourCapacity = false;
    std::vector<Call> calls;

private:
    static core::u16 Fold(core::u16 s) {
        for (auto& c : s) c = core::AsciiLower(c);
        return s;
    }
    static std::tuple<core::u16, core::u16, core::u16> Id(const core::u16& p, const core::u16& s,
                                                          const core::u16& k) {
        return {Fold(p), Fold(s), Fold(k)};
    }
    std::map<std::tuple<core::u16, core::u16, core::u16>, core::u16> values_;
};

// Keeps every write in order and the file contents it leaves; the file is
// created on the first write, as WritePrivateProfileStringW does. Writes to
// a path set with FailPath fail.
class FakeProfileWriter : public os::ProfileWriter, public CallRecorder {
public:
    struct Write {
        core::u16 path, section, key, value;
        bool operator==(const Write& o) const {
            return path == o.path && section == o.section && key == o.key && value == o.value;
        }
    };

    std::vector<Write> writes;  // the successful ones, in order

    void FailPath(const core::u16& path) { failPaths_.push_back(path); }

    bool WriteString(const core::u16& path, const core::u16& section, const core::u16& key,
                     const core::u16& value) override {
        Record("WriteProfileString", path + u" [" + section + u"] " + key);
        for (const auto& p : failPaths_)
            if (core::EqualsNoCase(p, path)) return false;
        writes.push_back({path, section, key, value});
        return true;
    }

private:
    std::vector<core::u16> failPaths_;
};

}  // namespace fakes
