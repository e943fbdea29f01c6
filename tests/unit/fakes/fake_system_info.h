// Kernel-services fake for the unit tests: a fixed system directory and
// module path, a settable WOW64 answer, and redirection scopes that count
// themselves so a test can see that redirection was off exactly while it
// mattered.
#pragma once

#include <memory>

#include "os/system.h"

namespace fakes {

class FakeSystemInfo : public os::SystemInfo {
public:
    core::u16 systemDirectory = u"C:\\windows\\system32";
    core::u16 modulePath = u"C:\\Setup\\LabelPrinterSetup.exe";
    bool wow64 = false;
    // False: the redirection functions are missing (DisableRedirection gives null).
    bool redirectionAvailable = true;

    int wow64Queries = 0;
    int redirectionDisables = 0;  // scopes handed out
    int redirectionActive = 0;    // scopes alive now: redirection is off while > 0

    core::u16 SystemDirectory() override { return systemDirectory; }

    bool IsRunningOnWow64() override {
        ++wow64Queries;
        return wow64;
    }

    std::unique_ptr<os::RedirectionScope> DisableRedirection() override {
        if (!redirectionAvailable) return nullptr;
        ++redirectionDisables;
        return std::make_unique<Scope>(&redirectionActive);
    }

    core::u16 ModulePath() override { return modulePath; }

    bool RedirectionOff() const { return redirectionActive > 0; }

private:
    class Scope : public os::RedirectionScope {
    public:
        explicit Scope(int* active) : active_(active) { ++*active_; }
        ~Scope() override { --*active_; }

    private:
        int* active_;
    };
};

}  // namespace fakes
