// Kernel services and the ANSI code page for the unit tests.
//
// FakeSystemInfo answers with its fields and records the system-directory
// query and the redirection switches in order (CallRecorder), so a test can
// see which calls happen while redirection is off. FakeCodePage plays a
// single-byte code page that holds ASCII only: every other character
// becomes '?', and bytes above 0x7F read back as U+FFFD.
#pragma once

#include <memory>

#include "fakes/call_recorder.h"
#include "os/system.h"

namespace fakes {

class FakeSystemInfo : public os::SystemInfo, public CallRecorder {
public:
    core::u16 systemDirectory = u"C:\\windows\\system32";
    core::u16 modulePath = u"C:\\users\\user\\Downloads\\LabelPrinterSetup.exe";
    bool wow64 = false;
    bool redirectionAvailable = true;
    int redirectionDepth = 0;  // scopes alive now

    core::u16 SystemDirectory() override {
        Record("GetSystemDirectory");
        return systemDirectory;
    }
    bool IsRunningOnWow64() override { return wow64; }
    core::u16 ModulePath() override { return modulePath; }

    std::unique_ptr<os::RedirectionScope> DisableRedirection() override {
        if (!redirectionAvailable) {
            Record("redirection unavailable");
            return nullptr;
        }
        return std::make_unique<Scope>(*this);
    }

private:
    class Scope : public os::RedirectionScope {
    public:
        explicit Scope(FakeSystemInfo& system) : system_(system) {
            ++system_.redirectionDepth;
            system_.Record("redirection off");
        }
        ~Scope() override {
            --system_.redirectionDepth;
            system_.Record("redirection on");
        }

    private:
        FakeSystemInfo& system_;
    };
};

class FakeCodePage : public os::CodePage {
public:
    core::u16 ToWide(std::string_view ansi) override {
        core::u16 out;
        for (unsigned char c : ansi) out += c < 0x80 ? char16_t(c) : u'\uFFFD';
        return out;
    }
    std::string ToAnsi(core::u16view wide, bool* lossless) override {
        std::string out;
        bool all = true;
        for (char16_t c : wide) {
            if (c < 0x80) {
                out += char(c);
            } else {
                out += '?';
                all = false;
            }
        }
        if (lossless != nullptr) *lossless = all;
        return out;
    }
};

}  // namespace fakes
