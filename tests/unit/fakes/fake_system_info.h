// Kernel-services fake for the unit tests: a fixed system directory and
// module path, a settable WOW64 answer, and redirection scopes that count
// themselves so a test can see that redirection was off exactly while it
// mattered. The system-directory query and the redirection switches are
// also recorded in order (CallRecorder), so that a journal shared with other
// fakes shows which calls happened while redirection was off.
#pragma once

#include <memory>

#include "fakes/call_recorder.h"
#include "os/system.h"

namespace fakes {

class FakeSystemInfo : public os::SystemInfo, public CallRecorder {
public:
    core::u16 systemDirectory = u"C:\\windows\\system32";
    core::u16 modulePath = u"C:\\Setup\\LabelPrinterSetup.exe";
    bool wow64 = false;
    // False: the redirection functions are missing (DisableRedirection gives null).
    bool redirectionAvailable = true;

    int wow64Queries = 0;
    int redirectionDisables = 0;  // scopes handed out
    int redirectionActive = 0;    // scopes alive now: redirection is off while > 0

    core::u16 SystemDirectory() override {
        Record("GetSystemDirectory");
        return systemDirectory;
    }

    bool IsRunningOnWow64() override {
        ++wow64Queries;
        return wow64;
    }

    std::unique_ptr<os::RedirectionScope> DisableRedirection() override {
        if (!redirectionAvailable) {
            Record("redirection unavailable");
            return nullptr;
        }
        ++redirectionDisables;
        return std::make_unique<Scope>(*this);
    }

    core::u16 ModulePath() override { return modulePath; }

    bool RedirectionOff() const { return redirectionActive > 0; }

private:
    class Scope : public os::RedirectionScope {
    public:
        explicit Scope(FakeSystemInfo& system) : system_(system) {
            ++system_.redirectionActive;
            system_.Record("redirection off");
        }
        ~Scope() override {
            --system_.redirectionActive;
            system_.Record("redirection on");
        }

    private:
        FakeSystemInfo& system_;
    };
};

}  // namespace fakes
