#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ui/panel_layout.h"
#include "ui/wizard_page.h"

namespace {

using core::u16;
using ui::PanelFont;
using ui::PanelOp;
using ui::PanelOpKind;

// Text.ini stand-in: answers from a map, records every key asked.
class MapProfile : public os::ProfileReader {
public:
    std::map<u16, u16> values;
    std::vector<u16> asked;
    u16 ReadString(const u16&, const u16&, const u16& key, const u16& fallback, std::size_t) override {
        asked.push_back(key);
        const auto it = values.find(key);
        return it == values.end() ? fallback : it->second;
    }
};

// Every character is `charWidth` pixels wide, the cell `cellHeight` high;
// remembers which fonts were used for measuring.
struct FixedWidth {
    int charWidth = 1;
    int cellHeight = 15;
    std::vector<PanelFont> fonts;
    ui::MeasureInFont Fn() {
        return [this](PanelFont font, core::u16view text) {
            fonts.push_back(font);
            return ui::Size{static_cast<int>(text.size()) * charWidth, cellHeight};
        };
    }
};

std::vector<PanelOp> TextOps(const std::vector<PanelOp>& ops) {
    std::vector<PanelOp> out;
    for (const PanelOp& op : ops) {
        if (op.kind == PanelOpKind::Text) out.push_back(op);
    }
    return out;
}

const PanelOp* FindKind(const std::vector<PanelOp>& ops, PanelOpKind kind) {
    for (const PanelOp& op : ops) {
        if (op.kind == kind) return &op;
    }
    return nullptr;
}

ui::PanelPaintInput Input(std::int32_t page, int language) {
    ui::PanelPaintInput in;
    in.page = page;
    in.uiLanguage = language;
    in.chinese = language == 1;
    in.width = 640;
    in.height = 330;
    in.textIniPath = u"C:\\Docs\\Text.ini";
    return in;
}

// ---- SplitTextLines -------------------------------------------------------

TEST(SplitTextLines, BreaksAfterTheCharacterThatCrossesTheWidth) {
    const auto tenEach = [](core::u16view t) { return static_cast<int>(t.size()) * 10; };
    struct Case { const char16_t* text; int maxWidth; std::vector<u16> lines; };
    const Case cases[] = {
        {u"", 25, {}},
        {u"abcdef", 29, {u"abc", u"def"}},   // limit - 1: "abc" (30) is wider
        {u"abcdef", 30, {u"abcd", u"ef"}},   // the limit itself still fits
        {u"abcdef", 31, {u"abcd", u"ef"}},
        {u"ab\ncd", 100, {u"ab\n", u"cd"}},  // LF stays on its line
        {u"\n\n", 100, {u"\n", u"\n"}},      // one line per LF
        {u"ab\n", 100, {u"ab\n"}},           // no empty line after a final LF
        {u"abcd\nef", 30, {u"abcd", u"\n", u"ef"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(core::Utf16ToUtf8(c.text) + " / " + std::to_string(c.maxWidth));
        EXPECT_EQ(ui::SplitTextLines(c.text, c.maxWidth, tenEach), c.lines);
    }
}

TEST(SplitTextLines, MeasuresTheLineWithTheNewCharacter) {
    std::vector<u16> measured;
    const auto record = [&](core::u16view t) { measured.emplace_back(t); return 0; };
    ui::SplitTextLines(u"ab\nc", 10, record);
    // Each character is measured with the line it joins; a line feed ends
    // its line without being measured; after a break measuring starts anew.
    EXPECT_EQ(measured, (std::vector<u16>{u"a", u"ab", u"c"}));
}

TEST(SplitTextLines, CutsANarrowRunAtTheLineBufferAndLosesNothing) {
    const auto zero = [](core::u16view) { return 0; };
    struct Case { std::size_t length; std::vector<std::size_t> lineLengths; };
    const Case cases[] = {
        {254, {254}}, {255, {255}}, {256, {255, 1}}, {600, {255, 255, 90}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        u16 text(c.length, u'x');
        text[c.length - 1] = u'y';
        const auto lines = ui::SplitTextLines(text, 100, zero);
        std::vector<std::size_t> lengths;
        u16 joined;
        for (const u16& l : lines) { lengths.push_back(l.size()); joined += l; }
        EXPECT_EQ(lengths, c.lineLengths);
        EXPECT_EQ(joined, text);
    }
    // A line feed as the 255th character ends the same single line.
    const auto lines = ui::SplitTextLines(u16(254, u'x') + u"\nz", 100, zero);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 255u);
    EXPECT_EQ(lines[1], u"z");
}

// ---- Group frame ----------------------------------------------------------

TEST(GroupFrame, SegmentsOfTheFolderFrame) {
    const int cx = 60;
    const std::array<ui::Segment, 13> expected = {{
        {{28, 168}, {33, 168}},   {{94, 168}, {451, 168}},  {{27, 169}, {28, 169}},
        {{26, 170}, {27, 170}},   {{26, 170}, {26, 216}},   {{26, 216}, {27, 216}},
        {{27, 217}, {28, 217}},   {{28, 218}, {451, 218}},  {{451, 217}, {452, 217}},
        {{452, 216}, {453, 216}}, {{453, 215}, {453, 170}}, {{452, 170}, {453, 170}},
        {{451, 169}, {452, 169}},
    }};
    const auto got = ui::GroupFrameSegments(ui::kFolderFrame, cx);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(got[i].from, expected[i].from);
        EXPECT_EQ(got[i].to, expected[i].to);
    }
}

TEST(GroupFrame, TitleSitsAcrossTheTopEdge) {
    struct Case { int cy; int y; };
    for (const Case c : {Case{15, 161}, Case{16, 160}, Case{0, 168}, Case{1, 168}}) {
        SCOPED_TRACE(c.cy);
        EXPECT_EQ(ui::GroupFrameTitlePosition(ui::kFolderFrame, c.cy), (ui::Point{34, c.y}));
    }
}

TEST(PanelLayout, FolderPageDrawsTheFrameWithItsMeasuredTitle) {
    MapProfile profile;
    FixedWidth measure;
    measure.charWidth = 7;
    measure.cellHeight = 15;
    const auto ops = ui::LayoutPanel(Input(ui::PageFolder, 0), profile, measure.Fn());

    std::size_t title = ops.size();
    for (std::size_t i = 0; i < ops.size(); ++i) {
        if (ops[i].kind == PanelOpKind::Text && ops[i].text == u"Target folder") title = i;
    }
    ASSERT_NE(title, ops.size());
    EXPECT_EQ(ops[title].at, (ui::Point{34, 161}));
    EXPECT_EQ(ops[title].colour, ui::Rgb(0, 70, 213));
    EXPECT_EQ(ops[title].font, PanelFont::Body);
    const auto segments = ui::GroupFrameSegments(ui::kFolderFrame, 13 * 7);
    ASSERT_EQ(ops.size(), title + 14);
    for (std::size_t i = 0; i < 13; ++i) {
        SCOPED_TRACE(i + 1);
        const PanelOp& op = ops[title + 1 + i];
        EXPECT_EQ(op.kind, PanelOpKind::Line);
        EXPECT_EQ(op.segment, segments[i]);
        EXPECT_EQ(op.colour, ui::Rgb(208, 208, 191));
    }
}

// ---- Welcome page -----------------------------------------------------------

TEST(PanelLayout, EnglishWelcomeWithBuiltInText) {
    MapProfile profile;
    FixedWidth measure;  // 1 px a character: lines break only at the text's LFs
    const auto ops = ui::LayoutPanel(Input(ui::PageWelcome, 0), profile, measure.Fn());

    ASSERT_GE(ops.size(), 2u);
    EXPECT_EQ(ops[0].kind, PanelOpKind::FillRect);  // cleared without relying on erasure
    EXPECT_EQ(ops[0].rect, (ui::Rect{0, 0, 640, 330}));
    EXPECT_EQ(ops[0].colour, ui::Rgb(255, 255, 255));
    EXPECT_EQ(ops[1].kind, PanelOpKind::WelcomePicture);
    EXPECT_EQ(ops[1].at, (ui::Point{0, 0}));

    struct Line { int y; PanelFont font; const char16_t* text; };
    const Line expected[] = {
        {20, PanelFont::Heading, u"Welcome use Q712 printer."},
        {50, PanelFont::Body, u""},
        {66, PanelFont::Body, u"This Wizard will install Q712 printer driver in "},
        {82, PanelFont::Body, u"your computer.This software can support word,excel "},
        {98, PanelFont::Body, u"etc program standard printing function."},
        {114, PanelFont::Body, u""},
        {130, PanelFont::Body, u""},
        {146, PanelFont::Body, u""},
        {162, PanelFont::Body, u""},
        {178, PanelFont::Body, u"Please click [next] to continue."},
    };
    const auto texts = TextOps(ops);
    ASSERT_EQ(texts.size(), std::size(expected));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(texts[i].at, (ui::Point{180, expected[i].y}));
        EXPECT_EQ(texts[i].font, expected[i].font);
        EXPECT_EQ(texts[i].text, expected[i].text);
        EXPECT_EQ(texts[i].colour, ui::Rgb(0, 0, 0));
    }
    // The whole welcome text is split in the heading font.
    for (const PanelFont f : measure.fonts) EXPECT_EQ(f, PanelFont::Heading);
    EXPECT_EQ(FindKind(ops, PanelOpKind::Line), nullptr);  // no header band
    EXPECT_TRUE(profile.asked.empty());
}

TEST(PanelLayout, WelcomeTextPositionByLanguage) {
    struct Case { int language; bool chinese; int x; const char16_t* firstLine; };
    const Case cases[] = {
        {1, true, 192, u"欢迎使用Q712打印机驱动"},
        {0, false, 180, u"Welcome use Q712 printer."},
        {2, false, 180, u"Welcome use Q712 printer."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        MapProfile profile;
        FixedWidth measure;
        auto in = Input(ui::PageWelcome, c.language);
        in.chinese = c.chinese;
        const auto texts = TextOps(ui::LayoutPanel(in, profile, measure.Fn()));
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts[0].at, (ui::Point{c.x, 20}));
        EXPECT_EQ(texts[0].text, c.firstLine);
    }
}

TEST(PanelLayout, LoadedWelcomeTextReplacesTheBuiltInOneAndBreaksMidWord) {
    MapProfile profile;
    FixedWidth measure;
    measure.charWidth = 10;
    auto in = Input(ui::PageWelcome, 0);
    in.width = 60;  // maximum width 50: the sixth character crosses it
    in.texts.welcome = u"Hello world";
    const auto texts = TextOps(ui::LayoutPanel(in, profile, measure.Fn()));
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, u"Hello ");
    EXPECT_EQ(texts[1].text, u"world");
    EXPECT_EQ(texts[1].at, (ui::Point{180, 50}));
}

