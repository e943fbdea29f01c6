// Port choice on the printer page: the spooler's port names, the network
// ports, the port box, the serial-setting boxes and the network port dialogs'
// list logic.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "core/text.h"
#include "os/spooler.h"

namespace ui {

// The spooler's port names as listed when the wizard started.
constexpr std::size_t kSnapshotPorts = 512;
constexpr std::size_t kSnapshotNameCapacity = 255;  // 254 units and a terminator

struct PortNameSnapshot {
    char16_t names[kSnapshotPorts][kSnapshotNameCapacity] = {};

    // Entry i (empty after the last port).
    core::u16view Entry(std::size_t i) const { return core::FieldView(names[i]); }
};

// Empties the snapshot, then copies the names of the spooler's ports in
// enumeration order: names cut to 254 units, ports without a name left out
// (an empty entry marks the end), ports after the 512th not recorded. A
// failed enumeration leaves the snapshot empty. Returns the entries filled.
std::size_t TakePortNameSnapshot(os::Spooler& spooler, PortNameSnapshot& snapshot);

// The network ports: copies of the records whose monitor is "tcpmon.dll"
// (ignoring case).
using TcpPortList = std::vector<os::PortRecord>;

bool IsTcpPort(const os::PortRecord& port);

// Appends the spooler's network ports to `list` in enumeration order;
// nothing on a failed enumeration.
void CollectTcpPorts(os::Spooler& spooler, TcpPortList& list);

// The port box's entries and selection.
struct PortBox {
    std::vector<core::u16> entries;
    int selected = -1;
};

// The network entry of the port box (Russian uses the English text).
core::u16 NetworkPortEntryText(int uiLanguage);

// The port box for the dialog's initialisation (after the serial boxes):
// collects the network ports into `tcpPorts`, then "USB", the COM ports and
// then the LPT ports (names beginning "COM" / "LPT", case counts, in
// enumeration order, shown without their last character, the colon), then
// the network entry. "USB" is selected, also when the spooler cannot list
// its ports. A name longer than 255 units is not offered (its entry with
// the colon put back would not fit the 256-unit port slot).
PortBox FillPortBox(os::Spooler& spooler, int uiLanguage, TcpPortList& tcpPorts);

// What the port box's selection change decides.
struct PortSelection {
    core::u16 portPrefix;        // the entry's text
    bool serialEnabled = false;  // the entry begins with "COM"
};
PortSelection OnPortSelected(core::u16view entryText);
bool SerialControlsEnabledFor(core::u16view entryText);

// One serial-setting drop-down list. Items are in display order; a sorted
// box keeps that order with these texts.
struct SerialBox {
    int controlId;
    std::vector<core::u16> items;
    int defaultIndex;
    bool sorted;
};

// Baud rate (1048), data bits (1047), parity (1049), stop bits (1051), flow
// control (1052), in the order the dialog fills them.
std::vector<SerialBox> SerialBoxes();

// The registry value of a port's serial settings, "%s,%s,%s,%s,%s" of: the
// baud-rate text (at most 255 units), the parity letter (index 0 "e", 1
// "o", else "n"), the data-bits text and the stop-bits text (at most 127
// units each), the flow letter (0 "x", 1 "p", else empty).
core::u16 SerialSettingsValue(core::u16view baudText, int parityIndex, core::u16view dataBitsText,
                              core::u16view stopBitsText, int flowIndex);

// The monitor name that makes AddPort show the system's network port wizard,
// and the description of a row that the New button adds.
constexpr char16_t kTcpMonitorName[] = u"Standard TCP/IP Port";

// Looks through the spooler's ports for a network port that is not in
// `list` (exact name); the first one found is appended to `list` and its
// name returned. Empty when there is none or the enumeration fails.
core::u16 FindNewTcpPort(os::Spooler& spooler, TcpPortList& list);

// Delete in the network port dialog: removes the first record of `list`
// named exactly `portName` and, only when there was one, asks the spooler
// to delete the port (its answer is ignored). The row goes from the list
// control either way. Returns whether a record was removed.
bool DeleteTcpPort(os::Spooler& spooler, os::WindowHandle owner, TcpPortList& list,
                   core::u16view portName);

// New in the network port dialog: runs the system's wizard; if a port was
// created, the row to append (name and description). A new port that
// FindNewTcpPort cannot see gives no row.
struct PortRow {
    core::u16 name;
    core::u16 description;
    core::u16 monitor;
};
bool NewTcpPort(os::Spooler& spooler, os::WindowHandle owner, TcpPortList& list, PortRow* row);

// Rows of the network port dialog: name and description of every record, in
// list order. The first row starts selected (when there is one).
std::vector<PortRow> TcpDialogRows(const TcpPortList& list);

// Rows of the port list dialog: every spooler port in enumeration order;
// none when the spooler cannot list them. No row starts selected.
std::vector<PortRow> SelectPortRows(os::Spooler& spooler);

// Texts of the network port dialog. An empty text keeps the template's.
struct TcpDialogTexts {
    core::u16 caption;
    core::u16 group;      // 1021
    core::u16 deleteButton, newButton, configureButton;  // 1022, 1023, 1024
    core::u16 ok, cancel;
    core::u16 portColumn, descriptionColumn;
};
// Chinese keeps the template's texts; English and Russian get the English
// texts.
TcpDialogTexts GetTcpDialogTexts(int uiLanguage);

struct SelectPortDialogTexts {
    core::u16 caption;
    core::u16 ok, cancel;  // empty: the template's
    core::u16 portColumn, descriptionColumn, monitorColumn;
};
SelectPortDialogTexts GetSelectPortDialogTexts(int uiLanguage);

// Column widths for a list of client width `width`: two columns W/3 and
// 2W/3 - 1; three columns W/3, W/3 and W/3 - 1.
std::array<int, 2> TcpDialogColumnWidths(int width);
std::array<int, 3> SelectPortColumnWidths(int width);

}  // namespace ui
