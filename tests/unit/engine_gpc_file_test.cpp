#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/gpc_file.h"
#include "engine_install_test_support.h"

namespace {

using core::u16;
using engine_test::Bench;
using engine_test::kPrinterName;
using Bytes = std::vector<std::uint8_t>;

std::uint32_t U32At(const Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint32_t U16At(const Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8;
}

core::PrinterModel Model(std::int32_t dpi, std::int32_t paperWidth, std::int32_t paperHeight) {
    core::PrinterModel model;
    model.Dpi = dpi;
    model.PaperWidth = paperWidth;
    model.PaperHeight = paperHeight;
    return model;
}

// Written by tests/unit/data/make_gpc_golden.py from the file layout, for
// Dpi 203 and a 60 mm x 40 mm paper.
Bytes GoldenFile() {
    std::ifstream in(std::string(SOURCE_ROOT) + "/tests/unit/data/gpc_dpi203_60x40.pcd", std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

constexpr std::size_t kCustomForm = 260;

TEST(GpcFile, MatchesTheGoldenFile) {
    const Bytes golden = GoldenFile();
    ASSERT_EQ(golden.size(), 932u) << "tests/unit/data/gpc_dpi203_60x40.pcd";
    const Bytes built = engine::BuildGpcFile(Model(203, 600, 400));
    ASSERT_EQ(built.size(), engine::kGpcFileSize);
    for (std::size_t i = 0; i < golden.size(); ++i) ASSERT_EQ(built[i], golden[i]) << "offset " << i;
}

TEST(GpcFile, FieldsByOffset) {
    const Bytes b = engine::BuildGpcFile(Model(203, 600, 400));
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "Plot");
    EXPECT_EQ(U32At(b, 4), 0x010Au);
    EXPECT_EQ(U16At(b, 8), 256u);
    EXPECT_EQ(U16At(b, 10), 676u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[12])), "TQ8851 Printer Driver");
    EXPECT_EQ(std::string(b.begin() + 12 + 21, b.begin() + 44), std::string(11, '\0'));
    EXPECT_EQ(U32At(b, 44), 215900u);
    EXPECT_EQ(U32At(b, 48), 5000000u);
    EXPECT_EQ(U32At(b, 68), 1u);
    EXPECT_EQ(U16At(b, 86), 100u);
    EXPECT_EQ(U16At(b, 90), 9999u);
    EXPECT_EQ(U32At(b, 96), 0xFFFFFFFFu);
    EXPECT_EQ(U32At(b, 100), 0xFFFFFFFFu);
    // COLORINFO: red x, alignment white luminance, the last dye value.
    EXPECT_EQ(U32At(b, 104), 6810u);
    EXPECT_EQ(U32At(b, 104 + 20 * 4), 10000u);
    EXPECT_EQ(U32At(b, 104 + 29 * 4), 248u);
    EXPECT_EQ(U32At(b, 228), 0xFFFFFFFFu);
    // The lists: forms (12 of 56 bytes at 260), the third list (2 of 2 bytes at 256).
    EXPECT_EQ(U16At(b, 240), 12u);
    EXPECT_EQ(U16At(b, 242), 56u);
    EXPECT_EQ(U32At(b, 244), 260u);
    EXPECT_EQ(U16At(b, 248), 2u);
    EXPECT_EQ(U16At(b, 250), 2u);
    EXPECT_EQ(U32At(b, 252), 256u);
    EXPECT_EQ(U16At(b, 256), 0u);
    EXPECT_EQ(U16At(b, 258), 1u);
    // The last record: name, sizes in 1/1000 mm, no margins, and the file ends with it.
    const std::size_t last = kCustomForm + 11 * 56;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[last])), "SMALL LABEL(50mm x 20mm)");
    EXPECT_EQ(U32At(b, last + 32), 50000u);
    EXPECT_EQ(U32At(b, last + 36), 20000u);
    EXPECT_EQ(last + 56, b.size());
    // Records 3 and 5, and 6 and 7, are the same form twice.
    for (const auto& [first, second] : {std::pair<int, int>{3, 5}, {6, 7}})
        EXPECT_TRUE(std::equal(b.begin() + kCustomForm + first * 56, b.begin() + kCustomForm + (first + 1) * 56,
                               b.begin() + kCustomForm + second * 56));
}

