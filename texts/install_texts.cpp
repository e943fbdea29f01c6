#include "texts/install_texts.h"

#include <vector>

namespace texts {

namespace {

constexpr core::u16view kSeparator = u"====================";

// Reads a UTF-16LE byte range the way a wide line read on a binary stream
// does: at most kLinePieceChars units per piece, up to and including LF.
class PieceReader {
public:
    PieceReader(const std::uint8_t* bytes, std::size_t size, std::size_t start)
        : bytes_(bytes), units_(size > start ? (size - start) / 2 : 0), start_(start) {}

    // False at the end of the data (nothing read). `text` stops at an
    // embedded NUL; `full` tells whether the piece took kLinePieceChars units
    // without reaching LF, i.e. the line goes on in the next piece.
    bool Next(core::u16& text, bool& full) {
        text.clear();
        full = false;
        if (next_ >= units_) return false;
        std::size_t taken = 0;
        bool sawNul = false;
        bool sawLf = false;
        while (next_ < units_ && taken < kLinePieceChars) {
            const std::size_t at = start_ + 2 * next_;
            const auto c = static_cast<char16_t>(bytes_[at] | (bytes_[at + 1] << 8));
            ++next_;
            ++taken;
            if (c == 0) sawNul = true;
            if (!sawNul) text.push_back(c);
            if (c == u'\n') {
                sawLf = true;
                break;
            }
        }
        full = taken == kLinePieceChars && !sawLf;
        return true;
    }

private:
    const std::uint8_t* bytes_;
    std::size_t units_;
    std::size_t start_;
    std::size_t next_ = 0;
};

// A CR LF can only stand at the end of a piece, since LF ends it.
void ReplaceCrLf(core::u16& line, core::u16view with) {
    const auto pos = line.find(u"\r\n");
    if (pos != core::u16::npos) line.replace(pos, 2, with);
}

template <std::size_t N>
void Append(char16_t (&field)[N], core::u16view text) {
    const std::size_t used = core::BoundedLength(field, N);
    core::CopyTruncated(field + used, N - used, text);
}

struct FieldRef {
    char16_t* data;
    std::size_t capacity;
};

template <std::size_t N>
FieldRef Ref(char16_t (&field)[N]) {
    return {field, N};
}

}  // namespace

void ParseInstallTexts(const std::uint8_t* bytes, std::size_t size, InstallTexts& out) {
    out = InstallTexts{};
    if (bytes == nullptr) return;

    PieceReader reader(bytes, size, 2);
    core::u16 line;
    bool full = false;
    bool continues = false;  // the previous piece was cut at kLinePieceChars

    // Page phase: six blocks, each ended by a separator.
    char16_t(*pages[])[512] = {&out.WelcomeText,   &out.FolderText,    &out.InstallingText,
                               &out.SuccessText,   &out.CancelledText, &out.FailedText};
    std::size_t page = 0;
    while (page < 6 && reader.Next(line, full)) {
        continues = full;
        ReplaceCrLf(line, u"\n");
        if (core::Contains(line, kSeparator)) {
            ++page;
            continue;
        }
        Append(*pages[page], line);
    }
    if (page < 6) return;

    // Name phase: non-empty lines fill the first empty field, in this order.
    FieldRef names[] = {Ref(out.WindowTitle), Ref(out.PrinterBaseName), Ref(out.DriverName),
                        Ref(out.MonitorName), Ref(out.PortPrefix),      Ref(out.ProductTitle),
                        Ref(out.DriverResourceDll)};
    FieldRef* lastFilled = nullptr;  // the field the previous piece went to
    bool firstRest = true;           // this is the first dropped piece of a cut line
    while (reader.Next(line, full)) {
        const bool isRest = continues;
        continues = full;
        if (isRest) {
            // The rest of an over-long name line is dropped. If the cut fell
            // between its CR and LF, the kept part loses the CR as well.
            if (firstRest && lastFilled != nullptr && !line.empty() && line[0] == u'\n') {
                const std::size_t n = core::BoundedLength(lastFilled->data, lastFilled->capacity);
                if (n > 0 && lastFilled->data[n - 1] == u'\r') lastFilled->data[n - 1] = 0;
            }
            firstRest = false;
            if (!full) lastFilled = nullptr;
            continue;
        }
        firstRest = true;
        lastFilled = nullptr;
        ReplaceCrLf(line, u"");
        if (line.empty() || core::Contains(line, kSeparator)) continue;
        for (FieldRef& f : names) {
            if (f.data[0] == 0) {
                core::CopyTruncated(f.data, f.capacity, line);
                lastFilled = &f;
                break;
            }
        }
    }
}

bool LoadInstallTexts(const core::u16& path, os::FileSystem& fs, InstallTexts& out) {
    std::vector<std::uint8_t> bytes;
    if (!fs.ReadFile(path, kMaxTextFileBytes, &bytes)) {
        out = InstallTexts{};
        core::CopyTruncated(out.PrinterBaseName, kDefaultPrinterBaseName);
        core::CopyTruncated(out.DriverName, kDefaultDriverName);
        core::CopyTruncated(out.MonitorName, kDefaultMonitorName);
        core::CopyTruncated(out.PortPrefix, kDefaultPortPrefix);
        return false;
    }
    ParseInstallTexts(bytes.data(), bytes.size(), out);
    return true;
}

core::u16 ReadLastLine(const std::uint8_t* bytes, std::size_t size) {
    core::u16 last;
    if (bytes == nullptr) return last;
    PieceReader reader(bytes, size, 0);
    core::u16 piece;
    bool full = false;
    while (reader.Next(piece, full)) {
        ReplaceCrLf(piece, u"\n");
        last = piece;
    }
    return last;
}

}  // namespace texts
