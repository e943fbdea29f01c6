// The configuration library's reader of the GPC data file: the installer's
// layout read back, and damaged files refused without reading outside them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "payload_programs/src/gpc_forms.h"

namespace {

using Bytes = std::vector<unsigned char>;

void Put16(Bytes& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<unsigned char>(v);
    b[at + 1] = static_cast<unsigned char>(v >> 8);
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

struct Form {
    std::string name;
    std::uint32_t width, height;  // tenths of a millimetre
};

const std::vector<Form> kInstallerForms = {
    {"Custom", 800, 2000},           {"ZTXD(94mm x 187mm)", 940, 1870}, {"KJKD(100mm x 180mm)", 1000, 1800},
    {"YTSD(100mm x 180mm)", 1000, 1800}, {"BSHT(100mm x 180mm)", 1000, 1800}, {"YTSD(100mm x 180mm)", 1000, 1800},
    {"SFSY(100mm x 150mm)", 1000, 1500}, {"SFSY(100mm x 150mm)", 1000, 1500}, {"EMS(105mm x 149mm)", 1050, 1490},
    {"CNYT(100mm x 180mm)", 1000, 1800}, {"BZBQ(100mm x 50mm)", 1000, 500},   {"SMALL LABEL(50mm x 20mm)", 500, 200},
};

// A GPC file in the installer's layout: the 256-byte header, the two-entry
// third list, then the form records of `record_size` bytes.
Bytes GpcFile(const std::vector<Form>& forms, std::uint32_t dpi = 300, std::uint16_t record_size = 56) {
    const std::uint32_t first = 260;
    Bytes b(first + forms.size() * record_size, 0);
    std::memcpy(b.data(), "Plot", 4);
    Put32(b, 4, 0x010A);
    Put16(b, 8, 256);
    Put16(b, 10, static_cast<std::uint16_t>(b.size() - 256));
    std::memcpy(&b[12], "TQ8851 Printer Driver", 21);
    Put32(b, 44, 215900);
    Put32(b, 48, 5000000);
    Put32(b, 68, 1);
    Put32(b, 72, dpi);
    Put32(b, 76, dpi);
    Put16(b, 80, static_cast<std::uint16_t>(dpi));
    Put16(b, 82, static_cast<std::uint16_t>(dpi));
    Put16(b, 86, 100);
    Put16(b, 88, 8);
    Put16(b, 90, 9999);
    Put16(b, 240, static_cast<std::uint16_t>(forms.size()));
    Put16(b, 242, record_size);
    Put32(b, 244, first);
    Put16(b, 248, 2);
    Put16(b, 250, 2);
    Put32(b, 252, 256);
    Put16(b, 258, 1);
    for (std::size_t i = 0; i < forms.size(); ++i) {
        const std::size_t at = first + i * record_size;
        std::memcpy(&b[at], forms[i].name.data(), std::min<std::size_t>(forms[i].name.size(), 32));
        Put32(b, at + 32, forms[i].width * 100);
        Put32(b, at + 36, forms[i].height * 100);
    }
    return b;
}

// A device filled with garbage, so that a test proves what the reader wrote.
GpcDevice Poisoned() {
    GpcDevice d;
    std::memset(&d, 0xAB, sizeof d);
    return d;
}

void ExpectEmpty(const GpcDevice& d) {
    EXPECT_EQ(d.form_count, 0u);
    EXPECT_EQ(d.dpi, 0u);
    EXPECT_EQ(d.max_copies, 1u);
}

TEST(GpcForms, ReadsTheInstallersFileFormByForm) {
    const Bytes file = GpcFile(kInstallerForms);
    ASSERT_EQ(file.size(), 932u);
    GpcDevice d = Poisoned();
    ASSERT_EQ(GpcReadDevice(file.data(), file.size(), &d), GPC_OK);
    EXPECT_EQ(d.dpi, 300u);
    EXPECT_EQ(d.max_copies, 9999u);
    ASSERT_EQ(d.form_count, 12u);
    for (unsigned i = 0; i < d.form_count; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(std::string(d.forms[i].name), kInstallerForms[i].name);
        EXPECT_EQ(d.forms[i].width, kInstallerForms[i].width * 100);
        EXPECT_EQ(d.forms[i].height, kInstallerForms[i].height * 100);
        EXPECT_EQ(d.forms[i].record, i);
    }
}

TEST(GpcForms, DamagedFilesAreRefusedWhole) {
    const Bytes good = GpcFile(kInstallerForms);
    struct Case {
        const char* what;
        void (*damage)(Bytes&);
        GpcStatus status;
    };
    const Case cases[] = {
        {"empty", [](Bytes& b) { b.clear(); }, GPC_TOO_SHORT},
        {"one byte short of a header", [](Bytes& b) { b.resize(255); }, GPC_TOO_SHORT},
        {"identifier", [](Bytes& b) { b[3] = 'x'; }, GPC_BAD_IDENTIFIER},
        {"version", [](Bytes& b) { Put32(b, 4, 0x0109); }, GPC_BAD_VERSION},
        {"version in the high word", [](Bytes& b) { Put32(b, 4, 0x0001010A); }, GPC_BAD_VERSION},
        {"header size below 256", [](Bytes& b) { Put16(b, 8, 255); }, GPC_BAD_HEADER_SIZE},
        {"header size beyond the file", [](Bytes& b) { Put16(b, 8, 933); }, GPC_BAD_HEADER_SIZE},
        {"record too small for a form", [](Bytes& b) { Put16(b, 242, 39); }, GPC_BAD_FORM_RECORD},
        {"record size zero", [](Bytes& b) { Put16(b, 242, 0); }, GPC_BAD_FORM_RECORD},
        {"list inside the header", [](Bytes& b) { Put32(b, 244, 255); }, GPC_FORMS_OUTSIDE_FILE},
        {"list one byte past the end", [](Bytes& b) { Put32(b, 244, 261); }, GPC_FORMS_OUTSIDE_FILE},
        {"list offset far beyond", [](Bytes& b) { Put32(b, 244, 0xFFFFFFFFu); }, GPC_FORMS_OUTSIDE_FILE},
        {"one record too many", [](Bytes& b) { Put16(b, 240, 13); }, GPC_FORMS_OUTSIDE_FILE},
        {"count of 65535", [](Bytes& b) { Put16(b, 240, 0xFFFF); }, GPC_FORMS_OUTSIDE_FILE},
        {"records larger than the file", [](Bytes& b) { Put16(b, 242, 0xFFFF); }, GPC_FORMS_OUTSIDE_FILE},
        {"file cut inside the last record", [](Bytes& b) { b.pop_back(); }, GPC_FORMS_OUTSIDE_FILE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes file = good;
        c.damage(file);
        GpcDevice d = Poisoned();
        EXPECT_EQ(GpcReadDevice(file.empty() ? nullptr : file.data(), file.size(), &d), c.status);
        ExpectEmpty(d);
    }
}

TEST(GpcForms, ListAnywhereBehindTheHeaderIsRead) {
    // The records moved back by ten bytes, so that they end exactly at the
    // end of the file.
    Bytes file = GpcFile(kInstallerForms);
    file.insert(file.begin() + 260, 10, 0xEE);
    Put32(file, 244, 270);
    GpcDevice d = Poisoned();
    ASSERT_EQ(GpcReadDevice(file.data(), file.size(), &d), GPC_OK);
    ASSERT_EQ(d.form_count, 12u);
    EXPECT_EQ(std::string(d.forms[11].name), "SMALL LABEL(50mm x 20mm)");
    // One byte less and the last record no longer fits.
    EXPECT_EQ(GpcReadDevice(file.data(), file.size() - 1, &d), GPC_FORMS_OUTSIDE_FILE);
}

TEST(GpcForms, EmptyListNeedsNoValidOffset) {
    Bytes file = GpcFile({});
    Put32(file, 244, 0xFFFFFFFFu);
    Put16(file, 242, 0);
    GpcDevice d = Poisoned();
    ASSERT_EQ(GpcReadDevice(file.data(), file.size(), &d), GPC_OK);
    EXPECT_EQ(d.form_count, 0u);
    EXPECT_EQ(d.dpi, 300u);
}

TEST(GpcForms, UnusableRecordsAreSkippedAndTheRestKept) {
    const std::string full_name(32, 'N');  // fills the field, no terminator
    const std::vector<Form> forms = {
        {"", 1000, 1000},           // no name
        {"Zero width", 0, 1000},    {"Zero height", 1000, 0},
        {"At the limit", 32767, 32767}, {full_name, 100, 100},
    };
    Bytes file = GpcFile(forms);
    // Above the limit by one thousandth of a millimetre.
    const std::size_t extra = file.size();
    file.resize(extra + 56, 0);
    std::memcpy(&file[extra], "Too long", 8);
    Put32(file, extra + 32, 3276701);
    Put32(file, extra + 36, 1000);
    Put16(file, 240, static_cast<std::uint16_t>(forms.size() + 1));

    GpcDevice d = Poisoned();
    ASSERT_EQ(GpcReadDevice(file.data(), file.size(), &d), GPC_OK);
    ASSERT_EQ(d.form_count, 2u);
    EXPECT_EQ(std::string(d.forms[0].name), "At the limit");
    EXPECT_EQ(d.forms[0].width, 3276700u);
    EXPECT_EQ(d.forms[0].record, 3u);
    EXPECT_EQ(std::string(d.forms[1].name), full_name);
    EXPECT_EQ(d.forms[1].record, 4u);
}

TEST(GpcForms, RecordsLongerThanAFormAreSteppedOverWhole) {
    const Bytes file = GpcFile(kInstallerForms, 203, 64);
    GpcDevice d = Poisoned();
    ASSERT_EQ(GpcReadDevice(file.data(), file.size(), &d), GPC_OK);
    ASSERT_EQ(d.form_count, 12u);
    EXPECT_EQ(std::string(d.forms[11].name), "SMALL LABEL(50mm x 20mm)");
    EXPECT_EQ(d.forms[11].height, 20000u);
}

TEST(GpcForms, AtMostSixtyFourFormsAreKept) {
    std::vector<Form> forms;
    for (int i = 0; i < 70; ++i) forms.push_back({"Form " + std::to_string(i), 100u + i, 200});
    const Bytes file = GpcFile(forms);
    GpcDevice d = Poisoned();
    ASSERT_EQ(GpcReadDevice(file.data(), file.size(), &d), GPC_OK);
    ASSERT_EQ(d.form_count, static_cast<unsigned>(GPC_MAX_FORMS));
    EXPECT_EQ(std::string(d.forms[63].name), "Form 63");
}

TEST(GpcForms, ResolutionAndCopiesOutsideWhatADeviceModeHoldsAreDropped) {
    struct Case {
        std::uint32_t dpi;
        std::uint16_t copies;
        std::uint32_t want_dpi;
        unsigned want_copies;
    };
    const Case cases[] = {
        {203, 9999, 203, 9999}, {32767, 1, 32767, 1}, {32768, 10000, 0, 1},
        {70000, 0, 0, 1},       {0, 5, 0, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        Bytes file = GpcFile(kInstallerForms, c.dpi);
        Put16(file, 90, c.copies);
        GpcDevice d = Poisoned();
        ASSERT_EQ(GpcReadDevice(file.data(), file.size(), &d), GPC_OK);
        EXPECT_EQ(d.dpi, c.want_dpi);
        EXPECT_EQ(d.max_copies, c.want_copies);
        EXPECT_EQ(d.form_count, 12u);
    }
}

}  // namespace
