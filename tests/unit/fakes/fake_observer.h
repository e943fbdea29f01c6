// The install worker's view of the dialog, for the unit tests.
//
// Progress positions, wait texts and deployed-file records are kept in
// order. ChoosePort answers from `portChoices` in turn (an empty answer is
// a Cancel) and cancels when none is left; every request is recorded
// (CallRecorder) as "port list".
#pragma once

#include <deque>
#include <vector>

#include "engine/install_plan.h"
#include "fakes/call_recorder.h"

namespace fakes {

class FakeObserver : public engine::InstallObserver, public CallRecorder {
public:
    std::vector<int> progress;
    std::vector<core::u16> waitTexts;
    std::vector<core::u16> deployedFiles;
    std::deque<core::u16> portChoices;  // answers of the port list; u"" cancels
    int portListRuns = 0;

    void SetProgress(int position) override { progress.push_back(position); }
    void SetWaitText(const core::u16& text) override { waitTexts.push_back(text); }
    void RecordDeployedFile(const core::u16& fileName) override { deployedFiles.push_back(fileName); }
    bool ChoosePort(core::u16* portName) override {
        ++portListRuns;
        Record("port list");
        if (portChoices.empty()) return false;
        const core::u16 answer = portChoices.front();
        portChoices.pop_front();
        if (answer.empty()) return false;
        *portName = answer;
        return true;
    }
};

}  // namespace fakes
