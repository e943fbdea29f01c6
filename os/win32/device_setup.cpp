#include <windows.h>
#include <setupapi.h>

#include <vector>

#include "os/win32/services.h"
#include "win/handles.h"

namespace oswin {

namespace {

const GUID kUsbPrintInterface = {0x28d78fad, 0x5a12, 0x11d1, {0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03, 0xa8, 0xc2}};

}  // namespace

std::vector<core::u16> DeviceSetup::PresentUsbPrinterPaths() {
    std::vector<core::u16> paths;
    win::UniqueDeviceInfoSet devices(
        ::SetupDiGetClassDevsW(&kUsbPrintInterface, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!devices) return paths;
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof(data);
        if (!::SetupDiEnumDeviceInterfaces(devices.Get(), nullptr, &kUsbPrintInterface, index, &data)) break;
        DWORD needed = 0;
        ::SetupDiGetDeviceInterfaceDetailW(devices.Get(), &data, nullptr, 0, &needed, nullptr);
        if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) break;
        std::vector<BYTE> buffer(needed);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (!::SetupDiGetDeviceInterfaceDetailW(devices.Get(), &data, detail, needed, nullptr, nullptr)) break;
        // DevicePath is terminated within the size the call reported.
        const size_t maxChars = (needed - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath)) / sizeof(wchar_t);
        size_t length = 0;
        while (length < maxChars && detail->DevicePath[length]) ++length;
        paths.push_back(core::u16(reinterpret_cast<const char16_t*>(detail->DevicePath), length));
    }
    return paths;
}

DeviceSetup& Devices() {
    static DeviceSetup instance;
    return instance;
}

}  // namespace oswin
