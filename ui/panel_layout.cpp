#include "ui/panel_layout.h"

#include "ui/wizard_page.h"

namespace ui {

std::vector<core::u16> SplitTextLines(core::u16view text, int maxWidth, const MeasureWidth& measure) {
    std::vector<core::u16> lines;
    core::u16 line;
    for (const char16_t c : text) {
        line.push_back(c);
        if (c == u'\n' || line.size() >= kMaxLineChars || measure(line) > maxWidth) {
            lines.push_back(std::move(line));
            line.clear();
        }
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return lines;
}

std::array<Segment, 13> GroupFrameSegments(const Rect& f, int cx) {
    const int l = f.left, t = f.top, r = f.right, b = f.bottom;
    return {{
        {{l + 2, t}, {l + 7, t}},
        {{l + cx + 8, t}, {r - 2, t}},
        {{l + 1, t + 1}, {l + 2, t + 1}},
        {{l, t + 2}, {l + 1, t + 2}},
        {{l, t + 2}, {l, b - 2}},
        {{l, b - 2}, {l + 1, b - 2}},
        {{l + 1, b - 1}, {l + 2, b - 1}},
        {{l + 2, b}, {r - 2, b}},
        {{r - 2, b - 1}, {r - 1, b - 1}},
        {{r - 1, b - 2}, {r, b - 2}},
        {{r, b - 3}, {r, t + 2}},
        {{r - 1, t + 2}, {r, t + 2}},
        {{r - 2, t + 1}, {r - 1, t + 1}},
    }};
}

Point GroupFrameTitlePosition(const Rect& frame, int titleHeight) {
    return {frame.left + 8, frame.top - titleHeight / 2};
}

namespace {

PanelOp Fill(const Rect& rect) {
    PanelOp op;
    op.kind = PanelOpKind::FillRect;
    op.rect = rect;
    op.colour = kPanelWhite;
    return op;
}

PanelOp TextAt(Point at, PanelFont font, core::u16view text, Colour colour = kPanelTextColour) {
    PanelOp op;
    op.kind = PanelOpKind::Text;
    op.at = at;
    op.font = font;
    op.colour = colour;
    op.text = core::u16(text);
    return op;
}

PanelOp LineOp(const Segment& segment, Colour colour) {
    PanelOp op;
    op.kind = PanelOpKind::Line;
    op.segment = segment;
    op.colour = colour;
    return op;
}

core::u16view Drawn(const core::u16& line) {
    core::u16view v(line);
    if (!v.empty() && v.back() == u'\n') v.remove_suffix(1);
    return v;
}

MeasureWidth InFont(const MeasureInFont& measure, PanelFont font) {
    return [&measure, font](core::u16view text) { return measure(font, text).cx; };
}

void LayoutWelcome(const PanelPaintInput& in, const MeasureInFont& measure, std::vector<PanelOp>& ops) {
    PanelOp picture;
    picture.kind = PanelOpKind::WelcomePicture;
    picture.at = {0, 0};
    ops.push_back(picture);

    const core::u16view text = PageBodyText(PageWelcome, in.texts, in.chinese);
    const auto lines = SplitTextLines(text, in.width - 10, InFont(measure, PanelFont::Heading));
    const int x = in.chinese ? 192 : 180;
    int y = 20;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool first = i == 0;
        ops.push_back(TextAt({x, y}, first ? PanelFont::Heading : PanelFont::Body, Drawn(lines[i])));
        y += first ? 30 : 16;
    }
}

void LayoutBody(const PanelPaintInput& in, const MeasureInFont& measure, int step, std::vector<PanelOp>& ops) {
    const core::u16view text = PageBodyText(in.page, in.texts, in.chinese);
    int y = 70;
    for (const core::u16& line : SplitTextLines(text, in.width - 56, InFont(measure, PanelFont::Body))) {
        ops.push_back(TextAt({28, y}, PanelFont::Body, Drawn(line)));
        y += step;
    }
}

void LayoutGroupFrame(const Rect& frame, const core::u16& title, const MeasureInFont& measure,
                      std::vector<PanelOp>& ops) {
    const Size extent = measure(PanelFont::Body, title);
    ops.push_back(TextAt(GroupFrameTitlePosition(frame, extent.cy), PanelFont::Body, title, kFrameTitleColour));
    for (const Segment& s : GroupFrameSegments(frame, extent.cx)) ops.push_back(LineOp(s, kFrameColour));
}

void LayoutHeader(const PanelPaintInput& in, os::ProfileReader& profile, std::vector<PanelOp>& ops) {
    if (in.hasLogo && in.logoSize.cx > 0 && in.logoSize.cy > 0) {
        // The band under the logo is already white; copy only pixels the
        // bitmap has, so a small logo leaves white, not undefined pixels.
        PanelOp logo;
        logo.kind = PanelOpKind::CopyLogo;
        logo.at = {in.width - kLogoWidth, 0};
        logo.size = {in.logoSize.cx < kLogoWidth ? in.logoSize.cx : kLogoWidth,
                     in.logoSize.cy < kHeaderHeight ? in.logoSize.cy : kHeaderHeight};
        ops.push_back(logo);
    }
    ops.push_back(LineOp({{0, kHeaderHeight}, {in.width, kHeaderHeight}}, kSeparatorColour));
    ops.push_back(TextAt({15, 10}, PanelFont::Title,
                         PageTitle(in.page, in.uiLanguage, in.chinese, profile, in.textIniPath)));
}

}  // namespace

std::vector<PanelOp> LayoutPanel(const PanelPaintInput& in, os::ProfileReader& profile,
                                 const MeasureInFont& measure) {
    std::vector<PanelOp> ops;
    ops.push_back(Fill({0, 0, in.width, in.height}));
    switch (in.page) {
        case PageWelcome:
            LayoutWelcome(in, measure, ops);
            break;
        case PageFolder:
            LayoutHeader(in, profile, ops);
            LayoutBody(in, measure, 13, ops);
            LayoutGroupFrame(kFolderFrame, FolderFrameTitle(in.uiLanguage, profile, in.textIniPath), measure, ops);
            break;
        case PagePrinter:
            LayoutHeader(in, profile, ops);
            break;
        case PageInstalling:
            LayoutHeader(in, profile, ops);
            LayoutBody(in, measure, 13, ops);
            ops.push_back(TextAt({28, 160}, PanelFont::Body, in.waitText));
            break;
        case PageFinished:
        case PageCancelled:
        case PageFailed:
            LayoutHeader(in, profile, ops);
            LayoutBody(in, measure, 103, ops);
            break;
        default:
            break;
    }
    return ops;
}

}  // namespace ui
