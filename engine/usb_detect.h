// USB printer detection: which connected USB printers belong to models of
// the catalogue, which port (USB001, ...) the system's USB printing support
// gave one of them, and which model to preselect when the wizard starts.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "core/text.h"
#include "os/device_setup.h"
#include "os/log_file.h"
#include "os/registry.h"
#include "core/printer_model.h"

namespace engine {

// Matches recorded by one scan, at most.
constexpr std::size_t kMaxUsbMatches = 32;

// One connected printer of a supported model: 324 bytes, the device path
// (cut to 127 characters) at the start and the model name from byte 256 (cut
// to 33 characters so that it stays inside the entry).
struct ConnectedPrinter {
    char16_t DevicePath[128] = {};
    char16_t ModelName[34] = {};
};
static_assert(sizeof(ConnectedPrinter) == 324, "entry layout");

// ConnectedPrinters: process-wide in the product, passed by reference here.
using ConnectedPrinterList = std::array<ConnectedPrinter, kMaxUsbMatches>;

// The caller's buffer of a scan: one device path of up to 255 characters and
// a terminator per match.
constexpr std::size_t kUsbPathChars = 256;
using UsbPathBuffer = std::array<std::array<char16_t, kUsbPathChars>, kMaxUsbMatches>;

// Characters of a device path's vid_XXXX&pid_XXXX identifier, and where it
// starts (after \\?\ and usb#).
constexpr std::size_t kIdentifierOffset = 8;
constexpr std::size_t kIdentifierChars = 17;

// The identifier of `devicePath`; empty when the path is too short to hold
// all 17 characters.
core::u16 DeviceIdentifier(core::u16view devicePath);

// Read-only view of the spooler's port names taken at start
// (PortNameSnapshot): `rows` rows of kPortNameChars units each, row i at
// cells + i * kPortNameChars. A row is terminated or runs to its end.
constexpr std::size_t kPortNameChars = 255;
struct PortNameView {
    const char16_t* cells = nullptr;
    std::size_t rows = 0;

    template <std::size_t N>
    static PortNameView Of(const char16_t (&table)[N][kPortNameChars]) {
        return {&table[0][0], N};
    }
    core::u16view Row(std::size_t i) const {
        return core::FieldView(cells + i * kPortNameChars, kPortNameChars);
    }
};

// Lists the present USB printer interfaces and keeps those whose identifier
// equals, ignoring case, the VidPid of one of `models` records 1 to 31 (the
// first equal record wins). `connected` is cleared and refilled from its
// first entry; each match also goes into the next entry of `paths` (entries
// after the last match are left as they were). Returns the number of
// matches, at most kMaxUsbMatches; further printers are not recorded.
int ScanConnectedPrinters(os::DeviceSetup& devices, const core::ModelTable& models,
                          ConnectedPrinterList& connected, UsbPathBuffer& paths);

struct UsbDetectContext {
    os::DeviceSetup& devices;
    os::Registry& registry;
    os::LogSink& log;
    const core::ModelTable& models;
    ConnectedPrinterList& connected;  // refilled by every scan
    PortNameView ports;
};

// Looks for the port of a connected printer whose identifier is `vidPid`
// (compared lower-cased with the device paths): from the USB device key's
// ParentIdPrefix to the USBPRINT instance "<prefix>&<port>". Logs
// "**** vid&pid=%s subkey=%s\r\n" for each candidate device. Returns 1 when
// a present instance (one with a "Control" sub-key) was found - its port is
// then in `portOut` - or when an instance matched the prefix at all; in the
// latter case `portOut` holds the first such port that is among `ports`, or
// keeps its earlier content. Returns 0 when nothing matched, and at once when
// a candidate's device key cannot be opened. `portOut` has `portCapacity`
// units (260 in the product) and is always terminated when written.
// Registry names are 8-bit; only ASCII survives the conversions (device
// instance names are ASCII), anything else becomes '?'.
int FindUsbPrinterPort(UsbDetectContext& context, core::u16view vidPid, char16_t* portOut,
                       std::size_t portCapacity);

// The decision of PreselectConnectedModel: the ModelName of the first record
// (1 to 254) whose VidPid matches the first connected printer and whose port
// FindUsbPrinterPort writes. Empty when no printer matched or no port was
// found.
core::u16 DetectConnectedModel(UsbDetectContext& context);

// Index of the first model box entry equal to `name` (case counts); -1 if none.
int FindModelBoxEntry(const std::vector<core::u16>& entries, core::u16view name);

}  // namespace engine
