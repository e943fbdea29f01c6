// Device setup fake: a fixed list of present USB printer device paths.
#pragma once

#include <vector>

#include "os/device_setup.h"

namespace fakes {

class FakeDeviceSetup : public os::DeviceSetup {
public:
    // The paths the system "lists", in order. The real enumeration already
    // stops at an interface whose detail cannot be read; to model that,
    // leave the list short.
    std::vector<core::u16> paths;
    int enumerations = 0;

    std::vector<core::u16> PresentUsbPrinterPaths() override {
        ++enumerations;
        return paths;
    }
};

}  // namespace fakes