// ---- Header pages ---------------------------------------------------------

TEST(PanelLayout, BodyLinePositionsPerPage) {
    struct Case { std::int32_t page; int step; };
    const Case cases[] = {
        {ui::PageFolder, 13}, {ui::PageInstalling, 13},
        {ui::PageFinished, 103}, {ui::PageCancelled, 103}, {ui::PageFailed, 103},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        MapProfile profile;
        FixedWidth measure;
        auto in = Input(c.page, 0);
        const char16_t* text = u"Outcome line\nClick Finish to close.";
        in.texts = {text, text, text, text, text, text};
        std::vector<PanelOp> body;
        for (const PanelOp& op : TextOps(ui::LayoutPanel(in, profile, measure.Fn()))) {
            if (op.at.x == 28 && op.at.y >= 70 && op.at.y != 160) body.push_back(op);
        }
        ASSERT_EQ(body.size(), 2u);
        EXPECT_EQ(body[0].at.y, 70);
        EXPECT_EQ(body[1].at.y, 70 + c.step);  // 173 on the outcome pages
        EXPECT_EQ(body[0].text, u"Outcome line");
        EXPECT_EQ(body[1].text, u"Click Finish to close.");
        EXPECT_EQ(body[0].font, PanelFont::Body);
    }
}

TEST(PanelLayout, BodyTextIsSplitInTheBodyFontAtWidthMinus56) {
    MapProfile profile;
    FixedWidth measure;
    measure.charWidth = 10;
    auto in = Input(ui::PageFinished, 0);
    in.width = 106;  // maximum width 50
    in.texts.success = u"abcdefgh";
    const auto texts = TextOps(ui::LayoutPanel(in, profile, measure.Fn()));
    ASSERT_EQ(texts.size(), 3u);  // title, two body lines
    EXPECT_EQ(texts[1].text, u"abcdef");
    EXPECT_EQ(texts[2].text, u"gh");
    for (const PanelFont f : measure.fonts) EXPECT_EQ(f, PanelFont::Body);
}

