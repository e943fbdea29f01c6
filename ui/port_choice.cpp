#include "ui/port_choice.h"

#include <algorithm>
#include <iterator>

#include "ui/messages.h"

namespace ui {

namespace {

// Longest port name offered in the port box.
constexpr std::size_t kMaxBoxPortName = 255;

void AddPortsWithPrefix(const std::vector<os::PortRecord>& ports, core::u16view prefix,
                        std::vector<core::u16>& entries) {
    for (const auto& port : ports) {
        if (!core::StartsWith(port.name, prefix) || port.name.size() > kMaxBoxPortName) continue;
        entries.push_back(port.name.substr(0, port.name.size() - 1));
    }
}

}  // namespace

std::size_t TakePortNameSnapshot(os::Spooler& spooler, PortNameSnapshot& snapshot) {
    for (auto& entry : snapshot.names) std::fill(std::begin(entry), std::end(entry), u'\0');
    std::vector<os::PortRecord> ports;
    if (spooler.EnumeratePorts(&ports) != os::PortEnumResult::kOk) return 0;
    std::size_t filled = 0;
    for (const auto& port : ports) {
        if (filled == kSnapshotPorts) break;
        if (port.name.empty()) continue;
        core::CopyTruncated(snapshot.names[filled], port.name);
        ++filled;
    }
    return filled;
}

bool IsTcpPort(const os::PortRecord& port) { return core::EqualsNoCase(port.monitor, u"tcpmon.dll"); }

void CollectTcpPorts(os::Spooler& spooler, TcpPortList& list) {
    std::vector<os::PortRecord> ports;
    if (spooler.EnumeratePorts(&ports) != os::PortEnumResult::kOk) return;
    for (const auto& port : ports)
        if (IsTcpPort(port)) list.push_back(port);
}

core::u16 NetworkPortEntryText(int uiLanguage) {
    return uiLanguage == kUiChinese ? u"网络端口（TCP/IP）" : u"Net Port(TCP/IP)";
}

PortBox FillPortBox(os::Spooler& spooler, int uiLanguage, TcpPortList& tcpPorts) {
    CollectTcpPorts(spooler, tcpPorts);
    PortBox box;
    box.entries.push_back(u"USB");
    std::vector<os::PortRecord> ports;
    if (spooler.EnumeratePorts(&ports) == os::PortEnumResult::kOk) {
        AddPortsWithPrefix(ports, u"COM", box.entries);
        AddPortsWithPrefix(ports, u"LPT", box.entries);
    }
    box.selected = 0;
    box.entries.push_back(NetworkPortEntryText(uiLanguage));
    return box;
}

bool SerialControlsEnabledFor(core::u16view entryText) { return core::StartsWith(entryText, u"COM"); }

PortSelection OnPortSelected(core::u16view entryText) {
    PortSelection s;
    s.portPrefix = core::u16(entryText);
    s.serialEnabled = SerialControlsEnabledFor(entryText);
    return s;
}

std::vector<SerialBox> SerialBoxes() {
    std::vector<SerialBox> boxes;
    SerialBox baud{1048, {}, 9, false};
    for (int rate : {100, 300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800,
                     921600})
        baud.items.push_back(core::DecimalU16(rate));
    boxes.push_back(std::move(baud));
    boxes.push_back({1047, {u"5", u"6", u"7", u"8"}, 3, true});
    boxes.push_back({1049, {u"偶校验", u"奇校验", u"无"}, 2, true});
    boxes.push_back({1051, {u"1", u"1.5", u"2"}, 0, true});
    boxes.push_back({1052, {u"Xon / Xoff", u"硬件", u"无"}, 1, false});
    return boxes;
}

core::u16 SerialSettingsValue(core::u16view baudText, int parityIndex, core::u16view dataBitsText,
                              core::u16view stopBitsText, int flowIndex) {
    const core::u16view parity = parityIndex == 0 ? u"e" : parityIndex == 1 ? u"o" : u"n";
    const core::u16view flow = flowIndex == 0 ? u"x" : flowIndex == 1 ? u"p" : u"";
    core::u16 value;
    value += baudText.substr(0, 255);
    value += u',';
    value += parity;
    value += u',';
    value += dataBitsText.substr(0, 127);
    value += u',';
    value += stopBitsText.substr(0, 127);
    value += u',';
    value += flow;
    return value;
}

core::u16 FindNewTcpPort(os::Spooler& spooler, TcpPortList& list) {
    std::vector<os::PortRecord> ports;
    if (spooler.EnumeratePorts(&ports) != os::PortEnumResult::kOk) return core::u16();
    for (const auto& port : ports) {
        if (!IsTcpPort(port)) continue;
        const bool known = std::any_of(list.begin(), list.end(),
                                       [&](const os::PortRecord& r) { return r.name == port.name; });
        if (!known) {
            list.push_back(port);
            return port.name;
        }
    }
    return core::u16();
}

bool DeleteTcpPort(os::Spooler& spooler, os::WindowHandle owner, TcpPortList& list,
                   core::u16view portName) {
    const auto it = std::find_if(list.begin(), list.end(),
                                 [&](const os::PortRecord& r) { return r.name == portName; });
    if (it == list.end()) return false;
    const core::u16 name = it->name;
    list.erase(it);
    spooler.DeletePort(owner, name);
    return true;
}

bool NewTcpPort(os::Spooler& spooler, os::WindowHandle owner, TcpPortList& list, PortRow* row) {
    if (!spooler.AddPort(owner, kTcpMonitorName)) return false;
    core::u16 name = FindNewTcpPort(spooler, list);
    if (name.empty()) return false;
    row->name = std::move(name);
    row->description = kTcpMonitorName;
    row->monitor.clear();
    return true;
}

std::vector<PortRow> TcpDialogRows(const TcpPortList& list) {
    std::vector<PortRow> rows;
    for (const auto& r : list) rows.push_back({r.name, r.description, r.monitor});
    return rows;
}

std::vector<PortRow> SelectPortRows(os::Spooler& spooler) {
    std::vector<os::PortRecord> ports;
    std::vector<PortRow> rows;
    if (spooler.EnumeratePorts(&ports) != os::PortEnumResult::kOk) return rows;
    for (const auto& p : ports) rows.push_back({p.name, p.description, p.monitor});
    return rows;
}

TcpDialogTexts GetTcpDialogTexts(int uiLanguage) {
    TcpDialogTexts t;
    if (uiLanguage == kUiChinese) {
        t.portColumn = u"端口";
        t.descriptionColumn = u"说明";
        return t;
    }
    t.caption = u"Select TCP/IP Port";
    t.group = u"Please select a Standard TCP/IP Port";
    t.deleteButton = u"Delete";
    t.newButton = u"New";
    t.configureButton = u"Configure";
    t.ok = u"OK";
    t.cancel = u"Cancel";
    t.portColumn = u"Port";
    t.descriptionColumn = u"Description";
    return t;
}

SelectPortDialogTexts GetSelectPortDialogTexts(int uiLanguage) {
    SelectPortDialogTexts t;
    if (uiLanguage == kUiChinese) {
        t.caption = u"选择打印机端口";
        t.ok = u"确定";
        t.cancel = u"取消";
        t.portColumn = u"端口";
        t.descriptionColumn = u"描述";
        t.monitorColumn = u"监视器";
        return t;
    }
    t.caption = u"Select Printer Port";
    t.portColumn = u"Port";
    t.descriptionColumn = u"Description";
    t.monitorColumn = u"Monitor";
    return t;
}

std::array<int, 2> TcpDialogColumnWidths(int width) { return {width / 3, 2 * width / 3 - 1}; }

std::array<int, 3> SelectPortColumnWidths(int width) {
    return {width / 3, width / 3, width / 3 - 1};
}

}  // namespace ui
