#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "fakes/fake_fs.h"
#include "ui/model_catalogue.h"

namespace {

using core::u16;

// Text.ini values by key; hands back whatever is stored, however long.
class MapProfile : public os::ProfileReader {
public:
    std::map<u16, u16> values;
    u16 ReadString(const u16&, const u16& section, const u16& key, const u16& fallback,
                   std::size_t) override {
        if (section != u"Text") return fallback;
        const auto it = values.find(key);
        return it == values.end() ? fallback : it->second;
    }
};

// The list as the installer carries it: UTF-16LE, optionally with the
// byte-order mark.
std::vector<std::uint8_t> Utf16Bytes(const u16& text, bool bom = true) {
    std::vector<std::uint8_t> out;
    if (bom) out = {0xFF, 0xFE};
    for (char16_t c : text) {
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return out;
}

const u16 kComment = u"//打印机名称,是否带切刀,指令型号TSC or ESC,GPD文件,vid&pid,分辨率,硬件ID,默认纸张宽度,默认纸张高度,打印头宽度(点)";

u16 Row(const u16& name, int n = 0) {
    return name + u",0,TSC,TSC.GPD,vid_ABCD&pid_000" + core::DecimalU16(n % 10) +
           u",203,HW" + core::DecimalU16(n) + u",800,2000,831";
}

struct Parsed {
    core::ModelTable table;
    std::vector<u16> entries;
    int rows = 0;
};

Parsed Parse(const std::vector<std::uint8_t>& bytes) {
    Parsed p;
    p.rows = ui::ParsePrinterModels(bytes.data(), bytes.size(), p.table, p.entries);
    return p;
}

Parsed Parse(const u16& text) { return Parse(Utf16Bytes(text)); }

bool IsEmptyRecord(const core::PrinterModel& m) {
    return m.ModelName[0] == 0 && m.HasCutter == 0 && m.CommandSet[0] == 0 && m.GpdFile[0] == 0 &&
           m.VidPid[0] == 0 && m.Dpi == 0 && m.HardwareId[0] == 0 && m.PaperWidth == 0 &&
           m.PaperHeight == 0 && m.HeadWidthDots == 0;
}

core::PrinterModel Poison() {
    core::PrinterModel m;
    for (auto& c : m.ModelName) c = u'#';
    m.Dpi = -7;
    return m;
}

TEST(CatalogueParse, ThreeRowsFillRecordsOneToThreeInFileOrder) {
    const u16 text = kComment + u"\r\n" +
                     u"Q712,1,TSC,TSC.GPD,vid_ABCD&pid_0001,203,USBPRINT\\Q712,800,2000,831\r\n" +
                     Row(u"Second", 2) + u"\r\n" + Row(u"Third", 3);
    Parsed p;
    p.table[0] = Poison();
    p.table[4] = Poison();
    const auto bytes = Utf16Bytes(text);
    p.rows = ui::ParsePrinterModels(bytes.data(), bytes.size(), p.table, p.entries);

    EXPECT_EQ(p.rows, 3);
    EXPECT_EQ(p.entries, (std::vector<u16>{u"Q712", u"Second", u"Third"}));
    const core::PrinterModel& m = p.table[1];
    EXPECT_EQ(core::FieldView(m.ModelName), u"Q712");
    EXPECT_EQ(m.HasCutter, 1);
    EXPECT_EQ(core::FieldView(m.CommandSet), u"TSC");
    EXPECT_EQ(core::FieldView(m.GpdFile), u"TSC.GPD");
    EXPECT_EQ(core::FieldView(m.VidPid), u"vid_ABCD&pid_0001");
    EXPECT_EQ(m.Dpi, 203);
    EXPECT_EQ(core::FieldView(m.HardwareId), u"USBPRINT\\Q712");
    EXPECT_EQ(m.PaperWidth, 800);
    EXPECT_EQ(m.PaperHeight, 2000);
    EXPECT_EQ(m.HeadWidthDots, 831);
    EXPECT_EQ(core::FieldView(p.table[2].ModelName), u"Second");
    EXPECT_EQ(core::FieldView(p.table[3].HardwareId), u"HW3");
    // Records outside the rows are not written.
    EXPECT_EQ(p.table[0].ModelName[63], u'#');
    EXPECT_EQ(p.table[0].Dpi, -7);
    EXPECT_EQ(p.table[4].Dpi, -7);
}

TEST(CatalogueParse, BlanksBeforeValuesGoTabsStay) {
    const Parsed p = Parse(kComment + u"\r\n" +
                           u"  Padded,  1,\tTSC, TSC.GPD,  vid_ABCD&pid_0001,\t203, HW,  800 ,\t2000,  831");
    ASSERT_EQ(p.rows, 1);
    // The box entry is the first field exactly as scanned.
    EXPECT_EQ(p.entries[0], u"  Padded");
    const core::PrinterModel& m = p.table[1];
    EXPECT_EQ(core::FieldView(m.ModelName), u"Padded");
    EXPECT_EQ(m.HasCutter, 1);
    EXPECT_EQ(core::FieldView(m.CommandSet), u"\tTSC");
    EXPECT_EQ(core::FieldView(m.GpdFile), u"TSC.GPD");
    EXPECT_EQ(core::FieldView(m.VidPid), u"vid_ABCD&pid_0001");
    EXPECT_EQ(m.Dpi, 203);
    EXPECT_EQ(m.PaperWidth, 800);
    EXPECT_EQ(m.PaperHeight, 2000);
    EXPECT_EQ(m.HeadWidthDots, 831);
}

TEST(CatalogueParse, ScanStopsAtTheFirstEmptyField) {
    struct Case {
        const char* label;
        u16 row;
        u16 entry, name;
        int cutter;
        bool commandSetOn;  // CommandSet and later fields filled
    } cases[] = {
        {"empty third field", u"Name,1,,TSC.GPD,vid_ABCD&pid_0001,203,HW,800,2000,831", u"Name", u"Name", 1, false},
        {"empty first field", u",1,TSC,TSC.GPD,vid_ABCD&pid_0001,203,HW,800,2000,831", u"", u"", 0, false},
        {"name only", u"Lonely", u"Lonely", u"Lonely", 0, false},
        {"trailing comma only", u"Name,1,", u"Name", u"Name", 1, false},
        {"all ten", Row(u"Name"), u"Name", u"Name", 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const Parsed p = Parse(kComment + u"\r\n" + c.row + u"\r\n" + Row(u"Next"));
        ASSERT_EQ(p.rows, 2);  // the row is still added
        EXPECT_EQ(p.entries[0], c.entry);
        EXPECT_EQ(p.entries[1], u"Next");
        const core::PrinterModel& m = p.table[1];
        EXPECT_EQ(core::FieldView(m.ModelName), c.name);
        EXPECT_EQ(m.HasCutter, c.cutter);
        if (c.commandSetOn) {
            EXPECT_EQ(core::FieldView(m.CommandSet), u"TSC");
            EXPECT_EQ(m.HeadWidthDots, 831);
        } else {
            EXPECT_EQ(m.CommandSet[0], 0);
            EXPECT_EQ(m.GpdFile[0], 0);
            EXPECT_EQ(m.VidPid[0], 0);
            EXPECT_EQ(m.Dpi, 0);
            EXPECT_EQ(m.HardwareId[0], 0);
            EXPECT_EQ(m.PaperWidth, 0);
            EXPECT_EQ(m.PaperHeight, 0);
            EXPECT_EQ(m.HeadWidthDots, 0);
        }
    }
}

TEST(CatalogueParse, CommentsBlankLinesAndByteOrderMark) {
    struct Case {
        const char* label;
        std::vector<std::uint8_t> bytes;
        std::vector<u16> entries;
    } cases[] = {
        {"comment right after the mark", Utf16Bytes(kComment + u"\r\n" + Row(u"A")), {u"A"}},
        {"no mark", Utf16Bytes(kComment + u"\r\n" + Row(u"A"), false), {u"A"}},
        {"mark but no comment: the mark is not part of the name", Utf16Bytes(Row(u"A") + u"\r\n" + Row(u"B")),
         {u"A", u"B"}},
        {"slashes anywhere skip the row", Utf16Bytes(kComment + u"\r\n" + u"A,0,TSC,http://x,v,1,h,1,1,1\r\n" + Row(u"B")),
         {u"B"}},
        {"a lone slash is data", Utf16Bytes(kComment + u"\r\n" + u"A/B,0\r\n"), {u"A/B"}},
        {"line break after the last row", Utf16Bytes(kComment + u"\r\n" + Row(u"A") + u"\r\n"), {u"A"}},
        {"blank lines of every kind", Utf16Bytes(kComment + u"\r\n\r\n" + Row(u"A") + u"\r\n   \r\n\t\r\n\n" + Row(u"B") + u"\r\n\r\n"),
         {u"A", u"B"}},
        {"only the mark", {0xFF, 0xFE}, {}},
        {"empty data", {}, {}},
        {"odd last byte is ignored", [] { auto b = Utf16Bytes(kComment + u"\r\n" + Row(u"A")); b.push_back(0x41); return b; }(),
         {u"A"}},
        {"a NUL ends the line", Utf16Bytes(kComment + u"\r\n" + u"A" + u16(1, u'\0') + u"//,1\r\n" + Row(u"B")),
         {u"A", u"B"}},
        {"the mark of a later line is data", Utf16Bytes(kComment + u"\r\n" + u16(1, u'\xFEFF') + u"A,1"), {u16(1, u'\xFEFF') + u"A"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const Parsed p = Parse(c.bytes);
        EXPECT_EQ(p.entries, c.entries);
        EXPECT_EQ(p.rows, static_cast<int>(c.entries.size()));
    }
}

TEST(CatalogueParse, CutOnlyWhenTheUnitBeforeTheLastEndsTheLine) {
    // The last row has no line end and keeps its last character; a CR left
    // alone at the end of a line stays with it.
    const Parsed p = Parse(kComment + u"\r\n" + u"A,1,TSC\r\n" + u"B,2,ESC\r\r\n" + u"C,3,TSC");
    ASSERT_EQ(p.rows, 3);
    EXPECT_EQ(core::FieldView(p.table[1].CommandSet), u"TSC");
    EXPECT_EQ(core::FieldView(p.table[2].CommandSet), u"ESC\r");
    EXPECT_EQ(core::FieldView(p.table[3].CommandSet), u"TSC");
}

TEST(CatalogueParse, LinesMustFitTheLineBuffer) {
    // 255 units with the line end fit; one more and the whole line is
    // skipped, with nothing of it taken for a further row.
    for (std::size_t total : {254u, 255u, 256u, 300u, 600u}) {
        SCOPED_TRACE(total);
        const u16 head = u"Long,1,TSC,";
        const u16 line = head + u16(total - head.size() - 2, u'g') + u"\r\n";
        ASSERT_EQ(line.size(), total);
        const Parsed p = Parse(kComment + u"\r\n" + line + Row(u"After"));
        if (total <= 255) {
            ASSERT_EQ(p.entries, (std::vector<u16>{u"Long", u"After"}));
            EXPECT_EQ(core::FieldView(p.table[1].GpdFile).size(), total - head.size() - 2);
        } else {
            EXPECT_EQ(p.entries, (std::vector<u16>{u"After"}));
        }
    }
    // A comment longer than the buffer does not leave a tail row behind.
    const Parsed p = Parse(u"//" + u16(400, u'c') + u",x,y\r\n" + Row(u"A"));
    EXPECT_EQ(p.entries, (std::vector<u16>{u"A"}));
}

TEST(CatalogueParse, FieldsAndTextsAreCutToTheirBuffers) {
    // A 255-unit last line of one field: the scan buffer keeps 254 units.
    {
        const Parsed p = Parse(kComment + u"\r\n" + u16(255, u'n'));
        ASSERT_EQ(p.rows, 1);
        EXPECT_EQ(p.entries[0], u16(254, u'n'));
        EXPECT_EQ(core::FieldView(p.table[1].ModelName), u16(63, u'n'));
    }
    struct Case {
        const char* label;
        int field;  // 0 name, 2 command set, 4 vid&pid, 6 hardware id
        std::size_t length, kept;
    } cases[] = {
        {"name at the limit", 0, 63, 63},  {"name over", 0, 64, 63},   {"name far over", 0, 100, 63},
        {"command set at", 2, 31, 31},     {"command set over", 2, 32, 31},
        {"vid&pid at", 4, 63, 63},         {"vid&pid over", 4, 64, 63},
        {"hardware id at", 6, 31, 31},     {"hardware id over", 6, 40, 31},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        u16 fields[10] = {u"N", u"0", u"TSC", u"G", u"V", u"1", u"H", u"1", u"1", u"1"};
        fields[c.field] = u16(c.length, u'x');
        u16 row;
        for (int i = 0; i < 10; ++i) row += (i ? u"," : u"") + fields[i];
        const Parsed p = Parse(kComment + u"\r\n" + row);
        ASSERT_EQ(p.rows, 1);
        const core::PrinterModel& m = p.table[1];
        const char16_t* text = c.field == 0 ? m.ModelName : c.field == 2 ? m.CommandSet
                             : c.field == 4 ? m.VidPid : m.HardwareId;
        const std::size_t capacity = c.field == 0 || c.field == 4 ? 64 : 32;
        EXPECT_EQ(core::FieldView(text, capacity), u16(c.kept, u'x'));
        EXPECT_EQ(text[capacity - 1], 0);
        // The fields after it are still read.
        EXPECT_EQ(m.HeadWidthDots, 1);
        if (c.field == 0) {
            EXPECT_EQ(p.entries[0], u16(c.length, u'x'));
        }
    }
}

TEST(CatalogueParse, AtMost254RowsAreTaken) {
    for (int count : {253, 254, 255, 400}) {
        SCOPED_TRACE(count);
        u16 text = kComment;
        for (int i = 1; i <= count; ++i) text += u"\r\n" + Row(u"M" + core::DecimalU16(i), i);
        const Parsed p = Parse(text);
        const int kept = std::min(count, ui::kMaxModelRows);
        EXPECT_EQ(p.rows, kept);
        ASSERT_EQ(p.entries.size(), static_cast<std::size_t>(kept));
        EXPECT_EQ(p.entries.back(), u"M" + core::DecimalU16(kept));
        EXPECT_EQ(core::FieldView(p.table[static_cast<std::size_t>(kept)].ModelName), p.entries.back());
        EXPECT_TRUE(IsEmptyRecord(p.table[0]));
    }
}

TEST(CatalogueParse, IntegerConversion) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    struct Case {
        u16 text;
        std::int32_t value;
    } cases[] = {
        {u"203", 203},          {u"  \t 42", 42},        {u"\r\n\v\f7", 7},
        {u"-17", -17},          {u"+5", 5},              {u"12abc", 12},
        {u"1 2", 1},            {u"abc", 0},             {u"", 0},
        {u"-", 0},              {u"- 5", 0},             {u"0x10", 0},
        {u"007", 7},            {u"2147483647", kMax},   {u"2147483648", kMax},
        {u"4294967296", kMax},  {u"99999999999999999999999999", kMax},
        {u"-2147483648", kMin}, {u"-2147483649", kMin},  {u"-99999999999999999999999", kMin},
        {u"\x0663", 0},  // a non-ASCII digit is not a digit
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(core::Utf16ToUtf8(c.text));
        EXPECT_EQ(ui::ParseModelInteger(c.text), c.value);
    }
    // In a row: the fields are converted the same way.
    const Parsed p = Parse(kComment + u"\r\nA,\t1,TSC,G,V,99999999999,H,-99999999999,x12,12x");
    ASSERT_EQ(p.rows, 1);
    EXPECT_EQ(p.table[1].HasCutter, 1);
    EXPECT_EQ(p.table[1].Dpi, kMax);
    EXPECT_EQ(p.table[1].PaperWidth, kMin);
    EXPECT_EQ(p.table[1].PaperHeight, 0);
    EXPECT_EQ(p.table[1].HeadWidthDots, 12);
}

class CatalogueLoad : public ::testing::Test {
protected:
    CatalogueLoad() { fs.AddDirectory(kDocs); }
    const u16 kDocs = u"C:\\Users\\me\\Documents";
    fakes::FakeFileSystem fs;
    core::ModelTable table;
    ui::ModelBoxState box;
};

TEST_F(CatalogueLoad, ThreeModelsGiveFourEntriesWithTheFirstModelSelected) {
    fs.AddFile(kDocs + u"\\PrinterName.txt",
               Utf16Bytes(kComment + u"\r\n" + Row(u"A") + u"\r\n" + Row(u"B") + u"\r\n" + Row(u"C")));
    box.selected = 42;
    box.printerName = u"stale";
    ui::LoadPrinterModels(fs, kDocs, u"Please select model", table, box);
    EXPECT_EQ(box.entries, (std::vector<u16>{u"Please select model", u"A", u"B", u"C"}));
    EXPECT_EQ(box.selected, 1);
    EXPECT_EQ(box.printerName, u"A");
    EXPECT_TRUE(IsEmptyRecord(table[0]));
    EXPECT_EQ(core::FieldView(table[3].ModelName), u"C");
    EXPECT_TRUE(IsEmptyRecord(table[4]));
}

TEST_F(CatalogueLoad, NoModelsLeaveOnlyThePromptAndNoSelection) {
    struct Case {
        const char* label;
        bool present;
        u16 text;
    } cases[] = {
        {"missing file", false, u""},
        {"comment only", true, kComment},
        {"empty file", true, u""},
        {"blank lines only", true, kComment + u"\r\n\r\n   \r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        fakes::FakeFileSystem local;
        local.AddDirectory(kDocs);
        if (c.present) local.AddFile(kDocs + u"\\PrinterName.txt", Utf16Bytes(c.text));
        ui::ModelBoxState b;
        b.selected = 3;
        b.printerName = u"stale";
        b.entries = {u"old"};
        ui::LoadPrinterModels(local, kDocs, u"prompt", table, b);
        EXPECT_EQ(b.entries, (std::vector<u16>{u"prompt"}));
        EXPECT_EQ(b.selected, -1);
        EXPECT_EQ(b.printerName, u"");
    }
}

TEST_F(CatalogueLoad, ReadsNoMoreThanTheLimit) {
    // A row beyond the read limit is never seen; one inside it is.
    for (bool beyond : {false, true}) {
        SCOPED_TRACE(beyond);
        const std::size_t padUnits = ui::kModelFileReadLimit / 2 - (beyond ? 0 : 1000);
        u16 text = kComment + u"\r\n" + u"//" + u16(padUnits, u'p') + u"\r\n" + Row(u"Late");
        fakes::FakeFileSystem local;
        local.AddDirectory(kDocs);
        local.AddFile(kDocs + u"\\PrinterName.txt", Utf16Bytes(text));
        ui::ModelBoxState b;
        ui::LoadPrinterModels(local, kDocs, u"prompt", table, b);
        EXPECT_EQ(b.entries.size(), beyond ? 1u : 2u);
    }
}

TEST_F(CatalogueLoad, SelectingEntries) {
    fs.AddFile(kDocs + u"\\PrinterName.txt",
               Utf16Bytes(kComment + u"\r\n" + Row(u"A") + u"\r\n" + Row(u" B")));
    ui::LoadPrinterModels(fs, kDocs, u"prompt", table, box);
    struct Case {
        const char* label;
        int index;
        u16 name;
        std::int32_t selected;  // from a poisoned 77
    } cases[] = {
        {"first model", 1, u"A", 1},
        {"second model keeps its blank", 2, u" B", 2},
        {"the prompt clears the name", 0, u"", 77},
        {"no selection", -1, u"", 77},
        {"past the box", 3, u"", 77},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ui::ModelBoxState b = box;
        b.printerName = u"before";
        std::int32_t selectedModel = 77;
        ui::OnModelSelected(b, c.index, selectedModel);
        EXPECT_EQ(b.printerName, c.name);
        EXPECT_EQ(selectedModel, c.selected);
        EXPECT_EQ(b.selected, c.index);
    }
}

TEST(CataloguePrompt, ByLanguage) {
    MapProfile profile;
    ui::TextIni none{&profile, u"C:\\Docs\\Text.ini"};
    EXPECT_EQ(ui::ModelPromptText(ui::kUiEnglish, none), u"Please select model");
    EXPECT_EQ(ui::ModelPromptText(ui::kUiChinese, none), u"请选择打印机型号");
    EXPECT_EQ(ui::ModelPromptText(ui::kUiRussian, none), u"Please select model");
    profile.values[u"Please select model"] = u"Выберите модель";
    EXPECT_EQ(ui::ModelPromptText(ui::kUiRussian, none), u"Выберите модель");
    EXPECT_EQ(ui::ModelPromptText(ui::kUiEnglish, none), u"Please select model");
    // A value longer than the 255-unit buffer is cut, whatever the reader gives.
    profile.values[u"Please select model"] = u16(300, u'x');
    EXPECT_EQ(ui::ModelPromptText(ui::kUiRussian, none), u16(255, u'x'));
    // Without a reader the default stands.
    EXPECT_EQ(ui::ModelPromptText(ui::kUiRussian, ui::TextIni{}), u"Please select model");
}

TEST(CatalogueShippedList, ParsesEveryModelOfTheRepositoryList) {
    // The list is part of the default payload: without it the build is broken.
    std::ifstream in(std::string(SOURCE_ROOT) + "/payload_files/PrinterName.txt", std::ios::binary);
    ASSERT_TRUE(in) << SOURCE_ROOT "/payload_files/PrinterName.txt is missing";
    const std::string utf8((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // As the build carries it: UTF-16LE with the mark, CR LF, no line end
    // after the last line.
    u16 text;
    int dataLines = 0;
    std::size_t start = 0;
    std::vector<u16> lines;
    while (start < utf8.size()) {
        std::size_t end = utf8.find('\n', start);
        if (end == std::string::npos) end = utf8.size();
        std::string line = utf8.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(core::Utf8ToUtf16(line));
        start = end + 1;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += (i ? u"\r\n" : u"") + lines[i];
        if (lines[i].find(u"//") == u16::npos && !lines[i].empty()) ++dataLines;
    }
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].substr(0, 2), u"//");
    const Parsed p = Parse(text);
    ASSERT_GT(dataLines, 0);
    EXPECT_EQ(p.rows, dataLines);
    for (int i = 1; i <= p.rows; ++i) {
        const core::PrinterModel& m = p.table[static_cast<std::size_t>(i)];
        SCOPED_TRACE(core::Utf16ToUtf8(core::FieldView(m.ModelName)));
        EXPECT_FALSE(core::FieldView(m.ModelName).empty());
        const u16 cs(core::FieldView(m.CommandSet));
        EXPECT_TRUE(cs == u"TSC" || cs == u"ESC");
        EXPECT_EQ(core::FieldView(m.VidPid).size(), 17u);
        EXPECT_TRUE(core::StartsWith(core::FieldView(m.VidPid), u"vid_"));
        EXPECT_GT(m.Dpi, 0);
        EXPECT_GT(m.PaperWidth, 0);
        EXPECT_GT(m.PaperHeight, 0);
        EXPECT_GT(m.HeadWidthDots, 0);
        EXPECT_TRUE(m.HasCutter == 0 || m.HasCutter == 1);
    }
}

}  // namespace