TEST(PanelLayout, HeaderBandTitleAndSeparator) {
    MapProfile profile;
    FixedWidth measure;
    const auto ops = ui::LayoutPanel(Input(ui::PagePrinter, 0), profile, measure.Fn());
    ASSERT_EQ(ops.size(), 3u);  // fill, separator, title: nothing else on this page
    EXPECT_EQ(ops[0].rect, (ui::Rect{0, 0, 640, 330}));
    EXPECT_EQ(ops[1].kind, PanelOpKind::Line);
    EXPECT_EQ(ops[1].segment, (ui::Segment{{0, 54}, {640, 54}}));
    EXPECT_EQ(ops[1].colour, ui::Rgb(172, 168, 153));
    EXPECT_EQ(ops[2].kind, PanelOpKind::Text);
    EXPECT_EQ(ops[2].at, (ui::Point{15, 10}));
    EXPECT_EQ(ops[2].font, PanelFont::Title);
    EXPECT_EQ(ops[2].text, u"Printer Setting");
}

TEST(PanelLayout, InstallingPageDrawsTheWaitLine) {
    MapProfile profile;
    FixedWidth measure;
    auto in = Input(ui::PageInstalling, 0);
    in.waitText = u"Image.dll";
    const auto ops = ui::LayoutPanel(in, profile, measure.Fn());
    ASSERT_FALSE(ops.empty());
    EXPECT_EQ(ops.back().kind, PanelOpKind::Text);
    EXPECT_EQ(ops.back().at, (ui::Point{28, 160}));
    EXPECT_EQ(ops.back().font, PanelFont::Body);
    EXPECT_EQ(ops.back().text, u"Image.dll");
}

