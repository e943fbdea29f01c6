// The model catalogue parser ("PrinterName.txt").
//
// Two readings of each input:
// - as the bytes of the list: never more than 254 rows; one box entry per
//   row; record 0 and the records after the last row untouched; every text
//   field terminated inside its buffer; each record's name is its box entry
//   without leading blanks, cut to 63 characters; loading through the file
//   system gives the same; numbers convert as a plain reference conversion
//   does; selecting any index keeps the box consistent;
// - as the material for a well-formed list (comment line, rows of ten clean
//   fields): every row that fits the line buffer comes back field for field.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "fakes/fake_fs.h"
#include "fuzz/fuzz_support.h"
#include "ui/model_catalogue.h"

namespace {

using core::u16;

template <std::size_t N>
core::u16view Field(const char16_t (&field)[N]) {
    FUZZ_CHECK(core::BoundedLength(field, N) < N);
    return core::FieldView(field);
}

core::PrinterModel Poison() {
    core::PrinterModel m;
    for (char16_t& c : m.ModelName) c = u'#';
    m.Dpi = -7;
    return m;
}

bool IsPoison(const core::PrinterModel& m) {
    for (const char16_t c : m.ModelName)
        if (c != u'#') return false;
    return m.Dpi == -7;
}

// Reference conversion: white space, a sign, digits; saturating.
std::int32_t ReferenceInteger(core::u16view text) {
    std::size_t p = 0;
    while (p < text.size() && (text[p] == u' ' || (text[p] >= 0x09 && text[p] <= 0x0D))) ++p;
    int sign = 1;
    if (p < text.size() && (text[p] == u'-' || text[p] == u'+')) sign = text[p++] == u'-' ? -1 : 1;
    __int128 value = 0;
    for (; p < text.size() && text[p] >= u'0' && text[p] <= u'9'; ++p) {
        value = value * 10 + (text[p] - u'0');
        if (value > (static_cast<__int128>(1) << 40)) value = static_cast<__int128>(1) << 40;
    }
    value *= sign;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

// The tables are large (255 records); they are made once and refilled.
core::ModelTable& Table(int which) {
    static const auto tables = std::make_unique<core::ModelTable[]>(2);
    return tables[which];
}

void RawList(const std::uint8_t* data, std::size_t size) {
    core::ModelTable* table = &Table(0);
    table->fill(Poison());
    std::vector<u16> entries;
    const int rows = ui::ParsePrinterModels(data, size, *table, entries);
    FUZZ_CHECK(rows >= 0 && rows <= ui::kMaxModelRows);
    FUZZ_CHECK(entries.size() == static_cast<std::size_t>(rows));
    FUZZ_CHECK(IsPoison((*table)[0]));
    for (int i = rows + 1; i < core::kModelTableSize; ++i) FUZZ_CHECK(IsPoison((*table)[static_cast<std::size_t>(i)]));
    for (int i = 1; i <= rows; ++i) {
        const core::PrinterModel& m = (*table)[static_cast<std::size_t>(i)];
        const u16& entry = entries[static_cast<std::size_t>(i - 1)];
        FUZZ_CHECK(entry.size() <= ui::kModelFieldCapacity - 1);
        FUZZ_CHECK(entry.find(u',') == u16::npos);
        core::u16view name(entry);
        while (!name.empty() && name.front() == u' ') name.remove_prefix(1);
        FUZZ_CHECK(Field(m.ModelName) == name.substr(0, 63));
        Field(m.CommandSet);
        Field(m.GpdFile);
        Field(m.VidPid);
        Field(m.HardwareId);
    }

    fakes::FakeFileSystem fs;
    fs.AddFile(u"C:\\Docs\\PrinterName.txt", std::vector<std::uint8_t>(data, data + size));
    core::ModelTable* loaded = &Table(1);
    loaded->fill(core::PrinterModel{});
    ui::ModelBoxState box;
    ui::LoadPrinterModels(fs, u"C:\\Docs", u"prompt", *loaded, box);
    FUZZ_CHECK(box.entries.size() == entries.size() + 1 && box.entries[0] == u"prompt");
    FUZZ_CHECK(box.selected == (rows > 0 ? 1 : -1));
    for (int i = 1; i <= rows; ++i) {
        FUZZ_CHECK(box.entries[static_cast<std::size_t>(i)] == entries[static_cast<std::size_t>(i - 1)]);
        FUZZ_CHECK(Field((*loaded)[static_cast<std::size_t>(i)].ModelName) ==
                   Field((*table)[static_cast<std::size_t>(i)].ModelName));
    }

    // Any selection keeps the printer name one of the entries (or empty) and
    // the chosen model a record that holds a row.
    FuzzedDataProvider in(data, size);
    std::int32_t selected = 0;
    for (int k = 0; k < 4 && in.remaining_bytes() > 0; ++k) {
        const int index = in.ConsumeIntegralInRange(-2, 300);
        ui::OnModelSelected(box, index, selected);
        FUZZ_CHECK(selected >= 0 && selected <= rows);
        if (index > 0 && index <= rows)
            FUZZ_CHECK(box.printerName == box.entries[static_cast<std::size_t>(index)]);
        else
            FUZZ_CHECK(box.printerName.empty());
    }

    // The integer conversion against the reference, on the input as text.
    const std::size_t units = size / 2;
    u16 text;
    for (std::size_t i = 0; i < units && i < 64; ++i)
        text.push_back(static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8));
    FUZZ_CHECK(ui::ParseModelInteger(text) == ReferenceInteger(text));
}

// A clean field: no comma, line end, NUL, leading blank or "//".
u16 CleanField(FuzzedDataProvider& in, std::size_t maxChars) {
    const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(1, maxChars);
    u16 field;
    for (std::size_t i = 0; i < length && in.remaining_bytes() >= 2; ++i) {
        char16_t c = in.ConsumeIntegral<char16_t>();
        if (c == u',' || c == u'\r' || c == u'\n' || c == 0 || c == u'/' || c == 0xFEFF) c = u'x';
        field.push_back(c);
    }
    if (field.empty()) field = u"x";
    if (field.front() == u' ' || field.front() == u'\t') field.front() = u'x';  // not longer than asked
    return field;
}

void AppendUnits(std::vector<std::uint8_t>& bytes, core::u16view text) {
    for (const char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
}

void WellFormedList(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<std::uint8_t> file = {0xFF, 0xFE};
    AppendUnits(file, u"//name,cutter,set,gpd,vid&pid,dpi,hwid,width,height,head");
    struct Row {
        u16 texts[5];  // name, command set, GPD, vid&pid, hardware id
        std::int32_t numbers[5];
        bool fits;
    };
    std::vector<Row> rows;
    const int count = in.ConsumeIntegralInRange(0, 6);
    for (int r = 0; r < count; ++r) {
        Row row{};
        const std::size_t limits[5] = {63, 31, 120, 63, 31};
        for (int t = 0; t < 5; ++t) row.texts[t] = CleanField(in, limits[t]);
        for (std::int32_t& n : row.numbers) n = in.ConsumeIntegral<std::int32_t>();
        const u16 line = row.texts[0] + u"," + core::DecimalU16(row.numbers[0]) + u"," + row.texts[1] + u"," +
                         row.texts[2] + u"," + row.texts[3] + u"," + core::DecimalU16(row.numbers[1]) + u"," +
                         row.texts[4] + u"," + core::DecimalU16(row.numbers[2]) + u"," +
                         core::DecimalU16(row.numbers[3]) + u"," + core::DecimalU16(row.numbers[4]);
        const bool last = r + 1 == count;
        // The line with its line end must fit the 255-unit line buffer.
        row.fits = line.size() + (last ? 0 : 2) <= ui::kModelLineCapacity - 1;
        AppendUnits(file, u"\r\n" + line);
        rows.push_back(row);
    }
    core::ModelTable* table = &Table(1);
    table->fill(core::PrinterModel{});
    std::vector<u16> entries;
    const int parsed = ui::ParsePrinterModels(file.data(), file.size(), *table, entries);
    int record = 0;
    for (const Row& row : rows) {
        if (!row.fits) continue;
        const core::PrinterModel& m = (*table)[static_cast<std::size_t>(++record)];
        FUZZ_CHECK(entries[static_cast<std::size_t>(record - 1)] == row.texts[0]);
        FUZZ_CHECK(Field(m.ModelName) == row.texts[0] && Field(m.CommandSet) == row.texts[1] &&
                   Field(m.GpdFile) == row.texts[2] && Field(m.VidPid) == row.texts[3] &&
                   Field(m.HardwareId) == row.texts[4]);
        FUZZ_CHECK(m.HasCutter == row.numbers[0] && m.Dpi == row.numbers[1] && m.PaperWidth == row.numbers[2] &&
                   m.PaperHeight == row.numbers[3] && m.HeadWidthDots == row.numbers[4]);
    }
    FUZZ_CHECK(parsed == record);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RawList(data, size);
    WellFormedList(data, size);
    return 0;
}
