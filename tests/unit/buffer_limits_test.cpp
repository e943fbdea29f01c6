// Every fixed-size field, probed at its limit - 1, its limit and its limit
// + 1, one table per module. Past the limit each field does what its
// interface promises: cut to the limit, or refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/deployment.h"
#include "engine/folders.h"
#include "engine/gpc_file.h"
#include "engine/printer_name.h"
#include "engine/unique_printer_name.h"
#include "engine/usb_detect.h"
#include "engine_install_test_support.h"
#include "fakes/fake_dbcs_code_page.h"
#include "fakes/fake_device_setup.h"
#include "fakes/fake_fs.h"
#include "fakes/fake_log_sink.h"
#include "fakes/fake_profile.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_spooler.h"
#include "payload/container.h"
#include "payload/container_writer.h"
#include "payload/member_name.h"
#include "texts/install_texts.h"
#include "texts/text_ini.h"
#include "payload_test_support.h"
#include "texts_test_support.h"
#include "ui/dialog_texts.h"
#include "ui/language_labels.h"
#include "ui/messages.h"
#include "ui/model_catalogue.h"
#include "ui/page_flow.h"
#include "ui/port_choice.h"

namespace {

using core::u16;
using testsupport::Repeat;
using testsupport::Utf16File;

// ------------------------------------------------------------------ payload

// Member names: 255 bytes (8-bit), 255 units (wide). A longer name is
// refused by every check and by the packer; the appended reader keeps 256
// bytes of it, enough to be refused.
TEST(BufferLimitsPayload, MemberNames) {
    fakes::FakeDbcsCodePage dbcs;
    for (const std::size_t length : {254u, 255u, 256u}) {
        SCOPED_TRACE(length);
        const bool fits = length <= 255;
        const std::string name = "d\\" + std::string(length - 2, 'n');
        EXPECT_EQ(payload::IsSafeMemberName(name), fits);
        EXPECT_EQ(payload::IsSafeMemberName(u"d\\" + u16(length - 2, u'n')), fits);
        EXPECT_EQ(payload::ToSafeMemberName(name, dbcs, nullptr), fits);
        // Double-byte characters count as two bytes each.
        std::string pairs;
        while (pairs.size() + 2 <= length) pairs += "\x95\x5C";
        if (pairs.size() < length) pairs += 'n';
        ASSERT_EQ(pairs.size(), length);
        EXPECT_EQ(payload::ToSafeMemberName(pairs, dbcs, nullptr), fits);

        const std::vector<payload::PackMember> members = {{name, {'x'}}};
        EXPECT_EQ(payload::CheckMembers(members).problem,
                  fits ? payload::PackProblem::kNone : payload::PackProblem::kNameTooLong);

        // The appended reader: the name as stored, or its first 256 bytes.
        std::vector<std::uint8_t> image(16, 0);
        const auto put = [&image](std::uint32_t v) {
            for (int s = 0; s < 32; s += 8) image.push_back(static_cast<std::uint8_t>(v >> s));
        };
        put(0);  // H
        put(static_cast<std::uint32_t>(length + 1));
        put(1);
        image.insert(image.end(), length + 1, 'n');  // a name one longer than the case
        image.push_back('D');
        put(1);
        put(16);
        fakes::FakeFileSystem fs;
        fs.AddFile(u"C:\\setup.exe", image);
        auto file = fs.OpenForRead(u"C:\\setup.exe");
        payload::AppendedLayout layout;
        ASSERT_EQ(payload::ReadAppendedLayout(*file, &layout), payload::AppendedStatus::kOk);
        payload::AppendedEntry entry;
        ASSERT_EQ(payload::ReadAppendedEntry(*file, layout, layout.firstEntry, &entry), payload::AppendedStatus::kOk);
        EXPECT_EQ(entry.name.size(), std::min<std::size_t>(length + 1, 256));
        EXPECT_EQ(payload::IsSafeMemberName(entry.name), length + 1 <= 255);
    }
}

// ------------------------------------------------------------------- texts

const u16 kSep = Repeat(u'=', 50);

texts::InstallTexts ParseTexts(const u16& text) {
    texts::InstallTexts t;
    std::memset(static_cast<void*>(&t), 0x5A, sizeof t);
    const auto bytes = Utf16File(text);
    texts::ParseInstallTexts(bytes.data(), bytes.size(), t);
    return t;
}

std::vector<u16> PageFields(const texts::InstallTexts& t) {
    return {u16(core::FieldView(t.WelcomeText)),   u16(core::FieldView(t.FolderText)),
            u16(core::FieldView(t.InstallingText)), u16(core::FieldView(t.SuccessText)),
            u16(core::FieldView(t.CancelledText)),  u16(core::FieldView(t.FailedText))};
}

std::vector<u16> NameFields(const texts::InstallTexts& t) {
    return {u16(core::FieldView(t.WindowTitle)), u16(core::FieldView(t.PrinterBaseName)),
            u16(core::FieldView(t.DriverName)),  u16(core::FieldView(t.MonitorName)),
            u16(core::FieldView(t.PortPrefix)),  u16(core::FieldView(t.ProductTitle)),
            u16(core::FieldView(t.DriverResourceDll))};
}

// Page texts: 511 characters (a 512-unit field); a longer block is cut.
TEST(BufferLimitsTexts, PageTexts) {
    for (std::size_t page = 0; page < 6; ++page) {
        for (const std::size_t length : {510u, 511u, 512u}) {
            SCOPED_TRACE(testing::Message() << "page " << page << ", " << length << " characters");
            // Lines of 49 characters and their line feed, the last one shorter.
            u16 block;
            while (block.size() + 50 < length) block += Repeat(u'a', 49) + u"\n";
            block += Repeat(u'b', length - block.size() - 1) + u"\n";
            ASSERT_EQ(block.size(), length);
            u16 file;
            for (std::size_t p = 0; p < 6; ++p) {
                u16 text = p == page ? block : u"Page\n";
                std::size_t at = 0;
                while ((at = text.find(u'\n', at)) != u16::npos) {
                    text.replace(at, 1, u"\r\n");
                    at += 2;
                }
                file += text + kSep + u"\r\n";
            }
            file += u"Title\r\nBase";
            const auto pages = PageFields(ParseTexts(file));
            for (std::size_t p = 0; p < 6; ++p)
                EXPECT_EQ(pages[p], p == page ? block.substr(0, 511) : u"Page\n") << p;
            EXPECT_EQ(NameFields(ParseTexts(file))[1], u"Base");
        }
    }
}

// Name lines: one read takes 254 characters; the rest of a longer line is
// dropped and never reaches the next field.
TEST(BufferLimitsTexts, NameLines) {
    for (std::size_t field = 0; field < 7; ++field) {
        for (const std::size_t length : {253u, 254u, 255u}) {
            SCOPED_TRACE(testing::Message() << "name " << field << ", " << length << " characters");
            std::vector<u16> names = {u"Title", u"Base", u"Drv", u"Mon", u"Mon:", u"Product", u"RES.DLL"};
            names[field] = Repeat(u'n', length);
            u16 file;
            for (int p = 0; p < 6; ++p) file += u"Page\r\n" + kSep + u"\r\n";
            for (const u16& n : names) file += n + u"\r\n";
            file += u"Dialog title";
            std::vector<u16> expected = names;
            expected[field] = Repeat(u'n', std::min<std::size_t>(length, 254));
            EXPECT_EQ(NameFields(ParseTexts(file)), expected);
        }
    }
}

// The language dialog's caption: the last piece read, 254 characters.
TEST(BufferLimitsTexts, LastLine) {
    for (const std::size_t length : {253u, 254u, 255u}) {
        SCOPED_TRACE(length);
        const u16 last = Repeat(u'c', length - 1) + u"C";
        const auto bytes = Utf16File(u"first\r\n" + last);
        EXPECT_EQ(texts::ReadLastLine(bytes.data(), bytes.size()), length <= 254 ? last : u"C");
    }
}

// Text.ini values: 255 characters (a 256-unit buffer), whatever the reader
// hands back.
TEST(BufferLimitsTexts, TextIniLabels) {
    const u16 folder = u"C:\\Docs";
    const u16 ini = folder + u"\\Text.ini";
    for (const std::size_t length : {254u, 255u, 256u}) {
        SCOPED_TRACE(length);
        const u16 value = Repeat(u'v', length);
        const u16 kept = Repeat(u'v', std::min<std::size_t>(length, 255));
        fakes::FakeProfileReader profile;  // returns values whole
        for (const textini::Key& key : textini::kAllKeys) profile.Set(ini, u"Text", key.name, value);
        const ui::TextIni source{&profile, ini};
        for (const textini::Key& key : textini::kAllKeys) {
            SCOPED_TRACE(core::Utf16ToUtf8(key.name));
            EXPECT_EQ(textini::ReadTextIni(profile, folder, key), kept);
            EXPECT_EQ(source.Get(key.name, key.fallback), kept);
        }
        EXPECT_EQ(ui::ModelPromptText(ui::kUiRussian, source), kept);
        EXPECT_EQ(ui::FinishLabel(ui::kUiRussian, source), kept);
        const ui::MessageBoxSpec box = ui::GetMessageBox(ui::MessageId::kNoModel, ui::kUiRussian, source);
        EXPECT_EQ(box.caption, kept);
        EXPECT_EQ(box.text, kept);
        const ui::WizardDialogTexts dialog = ui::GetWizardDialogTexts(ui::kUiRussian, u"T", source);
        EXPECT_EQ(dialog.labels[0].text, kept);  // Back
        fakes::FakeFileSystem fs;
        const ui::langdlg::LabelSources sources{folder, fs, profile};
        for (const auto& action : ui::langdlg::RelabelActions(ui::LanguageDialogClass::English, 2, sources)) {
            if (action.kind == ui::langdlg::ActionKind::SetText && action.target != ui::langdlg::Target::Ok) {
                EXPECT_EQ(action.text, kept);
            }
        }
    }
}

// --------------------------------------------------------------- catalogue

struct Parsed {
    std::unique_ptr<core::ModelTable> table = std::make_unique<core::ModelTable>();
    std::vector<u16> entries;
    int rows = 0;
};

Parsed ParseModels(const u16& text) {
    Parsed p;
    const auto bytes = Utf16File(u"//comment\r\n" + text);
    p.rows = ui::ParsePrinterModels(bytes.data(), bytes.size(), *p.table, p.entries);
    return p;
}

// Record texts: ModelName and VidPid 63 characters, CommandSet and
// HardwareId 31; longer texts are cut and the fields after them still read.
TEST(BufferLimitsCatalogue, RecordTexts) {
    struct Field {
        const char* name;
        int column;
        std::size_t limit;
        const char16_t* (*get)(const core::PrinterModel&);
        std::size_t capacity;
    };
    const Field fields[] = {
        {"ModelName", 0, 63, [](const core::PrinterModel& m) -> const char16_t* { return m.ModelName; }, 64},
        {"CommandSet", 2, 31, [](const core::PrinterModel& m) -> const char16_t* { return m.CommandSet; }, 32},
        {"VidPid", 4, 63, [](const core::PrinterModel& m) -> const char16_t* { return m.VidPid; }, 64},
        {"HardwareId", 6, 31, [](const core::PrinterModel& m) -> const char16_t* { return m.HardwareId; }, 32},
    };
    for (const Field& f : fields) {
        for (const std::size_t length : {f.limit - 1, f.limit, f.limit + 1}) {
            SCOPED_TRACE(testing::Message() << f.name << ", " << length << " characters");
            u16 columns[10] = {u"N", u"0", u"TSC", u"G", u"V", u"1", u"H", u"2", u"3", u"4"};
            columns[f.column] = Repeat(u'x', length);
            u16 row;
            for (int i = 0; i < 10; ++i) row += (i ? u"," : u"") + columns[i];
            const Parsed p = ParseModels(row);
            ASSERT_EQ(p.rows, 1);
            const core::PrinterModel& m = (*p.table)[1];
            EXPECT_EQ(core::FieldView(f.get(m), f.capacity), Repeat(u'x', std::min(length, f.limit)));
            EXPECT_EQ(m.HeadWidthDots, 4);
        }
    }
}

// The scan buffer of one field holds 254 characters; the box entry shows the
// field as scanned.
TEST(BufferLimitsCatalogue, ScannedField) {
    for (const std::size_t length : {253u, 254u, 255u}) {
        SCOPED_TRACE(length);
        const Parsed p = ParseModels(Repeat(u'n', length));  // the last line: no line end
        ASSERT_EQ(p.rows, 1);
        EXPECT_EQ(p.entries[0], Repeat(u'n', std::min<std::size_t>(length, 254)));
        EXPECT_EQ(core::FieldView((*p.table)[1].ModelName), Repeat(u'n', 63));
    }
}

// ------------------------------------------------------------------- ports

// A COM or LPT entry goes back into a 256-unit port slot with its colon:
// names of up to 255 units are offered, longer ones are not.
TEST(BufferLimitsPorts, ComAndLptEntries) {
    for (const std::size_t length : {254u, 255u, 256u}) {
        SCOPED_TRACE(length);
        fakes::FakeSpooler sp;
        const u16 com = u"COM" + Repeat(u'9', length - 4) + u":";
        const u16 lpt = u"LPT" + Repeat(u'8', length - 4) + u":";
        sp.AddPortRecord(com, u"Local Port");
        sp.AddPortRecord(lpt, u"Local Port");
        ui::TcpPortList tcp;
        const ui::PortBox box = ui::FillPortBox(sp, ui::kUiEnglish, tcp);
        std::vector<u16> expected = {u"USB"};
        if (length <= 255) {
            expected.push_back(com.substr(0, length - 1));
            expected.push_back(lpt.substr(0, length - 1));
        }
        expected.push_back(u"Net Port(TCP/IP)");
        EXPECT_EQ(box.entries, expected);
    }
}

// The serial settings value: the baud-rate text keeps 255 units, the
// data-bits and stop-bits texts 127 each.
TEST(BufferLimitsPorts, SerialSettingsTexts) {
    struct Case {
        std::size_t baud, bits;
    };
    for (const Case c : {Case{254, 126}, Case{255, 127}, Case{256, 128}}) {
        SCOPED_TRACE(c.baud);
        const u16 value =
            ui::SerialSettingsValue(Repeat(u'1', c.baud), 2, Repeat(u'8', c.bits), Repeat(u'2', c.bits), 1);
        EXPECT_EQ(value, Repeat(u'1', std::min<std::size_t>(c.baud, 255)) + u",n," +
                             Repeat(u'8', std::min<std::size_t>(c.bits, 127)) + u"," +
                             Repeat(u'2', std::min<std::size_t>(c.bits, 127)) + u",p");
    }
}

// --------------------------------------------------------------- page flow

// Folder paths: 255 units; a longer path is refused and nothing is created.
TEST(BufferLimitsPageFlow, FolderPaths) {
    for (const std::size_t length : {254u, 255u, 256u}) {
        SCOPED_TRACE(length);
        fakes::FakeFileSystem fs;
        fs.AddDrive(u"C:");
        const u16 parent = u"C:\\" + Repeat(u'p', 100);
        const u16 path = parent + u"\\" + Repeat(u'f', length - parent.size() - 1);
        ASSERT_EQ(path.size(), length);
        EXPECT_EQ(ui::CreateFolderPath(fs, path), length <= 255 ? 1 : 0);
        EXPECT_EQ(fs.DirectoryExists(path), length <= 255);
        EXPECT_EQ(fs.DirectoryExists(parent), length <= 255);
    }
}

// Printer names: 255 units; a longer wanted name is cut, a numbered form
// cuts the wanted name so that the whole form fits, the driver name
// "<name> Driver" is cut to 255.
TEST(BufferLimitsPageFlow, PrinterNames) {
    for (const std::size_t length : {254u, 255u, 256u}) {
        SCOPED_TRACE(length);
        fakes::FakeSpooler sp;
        EXPECT_EQ(engine::MakeUniquePrinterName(sp, Repeat(u'w', length), ui::kUiEnglish),
                  Repeat(u'w', std::min<std::size_t>(length, 255)));
    }
    // " (copy 1)" is 9 units: the wanted name keeps 246 of them.
    for (const std::size_t length : {245u, 246u, 247u}) {
        SCOPED_TRACE(length);
        const u16 wanted = Repeat(u'w', length);
        const u16 form = engine::NumberedPrinterName(wanted, 1, ui::kUiEnglish);
        EXPECT_EQ(form, Repeat(u'w', std::min<std::size_t>(length, 246)) + u" (copy 1)");
        EXPECT_LE(form.size(), 255u);
        fakes::FakeSpooler sp;
        sp.AddPrinter(wanted);
        EXPECT_EQ(engine::MakeUniquePrinterName(sp, wanted, ui::kUiEnglish), form);
    }
    // " (副本 1)" is 7 units, " (copy 10)" 10.
    EXPECT_EQ(engine::NumberedPrinterName(Repeat(u'w', 249), 1, ui::kUiChinese), Repeat(u'w', 248) + u" (副本 1)");
    EXPECT_EQ(engine::NumberedPrinterName(Repeat(u'w', 246), 10, ui::kUiEnglish), Repeat(u'w', 245) + u" (copy 10)");
    // " Driver" is 7 units.
    for (const std::size_t length : {247u, 248u, 249u}) {
        SCOPED_TRACE(length);
        fakes::FakeSpooler sp;
        fakes::FakeFileSystem fs;
        fs.AddDrive(u"C:");
        ui::WizardState state;
        state.folderText = u"C:\\X";
        state.printerNameText = Repeat(u'n', length);
        ui::PrepareInstallation(state, fs, sp, ui::kUiEnglish);
        EXPECT_EQ(state.installPrinterName, Repeat(u'n', length));
        EXPECT_EQ(state.driverName, (Repeat(u'n', length) + u" Driver").substr(0, 255));
    }
}

// --------------------------------------------------------------------- USB

class BufferLimitsUsb : public ::testing::Test {
protected:
    BufferLimitsUsb()
        : models(std::make_unique<core::ModelTable>()),
          connected(std::make_unique<engine::ConnectedPrinterList>()),
          paths(std::make_unique<engine::UsbPathBuffer>()),
          snapshot(std::make_unique<char16_t[][engine::kPortNameChars]>(512)) {
        for (std::size_t i = 0; i < 512; ++i) snapshot[i][0] = u'\0';
    }
    engine::UsbDetectContext Context() {
        return {devices, registry, log, *models, *connected, {&snapshot[0][0], 512}};
    }

