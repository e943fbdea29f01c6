// Shell folders, environment strings and shell links for the unit tests.
//
// The folders are fields; ExpandEnvironment replaces %NAME% from
// `environment` (unknown names stay as they are) and cuts the result to
// capacity - 1 units. CreateShortcut records every request and answers with
// `shortcutResult`; only kSaved counts the link as written (in `links`).
#pragma once

#include <map>
#include <vector>

#include "fakes/call_recorder.h"
#include "os/shell.h"

namespace fakes {

class FakeShell : public os::Shell, public CallRecorder {
public:
    core::u16 personalFolder = u"C:\\users\\user\\Documents";
    core::u16 startMenuFolder = u"C:\\users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu";
    std::map<core::u16, core::u16> environment;

    struct Shortcut {
        core::u16 target, workingFolder, link;
        bool operator==(const Shortcut& o) const {
            return target == o.target && workingFolder == o.workingFolder && link == o.link;
        }
    };
    std::vector<Shortcut> requests;          // every CreateShortcut call
    std::map<core::u16, Shortcut> links;     // link path -> what it holds, for kSaved
    os::ShortcutResult shortcutResult = os::ShortcutResult::kSaved;

    core::u16 PersonalFolder() override { return personalFolder; }
    core::u16 StartMenuFolder() override { return startMenuFolder; }

    core::u16 ExpandEnvironment(const core::u16& text, std::size_t capacity) override {
        core::u16 out;
        std::size_t i = 0;
        while (i < text.size()) {
            const std::size_t close = text[i] == u'%' ? text.find(u'%', i + 1) : core::u16::npos;
            if (close != core::u16::npos) {
                const auto it = environment.find(text.substr(i + 1, close - i - 1));
                if (it != environment.end()) {
                    out += it->second;
                    i = close + 1;
                    continue;
                }
            }
            out += text[i++];
        }
        if (capacity > 0 && out.size() > capacity - 1) out.resize(capacity - 1);
        return out;
    }

    os::ShortcutResult CreateShortcut(const core::u16& target, const core::u16& workingFolder,
                                      const core::u16& linkPath) override {
        Record("CreateShortcut", linkPath);
        requests.push_back({target, workingFolder, linkPath});
        if (shortcutResult == os::ShortcutResult::kSaved) links[linkPath] = {target, workingFolder, linkPath};
        return shortcutResult;
    }
};

}  // namespace fakes