TEST(GpcFile, ResolutionAndCustomPaper) {
    struct Case {
        std::int32_t dpi, paperWidth, paperHeight;
        std::uint32_t pen, raster, width, height;
    } cases[] = {
        {203, 600, 400, 203, 203, 60000, 40000},
        {300, 800, 2000, 300, 300, 80000, 200000},
        {65535, 1000, 1000, 65535, 65535, 100000, 100000},
        {65536, 1000, 1000, 65536, 0, 100000, 100000},
        {70000, 1000, 1000, 70000, 70000 - 65536, 100000, 100000},
        {0, 0, 0, 0, 0, 0, 0},
        // Beyond 32 bits the sizes wrap as the 32-bit fields do.
        {-1, 50000000, -10, 0xFFFFFFFF, 0xFFFF, 50000000u * 100u, static_cast<std::uint32_t>(-1000)},
    };
    const Bytes reference = engine::BuildGpcFile(Model(203, 600, 400));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dpi);
        const Bytes b = engine::BuildGpcFile(Model(c.dpi, c.paperWidth, c.paperHeight));
        ASSERT_EQ(b.size(), 932u);
        EXPECT_EQ(U32At(b, 72), c.pen);
        EXPECT_EQ(U32At(b, 76), c.pen);
        EXPECT_EQ(U16At(b, 80), c.raster);
        EXPECT_EQ(U16At(b, 82), c.raster);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[kCustomForm])), "Custom");
        EXPECT_EQ(U32At(b, kCustomForm + 32), c.width);
        EXPECT_EQ(U32At(b, kCustomForm + 36), c.height);
        // Nothing else depends on the model.
        for (std::size_t i = 0; i < b.size(); ++i) {
            const bool modelField = (i >= 72 && i < 84) || (i >= kCustomForm + 32 && i < kCustomForm + 40);
            if (!modelField) {
                ASSERT_EQ(b[i], reference[i]) << "offset " << i;
            }
        }
    }
}

TEST(GpcFile, Path) {
    EXPECT_EQ(engine::GpcFilePath(u"C:\\windows\\system32\\spool\\drivers\\x64", u"Shop Printer"),
              u"C:\\windows\\system32\\spool\\drivers\\x64\\Shop PrinterGPC.pcd");
}

// ------------------------------------------------- InstallDriverAndPrinter

class DefaultRecordingSpooler : public fakes::FakeSpooler {
public:
    std::vector<u16> defaults;
    bool defaultFails = false;
    bool SetDefaultPrinter(const u16& name) override {
        defaults.push_back(name);
        return !defaultFails;
    }
};

using SpoolerBench = Bench<fakes::FakeFileSystem, DefaultRecordingSpooler>;

const u16 kGpcPath = u"C:\\windows\\system32\\spool\\drivers\\x64\\Shop PrinterGPC.pcd";