    fakes::FakeDeviceSetup devices;
    fakes::FakeRegistry registry;
    fakes::FakeLogSink log;
    std::unique_ptr<core::ModelTable> models;
    std::unique_ptr<engine::ConnectedPrinterList> connected;
    std::unique_ptr<engine::UsbPathBuffer> paths;
    std::unique_ptr<char16_t[][engine::kPortNameChars]> snapshot;
};

// A connected printer's entry keeps 127 units of the device path and 33 of
// the model name; the caller's buffer keeps 255 units of the path.
TEST_F(BufferLimitsUsb, ConnectedPrinterEntries) {
    const u16 head = u"\\\\?\\usb#vid_abcd&pid_0001#";
    for (const std::size_t length : {126u, 127u, 128u, 254u, 255u, 256u}) {
        SCOPED_TRACE(length);
        const u16 path = head + Repeat(u's', length - head.size());
        const u16 name = Repeat(u'm', length < 200 ? length - 94 : 33);  // 32, 33, 34 for the short paths
        core::CopyTruncated((*models)[1].ModelName, name);
        core::CopyTruncated((*models)[1].VidPid, u"vid_abcd&pid_0001");
        devices.paths = {path};
        ASSERT_EQ(engine::ScanConnectedPrinters(devices, *models, *connected, *paths), 1);
        EXPECT_EQ(core::FieldView((*connected)[0].DevicePath), path.substr(0, 127));
        EXPECT_EQ(core::FieldView((*connected)[0].ModelName), name.substr(0, 33));
        EXPECT_EQ(core::FieldView((*paths)[0].data(), engine::kUsbPathChars), path.substr(0, 255));
    }
}

// Registry text is read into 256-byte buffers: a ParentIdPrefix of 255
// bytes is used (the USB printing classes are searched for it), a longer
// one cannot be read and the device is passed over; a USBPRINT instance
// name longer than 255 bytes does not enumerate and is skipped.
TEST_F(BufferLimitsUsb, RegistryNames) {
    core::CopyTruncated((*models)[1].VidPid, u"vid_abcd&pid_0001");
    devices.paths = {u"\\\\?\\usb#vid_abcd&pid_0001#SER#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}"};
    const std::string device = "SYSTEM\\CurrentControlSet\\Enum\\USB\\vid_abcd&pid_0001\\SER";
    const std::string root = "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT";
    for (const std::size_t length : {254u, 255u, 256u}) {
        SCOPED_TRACE(length);
        const auto find = [this](char16_t* port) {
            std::fill(port, port + 260, u'#');
            auto ctx = Context();
            return engine::FindUsbPrinterPort(ctx, u"vid_abcd&pid_0001", port, 260);
        };
        char16_t port[260];
        {
            registry = fakes::FakeRegistry();
            registry.SetValue(device, "ParentIdPrefix", std::string(length, 'p'));
            registry.AddKey(root + "\\Class");
            EXPECT_EQ(find(port), 0);
            const bool searched = std::count(registry.opened.begin(), registry.opened.end(), root) != 0;
            EXPECT_EQ(searched, length <= 255);
        }
        {
            // An instance name of `length` bytes under the shortest prefix.
            registry = fakes::FakeRegistry();
            registry.SetValue(device, "ParentIdPrefix", "7&1");
            const std::string instance = "7&1&" + std::string(length - 4, 'U');
            registry.AddKey(root + "\\Class\\" + instance + "\\Control");
            EXPECT_EQ(find(port), length <= 255 ? 1 : 0);
            if (length <= 255) {
                EXPECT_EQ(core::FieldView(port, 260), core::Utf8ToUtf16(instance.substr(4)));
            } else {
                EXPECT_EQ(port[0], u'#');  // not written
            }
        }
    }
}

// ------------------------------------------------------------------ engine

// Deployment builds target paths in 256-unit buffers: a member whose path in
// the install folder would be longer than 255 units is skipped, never cut,
// from either container form.
TEST(BufferLimitsEngine, DeploymentTargetPaths) {
    const u16 folder = engine_test::kInstallFolder + u"\\";
    for (const std::size_t length : {254u, 255u, 256u}) {
        for (const bool fromImage : {false, true}) {
            SCOPED_TRACE(testing::Message() << length << (fromImage ? " appended form" : " resource form"));
            const std::string name(length - folder.size(), 'f');
            const std::vector<payload::PackMember> members = {{name, {'x'}}, {"next.dll", {'y'}}};
            std::vector<std::uint8_t> bytes;
            engine_test::Bench<> b;
            if (fromImage) {
                ASSERT_TRUE(payload::BuildAppendedForm({'M', 'Z'}, "H", members, &bytes).ok());
                b.fs.AddFile(b.plan.imagePath, bytes);
                EXPECT_EQ(engine::DeployFromImageFile(b.plan, b.services, b.observer), 0);
            } else {
                ASSERT_TRUE(payload::BuildResourceForm(members, &bytes).ok());
                b.plan.payload = bytes.data();
                b.plan.payloadSize = bytes.size();
                EXPECT_EQ(engine::DeployFromMemory(b.plan, b.services, b.observer), 0);
            }
            const u16 target = folder + core::Utf8ToUtf16(name);
            ASSERT_EQ(target.size(), length);
            EXPECT_EQ(b.fs.HasFile(target), length <= 255);
            EXPECT_TRUE(b.fs.HasFile(folder + u"next.dll"));  // the next member is still written
            // Nothing cut: the only files are the whole names (and the image).
            EXPECT_EQ(b.fs.Files().size(), (length <= 255 ? 2u : 1u) + (fromImage ? 1u : 0u));
        }
    }
}

// The engine's folder creation: 255 units, longer paths refused.
TEST(BufferLimitsEngine, FolderPaths) {
    for (const std::size_t length : {254u, 255u, 256u}) {
        SCOPED_TRACE(length);
        fakes::FakeFileSystem fs;
        fs.AddDrive(u"C:");
        const u16 path = u"C:\\" + Repeat(u'p', 100) + u"\\" + Repeat(u'f', length - 104);
        ASSERT_EQ(path.size(), length);
        EXPECT_EQ(engine::CreateFolderPath(fs, path), length <= 255 ? 1 : 0);
        EXPECT_EQ(fs.DirectoryExists(path), length <= 255);
    }
}

// The printer name as the engine takes it: 255 units, a longer one is
// refused (nothing is written); the driver name "<name> Driver" is cut to
// 255 units. The GPC file "<driver directory>\<name>GPC.pcd" is written
// only while the driver's file names fit 255 units ("GPC.pcd" and
// "Drv.dll" are the longest endings).
TEST(BufferLimitsEngine, PrinterAndDriverNames) {
    for (const std::size_t length : {254u, 255u, 256u}) {
        SCOPED_TRACE(length);
        EXPECT_EQ(engine::IsSafePrinterName(Repeat(u'P', length)), length <= 255);
    }
    for (const std::size_t length : {247u, 248u, 249u, 255u, 256u}) {
        SCOPED_TRACE(length);
        engine_test::Bench<> b;
        b.plan.installPrinterName = Repeat(u'P', length);
        engine::InstallResult result;
        const int registered = engine::InstallDriverAndPrinterWith(
            b.plan, b.services, b.observer,
            [](const engine::InstallPlan&, engine::InstallServices&, engine::InstallObserver&,
               engine::InstallResult*) { return 1; },
            &result);
        EXPECT_EQ(registered, length <= 255 ? 1 : 0);
        if (length <= 255) {
            EXPECT_EQ(result.driverName, (Repeat(u'P', length) + u" Driver").substr(0, 255));
        } else {
            EXPECT_TRUE(b.fs.Files().empty());
        }
    }
    engine_test::Bench<> probe;
    const std::size_t roomForName = 255 - probe.spooler.driverDirectory.size() - 1 - 7;
    for (const std::size_t length : {roomForName - 1, roomForName, roomForName + 1}) {
        SCOPED_TRACE(length);
        engine_test::Bench<> b;
        b.plan.installPrinterName = Repeat(u'P', length);
        engine::InstallDriverAndPrinterWith(
            b.plan, b.services, b.observer,
            [](const engine::InstallPlan&, engine::InstallServices&, engine::InstallObserver&,
               engine::InstallResult*) { return 1; },
            nullptr);
        const core::u16 gpc = engine::GpcFilePath(b.spooler.driverDirectory, Repeat(u'P', length));
        EXPECT_EQ(gpc.size(), length + 255 - roomForName);
        EXPECT_EQ(b.fs.HasFile(gpc), length <= roomForName);
    }
}

// The GPC file's device name and its twelve form names sit in 32-byte
// fields, each NUL-terminated inside its field whatever the model.
TEST(BufferLimitsEngine, GpcNameFields) {
    core::PrinterModel model;
    for (char16_t& c : model.ModelName) c = u'M';
    model.Dpi = -1;
    model.PaperWidth = 0x7FFFFFFF;
    const std::vector<std::uint8_t> file = engine::BuildGpcFile(model);
    ASSERT_EQ(file.size(), 932u);
    std::vector<std::size_t> fields = {12};  // the device name
    for (std::size_t i = 0; i < engine::kGpcFormCount; ++i)
        fields.push_back(engine::kGpcHeaderSize + 4 + i * engine::kGpcFormRecordSize);
    for (const std::size_t at : fields) {
        SCOPED_TRACE(at);
        const auto begin = file.begin() + static_cast<std::ptrdiff_t>(at);
        const auto nul = std::find(begin, begin + 32, 0);
        ASSERT_NE(nul, begin + 32);
        EXPECT_GT(nul - begin, 0);  // not empty
        EXPECT_TRUE(std::all_of(nul, begin + 32, [](std::uint8_t b) { return b == 0; }));  // padded with NUL
    }
}

}  // namespace
