// The InstallConfig text parser and ReadLastLine.
//
// Two readings of each input:
// - as the bytes of a text file: every field stays terminated inside its
//   buffer, no name holds a separator, loading through the file system gives
//   what parsing the bytes gives, and ReadLastLine returns one piece of at
//   most 254 characters without NUL, with a line feed only at its end;
// - as the material for a well-formed file (six page blocks, name lines, the
//   language dialog's title): the parser must give back exactly the page
//   texts (each line with a single LF, cut to 511 characters) and the first
//   seven non-empty name lines (cut to 254 characters), and ReadLastLine the
//   title.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fakes/fake_fs.h"
#include "fuzz/fuzz_support.h"
#include "texts/install_texts.h"

namespace {

using core::u16;
constexpr core::u16view kSeparator = u"====================";

template <std::size_t N>
core::u16view Field(const char16_t (&field)[N]) {
    FUZZ_CHECK(core::BoundedLength(field, N) < N);  // terminated inside the buffer
    return core::FieldView(field);
}

std::vector<core::u16view> Names(const texts::InstallTexts& t) {
    return {Field(t.WindowTitle), Field(t.PrinterBaseName), Field(t.DriverName), Field(t.MonitorName),
            Field(t.PortPrefix),  Field(t.ProductTitle),    Field(t.DriverResourceDll)};
}

std::vector<core::u16view> Pages(const texts::InstallTexts& t) {
    return {Field(t.WelcomeText), Field(t.FolderText),    Field(t.InstallingText),
            Field(t.SuccessText), Field(t.CancelledText), Field(t.FailedText)};
}

bool SameTexts(const texts::InstallTexts& a, const texts::InstallTexts& b) {
    return Names(a) == Names(b) && Pages(a) == Pages(b);
}

void RawFile(const std::uint8_t* data, std::size_t size) {
    texts::InstallTexts parsed;
    for (char16_t& c : parsed.WelcomeText) c = u'#';  // poison: the parser clears everything
    texts::ParseInstallTexts(data, size, parsed);
    for (const core::u16view name : Names(parsed)) FUZZ_CHECK(!core::Contains(name, kSeparator));

    fakes::FakeFileSystem fs;
    fs.AddFile(u"C:\\Docs\\InstallConfig_en.txt", std::vector<std::uint8_t>(data, data + size));
    texts::InstallTexts loaded;
    FUZZ_CHECK(texts::LoadInstallTexts(u"C:\\Docs\\InstallConfig_en.txt", fs, loaded));
    FUZZ_CHECK(SameTexts(parsed, loaded));

    const u16 last = texts::ReadLastLine(data, size);
    FUZZ_CHECK(last.size() <= texts::kLinePieceChars);
    FUZZ_CHECK(last.find(u'\0') == u16::npos);
    const auto lf = last.find(u'\n');
    FUZZ_CHECK(lf == u16::npos || lf == last.size() - 1);
}

// A line of text without line ends, NULs or '=' (so never a separator).
u16 Line(FuzzedDataProvider& in, std::size_t maxChars) {
    const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(0, maxChars);
    u16 line;
    for (std::size_t i = 0; i < length && in.remaining_bytes() >= 2; ++i) {
        char16_t c = in.ConsumeIntegral<char16_t>();
        if (c == u'\r' || c == u'\n' || c == 0 || c == u'=') c = u'x';
        line.push_back(c);
    }
    return line;
}

void AppendUnits(std::vector<std::uint8_t>& bytes, core::u16view text) {
    for (const char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
}

void WellFormedFile(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<std::uint8_t> file = {0xFF, 0xFE};
    u16 expectedPages[6];
    for (u16& page : expectedPages) {
        const int lines = in.ConsumeIntegralInRange(0, 4);
        for (int i = 0; i < lines; ++i) {
            u16 line = Line(in, 600);
            // A line whose CR falls at the end of a 254-character piece keeps
            // it (the piece is handled as a line of its own); not modelled.
            if (line.size() % texts::kLinePieceChars == texts::kLinePieceChars - 1) line.push_back(u'y');
            AppendUnits(file, line + u"\r\n");
            page += line + u"\n";
        }
        AppendUnits(file, u16(50, u'=') + u"\r\n");
        if (page.size() > 511) page.resize(511);
    }
    std::vector<u16> expectedNames;
    const int nameLines = in.ConsumeIntegralInRange(0, 10);
    for (int i = 0; i < nameLines; ++i) {
        u16 line = Line(in, 400);
        AppendUnits(file, line + u"\r\n");
        if (!line.empty() && expectedNames.size() < 7) expectedNames.push_back(line.substr(0, texts::kLinePieceChars));
    }
    u16 title = Line(in, texts::kLinePieceChars);
    if (title.empty()) title = u"t";
    AppendUnits(file, title);  // the last line has no line end
    if (expectedNames.size() < 7) expectedNames.push_back(title);

    texts::InstallTexts parsed;
    texts::ParseInstallTexts(file.data(), file.size(), parsed);
    const auto pages = Pages(parsed);
    for (int i = 0; i < 6; ++i) FUZZ_CHECK(pages[static_cast<std::size_t>(i)] == expectedPages[i]);
    const auto names = Names(parsed);
    for (std::size_t i = 0; i < 7; ++i)
        FUZZ_CHECK(names[i] == (i < expectedNames.size() ? core::u16view(expectedNames[i]) : core::u16view()));
    FUZZ_CHECK(texts::ReadLastLine(file.data(), file.size()) == title);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RawFile(data, size);
    WellFormedFile(data, size);
    return 0;
}