TEST(InstallDriverAndPrinter, Outcomes) {
    struct Case {
        const char* label;
        std::uint32_t directoryError;  // non-zero: no driver directory
        bool gpcFails;
        int registered;
        u16 addedAs;                   // the name registration reports
        bool setAsDefault;
        bool defaultFails;
        // Expected:
        int result;
        bool gpcWritten;
        bool registrationRuns;
        std::vector<u16> defaults;
    } cases[] = {
        {"success, default checked", 0, false, 1, u"", true, false, 1, true, true, {kPrinterName}},
        {"success under a second unique name", 0, false, 1, u"Shop Printer (copy 1)", true, false, 1, true, true,
         {u"Shop Printer (copy 1)"}},
        {"success, default not checked", 0, false, 1, u"", false, false, 1, true, true, {}},
        {"default printer refused: still success", 0, false, 1, u"", true, true, 1, true, true, {kPrinterName}},
        {"registration failed, default checked", 0, false, 0, u"", true, false, 0, true, true, {}},
        {"GPC file not creatable: registration still runs", 0, true, 1, u"", true, false, 1, false, true,
         {kPrinterName}},
        {"no driver directory", 5, false, 1, u"", true, false, 0, false, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        SpoolerBench b;
        b.spooler.driverDirectoryError = c.directoryError;
        b.spooler.defaultFails = c.defaultFails;
        if (c.gpcFails) b.fs.FailCreate(kGpcPath);
        b.plan.setAsDefault = c.setAsDefault;
        int runs = 0;
        bool gpcThereWhenRegistering = false;
        u16 driverNameWhenRegistering;
        const auto registration = [&](const engine::InstallPlan&, engine::InstallServices& services,
                                      engine::InstallObserver&, engine::InstallResult* result) {
            ++runs;
            gpcThereWhenRegistering = services.fs.FileExists(kGpcPath);
            driverNameWhenRegistering = result->driverName;
            result->addedPrinterName = c.addedAs;
            return c.registered;
        };
        engine::InstallResult result;
        EXPECT_EQ(engine::InstallDriverAndPrinterWith(b.plan, b.services, b.observer, registration, &result),
                  c.result);
        EXPECT_EQ(runs, c.registrationRuns ? 1 : 0);
        EXPECT_EQ(b.fs.HasFile(kGpcPath), c.gpcWritten);
        if (c.gpcWritten) {
            EXPECT_EQ(b.fs.Contents(kGpcPath), engine::BuildGpcFile(b.plan.model));
            EXPECT_TRUE(gpcThereWhenRegistering);
        }
        if (c.registrationRuns) {
            EXPECT_EQ(driverNameWhenRegistering, u"Shop Printer Driver");
        } else {
            EXPECT_EQ(b.fs.createCount, 0);
            EXPECT_TRUE(result.driverName.empty());
        }
        EXPECT_EQ(b.spooler.defaults, c.defaults);
        EXPECT_EQ(b.log.appends, 0);
        EXPECT_TRUE(b.observer.events.empty());
    }
}

TEST(InstallDriverAndPrinter, DriverNameIsCutTo255Units) {
    SpoolerBench b;
    b.plan.installPrinterName = u16(250, u'P');
    engine::InstallResult result;
    engine::InstallDriverAndPrinterWith(
        b.plan, b.services, b.observer,
        [](const engine::InstallPlan&, engine::InstallServices&, engine::InstallObserver&, engine::InstallResult*) {
            return 0;
        },
        &result);
    EXPECT_EQ(result.driverName, u16(250, u'P') + u" Driv");
}

TEST(InstallDriverAndPrinter, UnsafePrinterNameWritesNothing) {
    for (const u16& name : {u16(u"..\\..\\Evil"), u16(u"a/b"), u16(u"NUL"), u16(), u16(256, u'P')}) {
        SCOPED_TRACE(core::Utf16ToUtf8(name));
        SpoolerBench b;
        b.plan.installPrinterName = name;
        int runs = 0;
        engine::InstallResult result;
        EXPECT_EQ(engine::InstallDriverAndPrinterWith(
                      b.plan, b.services, b.observer,
                      [&](const engine::InstallPlan&, engine::InstallServices&, engine::InstallObserver&,
                          engine::InstallResult*) { return ++runs; },
                      &result),
                  0);
        EXPECT_EQ(runs, 0);
        EXPECT_EQ(b.fs.createCount, 0);
        EXPECT_TRUE(b.spooler.defaults.empty());
    }
}

// Whichever variant runs, the GPC file and the driver name come first.
TEST(InstallDriverAndPrinter, EitherVariantWritesTheGpcFileFirst) {
    for (const bool x64 : {true, false}) {
        SCOPED_TRACE(x64);
        SpoolerBench b;
        engine::InstallResult result;
        engine::InstallDriverAndPrinter(b.plan, b.services, b.observer, x64, &result);
        EXPECT_EQ(b.fs.Contents(kGpcPath), engine::BuildGpcFile(b.plan.model));
        EXPECT_EQ(result.driverName, u"Shop Printer Driver");
    }
}

TEST(UseX64Registration, SixtyFourBitBuildNeverAsks) {
    for (const bool wow64 : {false, true}) {
        SCOPED_TRACE(wow64);
        fakes::FakeSystemInfo system;
        system.wow64 = wow64;
        if (engine::kNativeBuildIs64Bit) {
            EXPECT_TRUE(engine::UseX64Registration(system));
            EXPECT_EQ(system.wow64Queries, 0);
        } else {
            EXPECT_EQ(engine::UseX64Registration(system), wow64);
            EXPECT_EQ(system.wow64Queries, 1);
        }
    }
}

}  // namespace
