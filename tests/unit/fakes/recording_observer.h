// Install observer for the unit tests: records every call in order and
// answers the port list with queued answers (Cancel when none is left).
// Each port list request is also recorded as "port list" (CallRecorder), so
// that a journal shared with other fakes shows when it came.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "engine/install_plan.h"
#include "fakes/call_recorder.h"

namespace fakes {

class RecordingObserver : public engine::InstallObserver, public CallRecorder {
public:
    struct Event {
        enum Kind { kProgress, kWaitText, kRecord, kChoosePort } kind;
        int position = 0;  // kProgress
        core::u16 text;    // kWaitText, kRecord; kChoosePort: the port chosen (empty: cancelled)
    };

    std::vector<Event> events;

    // Called by RecordDeployedFile before it returns, so a test can look at
    // the file system at the moment of recording.
    std::function<void(const core::u16& fileName)> onRecord;

    // Answers for ChoosePort, in order: a queued port is chosen, a queued
    // Cancel cancels. With no answer left the dialog is cancelled.
    void QueuePortAnswer(const core::u16& port) { answers_.push_back({true, port}); }
    void QueuePortCancel() { answers_.push_back({false, core::u16()}); }

    void SetProgress(int position) override { events.push_back({Event::kProgress, position, {}}); }
    void SetWaitText(const core::u16& text) override { events.push_back({Event::kWaitText, 0, text}); }
    void RecordDeployedFile(const core::u16& fileName) override {
        events.push_back({Event::kRecord, 0, fileName});
        if (onRecord) onRecord(fileName);
    }
    bool ChoosePort(core::u16* portName) override {
        Record("port list");
        Answer answer{false, core::u16()};
        if (!answers_.empty()) {
            answer = answers_.front();
            answers_.pop_front();
        }
        events.push_back({Event::kChoosePort, 0, answer.chosen ? answer.port : core::u16()});
        if (answer.chosen) *portName = answer.port;
        return answer.chosen;
    }

    // Views of one kind of event, in order.
    std::vector<int> Positions() const {
        std::vector<int> out;
        for (const auto& e : events)
            if (e.kind == Event::kProgress) out.push_back(e.position);
        return out;
    }
    std::vector<core::u16> Texts(Event::Kind kind) const {
        std::vector<core::u16> out;
        for (const auto& e : events)
            if (e.kind == kind) out.push_back(e.text);
        return out;
    }
    std::vector<core::u16> WaitTexts() const { return Texts(Event::kWaitText); }
    std::vector<core::u16> RecordedFiles() const { return Texts(Event::kRecord); }
    int PortRequests() const { return static_cast<int>(Texts(Event::kChoosePort).size()); }

private:
    struct Answer {
        bool chosen;
        core::u16 port;
    };
    std::deque<Answer> answers_;
};

}  // namespace fakes
