// Print spooler service used by the wizard's portable code.
//
// The Win32 implementation wraps winspool (EnumPortsW, EnumPrintersW,
// AddPortW, DeletePortW, ConfigurePortW) on the local machine; tests use the
// fake in tests/unit/fakes/fake_spooler.h.
#pragma once

#include <cstdint>
#include <vector>

#include "core/text.h"

namespace os {

// An owner window for the spooler's own dialogs, passed through unchanged
// (an HWND on Windows; 0 for none).
using WindowHandle = std::uintptr_t;

// A copy of one level-2 port record (PORT_INFO_2W).
struct PortRecord {
    core::u16 name;
    core::u16 monitor;
    core::u16 description;
    std::uint32_t type = 0;      // PORT_TYPE_* flags
    std::uint32_t reserved = 0;
};

// How a port enumeration ended. Windows answers the size query (no buffer)
// with ERROR_INSUFFICIENT_BUFFER when there is anything to list; any other
// answer, including success with nothing to list, is kNoSizeReported.
enum class PortEnumResult {
    kOk,               // both calls succeeded; the records are in enumeration order
    kNoSizeReported,   // the size query did not fail with ERROR_INSUFFICIENT_BUFFER
    kFetchFailed,      // the size was reported but the fetch itself failed
};

// What the wizard needs of a level-2 printer record (PRINTER_INFO_2W).
struct PrinterRecord {
    core::u16 name;
    core::u16 port;
    core::u16 driver;
};

class Spooler {
public:
    virtual ~Spooler() = default;

    // Level-2 port records of the local machine. `ports` is cleared first and
    // holds records only for kOk.
    virtual PortEnumResult EnumeratePorts(std::vector<PortRecord>* ports) = 0;

    // Local printers and printer connections (PRINTER_ENUM_LOCAL |
    // PRINTER_ENUM_CONNECTIONS, level 2), in enumeration order. False when
    // the spooler cannot list them; `printers` is cleared first. An empty
    // list with true means there are no printers.
    virtual bool EnumerateLocalPrinters(std::vector<PrinterRecord>* printers) = 0;

    // AddPortW on the local machine: the monitor shows its own user interface
    // owned by `owner`. False when it fails or the user cancels.
    virtual bool AddPort(WindowHandle owner, const core::u16& monitorName) = 0;

    // DeletePortW / ConfigurePortW on the local machine. The monitor reports
    // its own errors through its user interface; the result is for callers
    // that want it.
    virtual bool DeletePort(WindowHandle owner, const core::u16& portName) = 0;
    virtual bool ConfigurePort(WindowHandle owner, const core::u16& portName) = 0;
};

}  // namespace os
