#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/install_names.h"
#include "engine/printer_names.h"
#include "fakes/fake_spooler.h"

namespace {

using core::u16;
using Problem = engine::PrinterNameProblem;

constexpr int kEnglish = 0;
constexpr int kChinese = 1;
constexpr int kRussian = 2;

// ------------------------------------------------------- unique names

TEST(PrinterNames, MakeUniquePrinterName) {
    const u16 w255(255, u'w');
    struct Case {
        const char* label;
        std::vector<u16> printers;
        u16 wanted;
        int language;
        u16 result;
    } cases[] = {
        {"free", {u"Other"}, u"Q712", kEnglish, u"Q712"},
        {"no printers", {}, u"Q712", kEnglish, u"Q712"},
        {"taken", {u"Q712"}, u"Q712", kEnglish, u"Q712 (copy 1)"},
        {"copy 1 taken too", {u"Q712 (copy 1)", u"Q712"}, u"Q712", kEnglish, u"Q712 (copy 2)"},
        {"a gap is filled", {u"Q712", u"Q712 (copy 2)"}, u"Q712", kEnglish, u"Q712 (copy 1)"},
        {"Chinese", {u"Q712", u"Q712 (副本 1)"}, u"Q712", kChinese, u"Q712 (副本 2)"},
        {"Russian uses the English form", {u"Q712"}, u"Q712", kRussian, u"Q712 (copy 1)"},
        {"case counts", {u"q712"}, u"Q712", kEnglish, u"Q712"},
        {"255 characters fit", {}, w255, kEnglish, w255},
        {"longer wanted names are cut", {}, u16(300, u'w'), kEnglish, w255},
        {"numbered form cut to 255", {w255}, w255, kEnglish, u16(255 - 9, u'w') + u" (copy 1)"},
        {"cut forms still end free", {w255, u16(246, u'w') + u" (copy 1)", u16(246, u'w') + u" (copy 2)"}, w255,
         kEnglish, u16(246, u'w') + u" (copy 3)"},
        {"two-digit counter", {u"P", u"P (copy 1)", u"P (copy 2)", u"P (copy 3)", u"P (copy 4)", u"P (copy 5)",
                               u"P (copy 6)", u"P (copy 7)", u"P (copy 8)", u"P (copy 9)"},
         u"P", kEnglish, u"P (copy 10)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        fakes::FakeSpooler sp;
        for (const auto& n : c.printers) sp.AddPrinter(n);
        const u16 got = engine::MakeUniquePrinterName(sp, c.wanted, c.language);
        EXPECT_EQ(got, c.result);
        EXPECT_LE(got.size(), 255u);
        for (const auto& n : c.printers) EXPECT_NE(got, n);
    }
    // The spooler cannot list its printers: the wanted name, cut to 255.
    fakes::FakeSpooler sp;
    sp.AddPrinter(u"Q712");
    sp.printersFail = true;
    EXPECT_EQ(engine::MakeUniquePrinterName(sp, u"Q712", kEnglish), u"Q712");
    EXPECT_EQ(engine::MakeUniquePrinterName(sp, u16(256, u'x'), kEnglish), u16(255, u'x'));
}

// -------------------------------------------------------- name safety

TEST(PrinterNames, CheckPrinterName) {
    struct Case {
        u16 name;
        Problem problem;
    } cases[] = {
        {u"Q712", Problem::kNone},
        {u"Label Printer Printer", Problem::kNone},
        {u"Q712 (copy 1)", Problem::kNone},
        {u"标签打印机 (副本 2)", Problem::kNone},
        {u"Étiquette-1_2&3#'", Problem::kNone},
        {u".hidden", Problem::kNone},   // a leading dot is a plain name
        {u" Q712", Problem::kNone},     // so is a leading blank
        {u"CONSOLE", Problem::kNone},   // longer than a device name
        {u"COM10", Problem::kNone},
        {u"LPT", Problem::kNone},
        {u"NULL.txt", Problem::kNone},
        {u"a.CON", Problem::kNone},     // the device name must come first
        {u16(255, u'n'), Problem::kNone},
        {u"", Problem::kEmpty},
        {u16(256, u'n'), Problem::kTooLong},
        {u"a\\b", Problem::kForbiddenCharacter},
        {u"..\\..\\Windows", Problem::kForbiddenCharacter},
        {u"a/b", Problem::kForbiddenCharacter},
        {u"C:x", Problem::kForbiddenCharacter},
        {u"a*b", Problem::kForbiddenCharacter},
        {u"a?b", Problem::kForbiddenCharacter},
        {u"a\"b", Problem::kForbiddenCharacter},
        {u"a<b", Problem::kForbiddenCharacter},
        {u"a>b", Problem::kForbiddenCharacter},
        {u"a|b", Problem::kForbiddenCharacter},
        {u"a,b", Problem::kForbiddenCharacter},
        {u"a\tb", Problem::kForbiddenCharacter},
        {u"line\r\nAddPrinter = 0", Problem::kForbiddenCharacter},
        {u16(u"a") + u'\0' + u"b", Problem::kForbiddenCharacter},
        {u"a\x1F", Problem::kForbiddenCharacter},
        {u"a\x7F", Problem::kForbiddenCharacter},
        {u"Q712.", Problem::kBadEnding},
        {u"Q712 ", Problem::kBadEnding},
        {u".", Problem::kBadEnding},
        {u"..", Problem::kBadEnding},
        {u"CON", Problem::kReservedDeviceName},
        {u"con", Problem::kReservedDeviceName},
        {u"PRN", Problem::kReservedDeviceName},
        {u"Aux", Problem::kReservedDeviceName},
        {u"NUL", Problem::kReservedDeviceName},
        {u"COM1", Problem::kReservedDeviceName},
        {u"com9", Problem::kReservedDeviceName},
        {u"COM0", Problem::kReservedDeviceName},
        {u"LPT1", Problem::kReservedDeviceName},
        {u"lpt9", Problem::kReservedDeviceName},
        {u"COM\u00B9", Problem::kReservedDeviceName},
        {u"LPT\u00B3", Problem::kReservedDeviceName},
        {u"CONIN$", Problem::kReservedDeviceName},
        {u"NUL.txt", Problem::kReservedDeviceName},
        {u"LPT1.Printer.dll", Problem::kReservedDeviceName},
        {u"CON .txt", Problem::kReservedDeviceName},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(core::Utf16ToUtf8(c.name));
        EXPECT_EQ(engine::CheckPrinterName(c.name), c.problem);
        EXPECT_EQ(engine::IsSafePrinterName(c.name), c.problem == Problem::kNone);
    }
}

// Each derived path at 254, 255 and 256 units.
TEST(PrinterNames, DerivedPathLimits) {
    const u16 name = u"Q712";
    for (std::size_t total : {254u, 255u, 256u}) {
        SCOPED_TRACE(total);
        const bool fits = total <= 255;
        // "<folder>\<name>\Inf"
        const u16 folder = u"C:\\" + u16(total - 3 - 1 - name.size() - 4, u'f');
        EXPECT_EQ(engine::InstallFolderHasRoom(folder, name), fits);
        EXPECT_EQ(engine::InstallFolderHasRoom(folder + u"\\", name), fits);  // no doubled backslash
        EXPECT_EQ(engine::InstallFolderFits(engine::InstallFolderFor(folder, name)), fits);
        // "<driver directory>\<name>GPC.pcd" (and Drv.dll, 7 units too)
        const u16 d = u"C:\\" + u16(total - 3 - 1 - name.size() - 7, u'd');
        EXPECT_EQ(engine::DriverFilesFit(d, name), fits);
        // "<system directory>\<name>MonUI.dll"
        const u16 s = u"C:\\" + u16(total - 3 - 1 - name.size() - 9, u's');
        EXPECT_EQ(engine::MonitorFilesFit(s, name), fits);
    }
    EXPECT_FALSE(engine::InstallFolderHasRoom(u"", name));
    EXPECT_FALSE(engine::InstallFolderFits(u""));
    EXPECT_FALSE(engine::DriverFilesFit(u"", name));
    EXPECT_FALSE(engine::MonitorFilesFit(u"", name));
    EXPECT_EQ(engine::InstallFolderFor(u"C:\\Labels", name), u"C:\\Labels\\Q712");
    EXPECT_EQ(engine::InstallFolderFor(u"C:\\", name), u"C:\\Q712");
}

}  // namespace
