// ANSI code page fake for the unit tests: ISO 8859-1 (Latin-1).
//
// Every byte is the character of the same number (0xE9 <-> U+00E9 'é'), so
// a test can tell a name converted through the code page from one read as
// UTF-8: "Caf\xE9" becomes u"Café" here but would be U+FFFD as UTF-8.
// Characters above U+00FF have no byte and become '?'.
#pragma once

#include <string>
#include <string_view>

#include "os/system.h"

namespace fakes {

class FakeCodePage : public os::CodePage {
public:
    core::u16 ToWide(std::string_view ansi) override {
        ++toWideCalls;
        core::u16 wide;
        wide.reserve(ansi.size());
        for (const char c : ansi) wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
        return wide;
    }

    std::string ToAnsi(core::u16view wide, bool* lossless) override {
        ++toAnsiCalls;
        std::string ansi;
        bool all = true;
        for (const char16_t c : wide) {
            if (c > 0xFF) {
                ansi.push_back('?');
                all = false;
            } else {
                ansi.push_back(static_cast<char>(c));
            }
        }
        if (lossless) *lossless = all;
        return ansi;
    }

    int toWideCalls = 0;
    int toAnsiCalls = 0;
};

}  // namespace fakes
