// Device setup: the USB printer device interfaces that are present.
#pragma once

#include <vector>

#include "core/text.h"

namespace os {

// The USB printer device-interface class (GUID_DEVINTERFACE_USBPRINT).
inline constexpr char16_t kUsbPrintInterfaceClass[] = u"{28D78FAD-5A12-11D1-AE5B-0000F803A8C2}";

class DeviceSetup {
public:
    virtual ~DeviceSetup() = default;

    // Device paths (UTF-16, as SP_DEVICE_INTERFACE_DETAIL_DATA_W holds them,
    // for example \\?\usb#vid_1234&pid_5678#serial#{...}) of the present
    // interfaces of kUsbPrintInterfaceClass, in the order
    // SetupDiEnumDeviceInterfaces gives them (index 0, 1, ...;
    // SetupDiGetClassDevsW with DIGCF_PRESENT | DIGCF_DEVICEINTERFACE).
    // The enumeration ends at the first index without an interface, and also
    // at the first interface whose detail cannot be read: the paths before
    // it are returned, none after it. Empty when the device set cannot be
    // obtained. The device set is released before returning.
    virtual std::vector<core::u16> PresentUsbPrinterPaths() = 0;
};

}  // namespace os
