#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/install_paths.h"
#include "engine/unique_printer_name.h"
#include "fakes/fake_spooler.h"

namespace {

using core::u16;

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

// ------------------------------------------------- derived path limits

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
