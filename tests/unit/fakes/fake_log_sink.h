// Log file fake: collects appended bytes per path; can refuse every append.
#pragma once

#include <map>
#include <string>

#include "os/log_file.h"

namespace fakes {

class FakeLogSink : public os::LogSink {
public:
    std::map<core::u16, std::string> files;
    int appends = 0;
    bool refuse = false;  // as for an unwritable drive or a planted link

    bool AppendToLog(const core::u16& path, std::string_view bytes) override {
        ++appends;
        if (refuse) return false;
        files[path].append(bytes.data(), bytes.size());
        return true;
    }
    std::string Contents(const core::u16& path) const {
        const auto it = files.find(path);
        return it == files.end() ? std::string() : it->second;
    }
};

}  // namespace fakes
