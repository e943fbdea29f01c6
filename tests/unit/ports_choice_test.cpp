#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_spooler.h"
#include "ui/messages.h"
#include "ui/port_choice.h"

namespace {

using core::u16;
using Entries = std::vector<u16>;

std::vector<u16> Names(const ui::TcpPortList& list) {
    std::vector<u16> out;
    for (const auto& r : list) out.push_back(r.name);
    return out;
}

void PoisonSnapshot(ui::PortNameSnapshot& s) {
    for (auto& row : s.names)
        for (auto& c : row) c = u'#';
}

fakes::FakeSpooler TypicalSpooler() {
    fakes::FakeSpooler sp;
    sp.AddPortRecord(u"COM1:", u"Local Port");
    sp.AddPortRecord(u"LPT1:", u"Local Port");
    sp.AddPortRecord(u"COM2:", u"Local Port");
    sp.AddPortRecord(u"FILE:", u"Local Port");
    sp.AddTcpPort(u"IP_10.0.0.7");
    sp.AddPortRecord(u"USB001", u"Dynamic Print Monitor");
    return sp;
}

TEST(PortsBox, ComThenLptThenTheNetworkEntryByLanguage) {
    struct Case {
        int language;
        u16 network;
    } cases[] = {
        {ui::kUiEnglish, u"Net Port(TCP/IP)"},
        {ui::kUiChinese, u"网络端口（TCP/IP）"},
        {ui::kUiRussian, u"Net Port(TCP/IP)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        fakes::FakeSpooler sp = TypicalSpooler();
        ui::TcpPortList tcp;
        const ui::PortBox box = ui::FillPortBox(sp, c.language, tcp);
        EXPECT_EQ(box.entries, (Entries{u"USB", u"COM1", u"COM2", u"LPT1", c.network}));
        EXPECT_EQ(box.selected, 0);
        EXPECT_EQ(Names(tcp), (std::vector<u16>{u"IP_10.0.0.7"}));
        EXPECT_EQ(ui::NetworkPortEntryText(c.language), c.network);
    }
}

TEST(PortsBox, NamesThatAreNotOffered) {
    struct Case {
        const char* label;
        std::vector<u16> ports;
        Entries middle;  // between "USB" and the network entry
    } cases[] = {
        {"case counts", {u"com3:", u"Com4:", u"lpt2:", u"COM5:"}, {u"COM5"}},
        {"only a prefix", {u"XCOM1:", u"LPTX", u"CO"}, {u"LPT"}},
        {"the last character goes whatever it is", {u"COM7", u"COM"}, {u"COM", u"CO"}},
        {"longer than seven characters keep all but the colon", {u"COM1234567:", u"LPT12345678:"},
         {u"COM1234567", u"LPT12345678"}},
        {"255 characters fit, 256 do not", {u"COM" + u16(251, u'9') + u":", u"COM" + u16(252, u'8') + u":"},
         {u"COM" + u16(251, u'9')}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        fakes::FakeSpooler sp;
        for (const auto& n : c.ports) sp.AddPortRecord(n, u"Local Port");
        ui::TcpPortList tcp;
        const ui::PortBox box = ui::FillPortBox(sp, ui::kUiEnglish, tcp);
        Entries expected{u"USB"};
        expected.insert(expected.end(), c.middle.begin(), c.middle.end());
        expected.push_back(u"Net Port(TCP/IP)");
        EXPECT_EQ(box.entries, expected);
    }
}

TEST(PortsBox, SpoolerFailuresLeaveUsbAndTheNetworkEntry) {
    for (auto result : {os::PortEnumResult::kNoSizeReported, os::PortEnumResult::kFetchFailed}) {
        SCOPED_TRACE(static_cast<int>(result));
        fakes::FakeSpooler sp = TypicalSpooler();
        sp.portResult = result;
        ui::TcpPortList tcp;
        const ui::PortBox box = ui::FillPortBox(sp, ui::kUiChinese, tcp);
        EXPECT_EQ(box.entries, (Entries{u"USB", u"网络端口（TCP/IP）"}));
        EXPECT_EQ(box.selected, 0);
        EXPECT_TRUE(tcp.empty());
        ui::PortNameSnapshot snapshot;
        PoisonSnapshot(snapshot);
        EXPECT_EQ(ui::TakePortNameSnapshot(sp, snapshot), 0u);
        for (std::size_t i = 0; i < ui::kSnapshotPorts; ++i) ASSERT_TRUE(snapshot.Entry(i).empty()) << i;
        EXPECT_TRUE(ui::SelectPortRows(sp).empty());
    }
}

TEST(PortsSnapshot, NamesInOrderCutTo254) {
    fakes::FakeSpooler sp;
    const std::size_t lengths[] = {5, 253, 254, 255, 300};
    for (std::size_t i = 0; i < 5; ++i) sp.AddPortRecord(u16(lengths[i], static_cast<char16_t>(u'a' + i)), u"m");
    sp.AddPortRecord(u"", u"m");  // a nameless record does not end the table early
    sp.AddPortRecord(u"LAST", u"m");
    ui::PortNameSnapshot snapshot;
    PoisonSnapshot(snapshot);
    EXPECT_EQ(ui::TakePortNameSnapshot(sp, snapshot), 6u);
    for (std::size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(lengths[i]);
        EXPECT_EQ(snapshot.Entry(i), u16(std::min<std::size_t>(lengths[i], 254), static_cast<char16_t>(u'a' + i)));
        EXPECT_EQ(snapshot.names[i][std::min<std::size_t>(lengths[i], 254)], 0);
    }
    EXPECT_EQ(snapshot.Entry(5), u"LAST");
    EXPECT_TRUE(snapshot.Entry(6).empty());
    EXPECT_TRUE(snapshot.Entry(ui::kSnapshotPorts - 1).empty());
}

TEST(PortsSnapshot, AtMost512Ports) {
    for (std::size_t count : {511u, 512u, 513u, 700u}) {
        SCOPED_TRACE(count);
        fakes::FakeSpooler sp;
        for (std::size_t i = 0; i < count; ++i) sp.AddPortRecord(u"P" + core::DecimalU16(static_cast<int>(i)), u"m");
        ui::PortNameSnapshot snapshot;
        const std::size_t kept = std::min<std::size_t>(count, ui::kSnapshotPorts);
        EXPECT_EQ(ui::TakePortNameSnapshot(sp, snapshot), kept);
        EXPECT_EQ(snapshot.Entry(kept - 1), u"P" + core::DecimalU16(static_cast<int>(kept - 1)));
        if (kept < ui::kSnapshotPorts) {
            EXPECT_TRUE(snapshot.Entry(kept).empty());
        }
    }
}

TEST(PortsTcp, MonitorNameIgnoringCase) {
    fakes::FakeSpooler sp;
    sp.AddPortRecord(u"A", u"tcpmon.dll", u"first");
    sp.AddPortRecord(u"B", u"TCPMON.DLL", u"second");
    sp.AddPortRecord(u"C", u"tcpmon.dll.old");
    sp.AddPortRecord(u"D", u"Standard TCP/IP Port");
    sp.AddPortRecord(u"E", u"TcpMon.Dll", u"third");
    sp.ports[1].type = 0x7;
    sp.ports[1].reserved = 0x55;
    ui::TcpPortList tcp;
    ui::CollectTcpPorts(sp, tcp);
    EXPECT_EQ(Names(tcp), (std::vector<u16>{u"A", u"B", u"E"}));
    EXPECT_EQ(tcp[1].description, u"second");
    EXPECT_EQ(tcp[1].monitor, u"TCPMON.DLL");
    EXPECT_EQ(tcp[1].type, 0x7u);
    EXPECT_EQ(tcp[1].reserved, 0x55u);
}

TEST(PortsTcp, FindNewTcpPort) {
    struct Case {
        const char* label;
        std::vector<u16> known, spoolerTcp;
        u16 found;
    } cases[] = {
        {"nothing new", {u"A", u"B"}, {u"A", u"B"}, u""},
        {"one new", {u"A"}, {u"A", u"B"}, u"B"},
        {"two new: only the first", {u"A"}, {u"C", u"A", u"B"}, u"C"},
        {"names compare exactly", {u"ip_1"}, {u"IP_1"}, u"IP_1"},
        {"empty list", {}, {u"A"}, u"A"},
        {"no network ports", {}, {}, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        fakes::FakeSpooler sp;
        sp.AddPortRecord(u"COM1:", u"Local Port");
        for (const auto& n : c.spoolerTcp) sp.AddTcpPort(n);
        ui::TcpPortList list;
        for (const auto& n : c.known) list.push_back({n, u"tcpmon.dll", u"", 0, 0});
        EXPECT_EQ(ui::FindNewTcpPort(sp, list), c.found);
        std::vector<u16> expected = c.known;
        if (!c.found.empty()) expected.push_back(c.found);
        EXPECT_EQ(Names(list), expected);
    }
    // The spooler cannot list its ports.
    fakes::FakeSpooler sp;
    sp.AddTcpPort(u"New");
    sp.portResult = os::PortEnumResult::kFetchFailed;
    ui::TcpPortList list;
    EXPECT_EQ(ui::FindNewTcpPort(sp, list), u"");
    EXPECT_TRUE(list.empty());
}

TEST(PortsTcp, NewPortAddsOnlyThePortJustCreated) {
    fakes::FakeSpooler sp;
    sp.AddTcpPort(u"Old");
    ui::TcpPortList list;
    ui::CollectTcpPorts(sp, list);
    constexpr os::WindowHandle kOwner = 0x1234;

    ui::PortRow row{u"poison", u"poison", u"poison"};
    EXPECT_FALSE(ui::NewTcpPort(sp, kOwner, list, &row));  // the wizard was cancelled
    EXPECT_EQ(row.name, u"poison");
    ASSERT_EQ(sp.calls.size(), 1u);
    EXPECT_EQ(sp.calls[0].kind, fakes::FakeSpooler::Call::kAdd);
    EXPECT_EQ(sp.calls[0].owner, kOwner);
    EXPECT_EQ(sp.calls[0].argument, u"Standard TCP/IP Port");

    sp.QueuePortForAdd({u"IP_1", u"tcpmon.dll", u"Standard TCP/IP Port", 3, 0});
    EXPECT_TRUE(ui::NewTcpPort(sp, kOwner, list, &row));
    EXPECT_EQ(row.name, u"IP_1");
    EXPECT_EQ(row.description, u"Standard TCP/IP Port");
    sp.QueuePortForAdd({u"IP_2", u"tcpmon.dll", u"whatever the monitor says", 3, 0});
    EXPECT_TRUE(ui::NewTcpPort(sp, kOwner, list, &row));
    EXPECT_EQ(row.name, u"IP_2");
    EXPECT_EQ(row.description, u"Standard TCP/IP Port");
    EXPECT_EQ(Names(list), (std::vector<u16>{u"Old", u"IP_1", u"IP_2"}));

    // A port created by another monitor is not a network port: no empty row.
    sp.QueuePortForAdd({u"Other", u"Local Port", u"", 3, 0});
    row = {u"poison", u"", u""};
    EXPECT_FALSE(ui::NewTcpPort(sp, kOwner, list, &row));
    EXPECT_EQ(row.name, u"poison");
    EXPECT_EQ(list.size(), 3u);
}

TEST(PortsTcp, DeleteRemovesTheFirstExactRecordOnly) {
    struct Case {
        const char* label;
        u16 name;
        bool removed;
        std::vector<u16> left;
    } cases[] = {
        {"first of two with the same name", u"A", true, {u"B", u"A"}},
        {"middle", u"B", true, {u"A", u"A"}},
        {"case counts", u"b", false, {u"A", u"B", u"A"}},
        {"not known", u"Z", false, {u"A", u"B", u"A"}},
        {"empty name", u"", false, {u"A", u"B", u"A"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        fakes::FakeSpooler sp;
        ui::TcpPortList list;
        for (const char16_t* n : {u"A", u"B", u"A"}) list.push_back({n, u"tcpmon.dll", u"", 0, 0});
        EXPECT_EQ(ui::DeleteTcpPort(sp, 77, list, c.name), c.removed);
        EXPECT_EQ(Names(list), c.left);
        if (c.removed) {
            ASSERT_EQ(sp.calls.size(), 1u);
            EXPECT_EQ(sp.calls[0].kind, fakes::FakeSpooler::Call::kDelete);
            EXPECT_EQ(sp.calls[0].owner, 77u);
            EXPECT_EQ(sp.calls[0].argument, c.name);
        } else {
            EXPECT_TRUE(sp.calls.empty());
        }
    }
}

TEST(PortsSerial, BoxesAndDefaults) {
    const auto boxes = ui::SerialBoxes();
    ASSERT_EQ(boxes.size(), 5u);
    struct Expect {
        int id;
        Entries items;
        u16 defaultText;
        bool sorted;
    } expect[] = {
        {1048, {u"100", u"300", u"1200", u"2400", u"4800", u"9600", u"19200", u"38400", u"57600", u"115200",
                u"230400", u"460800", u"921600"}, u"115200", false},
        {1047, {u"5", u"6", u"7", u"8"}, u"8", true},
        {1049, {u"偶校验", u"奇校验", u"无"}, u"无", true},
        {1051, {u"1", u"1.5", u"2"}, u"1", true},
        {1052, {u"Xon / Xoff", u"硬件", u"无"}, u"硬件", false},
    };
    for (std::size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(expect[i].id);
        EXPECT_EQ(boxes[i].controlId, expect[i].id);
        EXPECT_EQ(boxes[i].items, expect[i].items);
        ASSERT_GE(boxes[i].defaultIndex, 0);
        ASSERT_LT(static_cast<std::size_t>(boxes[i].defaultIndex), boxes[i].items.size());
        EXPECT_EQ(boxes[i].items[static_cast<std::size_t>(boxes[i].defaultIndex)], expect[i].defaultText);
        EXPECT_EQ(boxes[i].sorted, expect[i].sorted);
    }
}

TEST(PortsSerial, SettingsValue) {
    const auto boxes = ui::SerialBoxes();
    auto def = [&](std::size_t b) { return boxes[b].items[static_cast<std::size_t>(boxes[b].defaultIndex)]; };
    EXPECT_EQ(ui::SerialSettingsValue(def(0), boxes[2].defaultIndex, def(1), def(3), boxes[4].defaultIndex),
              u"115200,n,8,1,p");
    struct Case {
        u16 baud;
        int parity;
        u16 data, stop;
        int flow;
        u16 value;
    } cases[] = {
        {u"9600", 1, u"8", u"1", 2, u"9600,o,8,1,"},
        {u"115200", 0, u"7", u"1.5", 0, u"115200,e,7,1.5,x"},
        {u"300", 2, u"5", u"2", 1, u"300,n,5,2,p"},
        {u"1200", -1, u"6", u"1", -1, u"1200,n,6,1,"},
        {u"1200", 3, u"6", u"1", 3, u"1200,n,6,1,"},
        {u"", 0, u"", u"", 0, u",e,,,x"},
        {u16(300, u'9'), 0, u16(200, u'8'), u16(128, u'1'), 0,
         u16(255, u'9') + u",e," + u16(127, u'8') + u"," + u16(127, u'1') + u",x"},
        {u16(255, u'9'), 0, u16(127, u'8'), u16(126, u'1'), 0,
         u16(255, u'9') + u",e," + u16(127, u'8') + u"," + u16(126, u'1') + u",x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(core::Utf16ToUtf8(c.value.substr(0, 40)));
        EXPECT_EQ(ui::SerialSettingsValue(c.baud, c.parity, c.data, c.stop, c.flow), c.value);
    }
}

TEST(PortsSerial, SelectionEnablesTheSerialControlsForComOnly) {
    struct Case {
        u16 entry;
        bool enabled;
    } cases[] = {
        {u"COM2", true},  {u"COM", true},   {u"COM10", true}, {u"USB", false},
        {u"LPT1", false}, {u"Net Port(TCP/IP)", false},       {u"网络端口（TCP/IP）", false},
        {u"com1", false}, {u"CO", false},   {u"", false},     {u" COM1", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(core::Utf16ToUtf8(c.entry));
        const ui::PortSelection s = ui::OnPortSelected(c.entry);
        EXPECT_EQ(s.portPrefix, c.entry);
        EXPECT_EQ(s.serialEnabled, c.enabled);
    }
}

TEST(PortsDialogs, RowsInOrder) {
    fakes::FakeSpooler sp = TypicalSpooler();
    sp.ports[0].description = u"Serial";
    const auto rows = ui::SelectPortRows(sp);
    ASSERT_EQ(rows.size(), sp.ports.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].name, sp.ports[i].name);
        EXPECT_EQ(rows[i].description, sp.ports[i].description);
        EXPECT_EQ(rows[i].monitor, sp.ports[i].monitor);
    }
    ui::TcpPortList list{{u"X", u"tcpmon.dll", u"dx", 0, 0}, {u"Y", u"tcpmon.dll", u"dy", 0, 0}};
    const auto tcpRows = ui::TcpDialogRows(list);
    ASSERT_EQ(tcpRows.size(), 2u);
    EXPECT_EQ(tcpRows[0].name, u"X");
    EXPECT_EQ(tcpRows[1].description, u"dy");
}

TEST(PortsDialogs, TextsByLanguage) {
    const ui::TcpDialogTexts zh = ui::GetTcpDialogTexts(ui::kUiChinese);
    EXPECT_EQ(zh.portColumn, u"端口");
    EXPECT_EQ(zh.descriptionColumn, u"说明");
    EXPECT_EQ(zh.caption, u"");  // the template's caption and texts stay
    EXPECT_EQ(zh.ok, u"");
    for (int language : {ui::kUiEnglish, ui::kUiRussian}) {
        SCOPED_TRACE(language);
        const ui::TcpDialogTexts en = ui::GetTcpDialogTexts(language);
        EXPECT_EQ(en.caption, u"Select TCP/IP Port");
        EXPECT_EQ(en.group, u"Please select a Standard TCP/IP Port");
        EXPECT_EQ(en.deleteButton, u"Delete");
        EXPECT_EQ(en.newButton, u"New");
        EXPECT_EQ(en.configureButton, u"Configure");
        EXPECT_EQ(en.ok, u"OK");
        EXPECT_EQ(en.cancel, u"Cancel");
        EXPECT_EQ(en.portColumn, u"Port");
        EXPECT_EQ(en.descriptionColumn, u"Description");

        const ui::SelectPortDialogTexts sel = ui::GetSelectPortDialogTexts(language);
        EXPECT_EQ(sel.caption, u"Select Printer Port");
        EXPECT_EQ(sel.portColumn, u"Port");
        EXPECT_EQ(sel.descriptionColumn, u"Description");
        EXPECT_EQ(sel.monitorColumn, u"Monitor");
        EXPECT_EQ(sel.ok, u"");
    }
    const ui::SelectPortDialogTexts sel = ui::GetSelectPortDialogTexts(ui::kUiChinese);
    EXPECT_EQ(sel.caption, u"选择打印机端口");
    EXPECT_EQ(sel.portColumn, u"端口");
    EXPECT_EQ(sel.descriptionColumn, u"描述");
    EXPECT_EQ(sel.monitorColumn, u"监视器");
    EXPECT_EQ(sel.ok, u"确定");
    EXPECT_EQ(sel.cancel, u"取消");

    EXPECT_EQ(ui::TcpDialogColumnWidths(300), (std::array<int, 2>{100, 199}));
    EXPECT_EQ(ui::TcpDialogColumnWidths(301), (std::array<int, 2>{100, 199}));
    EXPECT_EQ(ui::TcpDialogColumnWidths(302), (std::array<int, 2>{100, 200}));
    EXPECT_EQ(ui::SelectPortColumnWidths(300), (std::array<int, 3>{100, 100, 99}));
    EXPECT_EQ(ui::SelectPortColumnWidths(302), (std::array<int, 3>{100, 100, 99}));
}

}  // namespace
