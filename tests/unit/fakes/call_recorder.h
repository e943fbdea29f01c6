// The ordered record of a fake's calls, optionally shared with other fakes
// so that a test can check the order of calls across services.
#pragma once

#include <string>
#include <vector>

#include "core/text.h"

namespace fakes {

using Journal = std::vector<std::string>;

class CallRecorder {
public:
    Journal history;             // this fake's calls, in order
    Journal* journal = nullptr;  // also written here when set

    void Record(std::string entry) {
        if (journal != nullptr) journal->push_back(entry);
        history.push_back(std::move(entry));
    }
    void Record(const std::string& what, const core::u16& argument) {
        Record(what + " " + core::Utf16ToUtf8(argument));
    }
};

}  // namespace fakes
