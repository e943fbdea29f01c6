#include "ui/model_catalogue.h"

#include <array>
#include <limits>

namespace ui {

namespace {

constexpr char16_t kByteOrderMark = 0xFEFF;
constexpr int kFieldCount = 10;

bool IsSpace(char16_t c) { return c == u' ' || (c >= 0x09 && c <= 0x0D); }

bool IsBlankLine(core::u16view line) {
    for (char16_t c : line)
        if (!IsSpace(c)) return false;
    return true;
}

// Ten runs of non-comma text separated by single commas; stops at the first
// empty run.
std::array<core::u16, kFieldCount> ScanFields(core::u16view line) {
    std::array<core::u16, kFieldCount> fields;
    std::size_t p = 0;
    for (int f = 0; f < kFieldCount; ++f) {
        if (f > 0) {
            if (p >= line.size() || line[p] != u',') break;
            ++p;
        }
        const std::size_t start = p;
        while (p < line.size() && line[p] != u',') ++p;
        if (p == start) break;
        fields[f] = core::u16(line.substr(start, std::min(p - start, kModelFieldCapacity - 1)));
    }
    return fields;
}

core::u16view WithoutLeadingBlanks(const core::u16& field) {
    core::u16view v(field);
    while (!v.empty() && v.front() == u' ') v.remove_prefix(1);
    return v;
}

void FillRecord(const std::array<core::u16, kFieldCount>& fields, PrinterModel& m) {
    m = PrinterModel{};
    core::CopyTruncated(m.ModelName, WithoutLeadingBlanks(fields[0]));
    m.HasCutter = ParseModelInteger(WithoutLeadingBlanks(fields[1]));
    core::CopyTruncated(m.CommandSet, WithoutLeadingBlanks(fields[2]));
    core::CopyTruncated(m.GpdFile, WithoutLeadingBlanks(fields[3]));
    core::CopyTruncated(m.VidPid, WithoutLeadingBlanks(fields[4]));
    m.Dpi = ParseModelInteger(WithoutLeadingBlanks(fields[5]));
    core::CopyTruncated(m.HardwareId, WithoutLeadingBlanks(fields[6]));
    m.PaperWidth = ParseModelInteger(WithoutLeadingBlanks(fields[7]));
    m.PaperHeight = ParseModelInteger(WithoutLeadingBlanks(fields[8]));
    m.HeadWidthDots = ParseModelInteger(WithoutLeadingBlanks(fields[9]));
}

}  // namespace

std::int32_t ParseModelInteger(core::u16view text) {
    std::size_t p = 0;
    while (p < text.size() && IsSpace(text[p])) ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == u'+' || text[p] == u'-')) {
        negative = text[p] == u'-';
        ++p;
    }
    // Accumulate the magnitude in 64 bits, clamped just past the 32-bit range.
    constexpr std::int64_t kClamp = std::int64_t{1} << 32;
    std::int64_t magnitude = 0;
    for (; p < text.size() && text[p] >= u'0' && text[p] <= u'9'; ++p) {
        magnitude = magnitude * 10 + (text[p] - u'0');
        if (magnitude > kClamp) magnitude = kClamp;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

int ParsePrinterModels(const std::uint8_t* bytes, std::size_t size, ModelTable& table,
                       std::vector<core::u16>& boxEntries) {
    const std::size_t units = bytes ? size / 2 : 0;
    auto unitAt = [bytes](std::size_t i) {
        return static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    };

    int rows = 0;
    std::size_t pos = 0;
    core::u16 line;
    while (pos < units && rows < kMaxModelRows) {
        const std::size_t start = pos;
        while (pos < units && unitAt(pos) != u'\n') ++pos;
        if (pos < units) ++pos;  // the line feed belongs to the line
        if (pos - start > kModelLineCapacity - 1) continue;

        line.clear();
        for (std::size_t i = start; i < pos; ++i) {
            const char16_t c = unitAt(i);
            if (c == 0) break;
            line.push_back(c);
        }
        const std::size_t n = line.size();
        if (n >= 2 && (line[n - 2] == u'\r' || line[n - 2] == u'\n')) line.resize(n - 2);
        if (start == 0 && !line.empty() && line.front() == kByteOrderMark) line.erase(0, 1);

        if (line.find(u"//") != core::u16::npos) continue;
        if (IsBlankLine(line)) continue;

        const auto fields = ScanFields(line);
        ++rows;
        boxEntries.push_back(fields[0]);
        FillRecord(fields, table[static_cast<std::size_t>(rows)]);
    }
    return rows;
}

core::u16 ModelPromptText(int uiLanguage, const TextIni& ini) {
    if (uiLanguage == kUiChinese) return u"请选择打印机型号";
    if (uiLanguage == kUiRussian) return ini.Get(u"Please select model", u"Please select model");
    return u"Please select model";
}

core::u16 ModelListPath(const core::u16& workingFolder) {
    return workingFolder + u"\\PrinterName.txt";
}

void LoadPrinterModels(os::FileSystem& fs, const core::u16& workingFolder,
                       const core::u16& prompt, ModelTable& table, ModelBoxState& box) {
    box.entries.assign(1, prompt);
    box.selected = -1;
    box.printerName.clear();
    std::vector<std::uint8_t> bytes;
    if (!fs.ReadFile(ModelListPath(workingFolder), kModelFileReadLimit, &bytes)) return;
    ParsePrinterModels(bytes.data(), bytes.size(), table, box.entries);
    if (box.entries.size() > 1) {
        box.selected = 1;
        box.printerName = box.entries[1];
    }
}

void OnModelSelected(ModelBoxState& box, int index, std::int32_t& selectedModel) {
    box.selected = index;
    if (index > 0 && static_cast<std::size_t>(index) < box.entries.size()) {
        selectedModel = index;
        box.printerName = box.entries[static_cast<std::size_t>(index)];
    } else {
        box.printerName.clear();
    }
}

}  // namespace ui