TEST(PanelLayout, LogoCopiesOnlyWhatTheBitmapHas) {
    struct Case { bool has; ui::Size logo; bool copied; ui::Size copy; };
    const Case cases[] = {
        {false, {}, false, {}},
        {true, {300, 100}, true, {200, 54}},
        {true, {200, 54}, true, {200, 54}},
        {true, {199, 53}, true, {199, 53}},
        {true, {50, 20}, true, {50, 20}},
        {true, {0, 20}, false, {}},  // nothing to copy from an empty bitmap
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.logo.cx) + "x" + std::to_string(c.logo.cy));
        MapProfile profile;
        FixedWidth measure;
        auto in = Input(ui::PageFolder, 0);
        in.hasLogo = c.has;
        in.logoSize = c.logo;
        const auto ops = ui::LayoutPanel(in, profile, measure.Fn());
        // The band the logo sits in is white before anything else is drawn.
        ASSERT_FALSE(ops.empty());
        EXPECT_EQ(ops[0].kind, PanelOpKind::FillRect);
        EXPECT_EQ(ops[0].rect, (ui::Rect{0, 0, 640, 330}));
        const PanelOp* logo = FindKind(ops, PanelOpKind::CopyLogo);
        ASSERT_EQ(logo != nullptr, c.copied);
        if (logo) {
            EXPECT_EQ(logo->at, (ui::Point{440, 0}));
            EXPECT_EQ(logo->size, c.copy);
        }
        EXPECT_NE(FindKind(ops, PanelOpKind::Line), nullptr);  // separator in any case
    }
}

TEST(PanelLayout, WelcomePageNeverShowsALogo) {
    MapProfile profile;
    FixedWidth measure;
    auto in = Input(ui::PageWelcome, 0);
    in.hasLogo = true;
    in.logoSize = {200, 54};
    EXPECT_EQ(FindKind(ui::LayoutPanel(in, profile, measure.Fn()), PanelOpKind::CopyLogo), nullptr);
}

TEST(PanelLayout, UnknownPagePaintsTheWhitePanelOnly) {
    MapProfile profile;
    FixedWidth measure;
    for (const std::int32_t page : {6, 7, -1, 9}) {
        SCOPED_TRACE(page);
        const auto ops = ui::LayoutPanel(Input(page, 0), profile, measure.Fn());
        ASSERT_EQ(ops.size(), 1u);
        EXPECT_EQ(ops[0].kind, PanelOpKind::FillRect);
    }
}

}  // namespace
