#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "ui/check_box_state.h"

namespace {

// The messages the control handles. The second press of a double click
// arrives as WM_LBUTTONDBLCLK (the class has CS_DBLCLKS), which the control
// does not handle: it never reaches the state, so it is not an event here.
enum class Ev { Move, Leave, Down, Up };

const char* Name(Ev e) {
    switch (e) {
        case Ev::Move: return "move";
        case Ev::Leave: return "leave";
        case Ev::Down: return "down";
        case Ev::Up: return "up";
    }
    return "?";
}

// Feeds `e` as the window procedure would, with _TrackMouseEvent succeeding.
ui::CheckBoxAction Feed(ui::CheckBoxState& box, Ev e) {
    switch (e) {
        case Ev::Move: {
            const auto a = box.MouseMove();
            if (a.requestLeave) box.LeaveTracking(true);
            return a;
        }
        case Ev::Leave: return box.MouseLeave();
        case Ev::Down: return box.ButtonDown();
        case Ev::Up: return box.ButtonUp();
    }
    return {};
}

TEST(CheckBoxState, ImageAfterEachEvent) {
    struct Step { Ev event; int image; };
    struct Case { const char* name; std::vector<Step> steps; };
    const Case cases[] = {
        {"hover", {{Ev::Move, 4}, {Ev::Move, 4}, {Ev::Leave, 3}}},
        {"click then leave", {{Ev::Move, 4}, {Ev::Down, 5}, {Ev::Up, 2}, {Ev::Move, 2}, {Ev::Leave, 0}}},
        // A double click: down, up, (the unhandled double-click message), up.
        // Both releases toggle, so the state ends where it started.
        {"double click", {{Ev::Move, 4}, {Ev::Down, 5}, {Ev::Up, 2}, {Ev::Up, 5}, {Ev::Leave, 3}}},
        // No capture: a release outside never reaches the control.
        {"press, leave, release outside", {{Ev::Move, 4}, {Ev::Down, 5}, {Ev::Leave, 3}}},
        {"two clicks", {{Ev::Move, 4}, {Ev::Down, 5}, {Ev::Up, 2}, {Ev::Down, 2}, {Ev::Up, 5}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::CheckBoxState box;
        EXPECT_EQ(box.ImageIndex(), 3);  // new: checked, normal
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            SCOPED_TRACE(std::to_string(i) + " " + Name(c.steps[i].event));
            Feed(box, c.steps[i].event);
            EXPECT_EQ(box.ImageIndex(), c.steps[i].image);
        }
    }
}

TEST(CheckBoxState, LeaveIsRequestedOncePerStay) {
    ui::CheckBoxState box;
    auto a = box.MouseMove();
    EXPECT_TRUE(a.requestLeave);
    EXPECT_TRUE(a.invalidateBox);
    box.LeaveTracking(true);
    a = box.MouseMove();
    EXPECT_FALSE(a.requestLeave);
    EXPECT_FALSE(a.invalidateBox);  // already hot: nothing to repaint

    box.MouseLeave();
    EXPECT_FALSE(box.tracking);
    EXPECT_TRUE(box.MouseMove().requestLeave);  // a new stay asks again
}

TEST(CheckBoxState, FailedLeaveRequestIsRetriedOnTheNextMove) {
    ui::CheckBoxState box;
    EXPECT_TRUE(box.MouseMove().requestLeave);
    box.LeaveTracking(false);
    EXPECT_FALSE(box.tracking);
    EXPECT_TRUE(box.MouseMove().requestLeave);
}

TEST(CheckBoxState, RepaintsOnlyWhenTheLookOrCheckChanges) {
    struct Case { const char* name; std::vector<Ev> before; Ev event; bool invalidate; };
    const Case cases[] = {
        {"first move", {}, Ev::Move, true},
        {"move while pressed", {Ev::Down}, Ev::Move, false},
        {"leave", {Ev::Move}, Ev::Leave, true},
        {"down", {}, Ev::Down, true},
        {"up", {Ev::Down}, Ev::Up, true},
        {"second release of a double click", {Ev::Down, Ev::Up}, Ev::Up, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::CheckBoxState box;
        for (const Ev e : c.before) Feed(box, e);
        const ui::CheckBoxState was = box;
        EXPECT_EQ(Feed(box, c.event).invalidateBox, c.invalidate);
        if (!c.invalidate) {
            EXPECT_EQ(box.ImageIndex(), was.ImageIndex());
        }
    }
}

// The bitmap strip that the control paints from (resource 130, built from
// res/art/checkbox.bmp): every image the state machine can ask for must lie
// inside it, and the six looks must differ.
TEST(CheckBoxStrip, ResourceBitmapHoldsSixDistinctImagesWhereThePaintCopiesThem) {
    const std::string path = std::string(SOURCE_ROOT) + "/res/art/checkbox.bmp";
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path << " is missing";
    const std::vector<unsigned char> bmp((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GE(bmp.size(), 54u);
    const auto u32 = [&bmp](std::size_t at) {
        return static_cast<std::uint32_t>(bmp[at] | bmp[at + 1] << 8 | bmp[at + 2] << 16 |
                                          static_cast<std::uint32_t>(bmp[at + 3]) << 24);
    };
    ASSERT_EQ(bmp[0], 'B');
    ASSERT_EQ(bmp[1], 'M');
    const std::uint32_t pixels = u32(10);
    const auto width = static_cast<std::int32_t>(u32(18));
    const auto height = static_cast<std::int32_t>(u32(22));
    EXPECT_EQ(bmp[28] | bmp[29] << 8, 24);  // bits per pixel
    EXPECT_EQ(u32(30), 0u);                 // not compressed
    EXPECT_EQ(height, ui::kCheckImageSize);  // the paint copies the strip's full height into a 13-pixel box
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    ASSERT_GE(bmp.size(), pixels + stride * static_cast<std::size_t>(height));

    // Every image index the state machine produces: (checked ? 3 : 0) + look.
    std::set<std::vector<unsigned char>> looks;
    for (const bool checked : {false, true}) {
        for (int look = 0; look < 3; ++look) {
            ui::CheckBoxState box;
            box.checked = checked;
            box.look = look;
            const int x = ui::CheckImageSourceX(box.ImageIndex());
            SCOPED_TRACE(box.ImageIndex());
            ASSERT_GE(x, 0);
            ASSERT_LE(x + ui::kCheckImageSize, width);
            std::vector<unsigned char> image;
            for (int row = 0; row < height; ++row) {
                const auto at = pixels + stride * static_cast<std::size_t>(row) + static_cast<std::size_t>(x) * 3;
                image.insert(image.end(), bmp.begin() + static_cast<std::ptrdiff_t>(at),
                             bmp.begin() + static_cast<std::ptrdiff_t>(at + ui::kCheckImageSize * 3));
            }
            looks.insert(image);
        }
    }
    EXPECT_EQ(looks.size(), 6u);
}

// The flat edit's border is drawn inside its window and the inner edit,
// which paints its own background, never covers it, for any size.
TEST(FlatEdit, OutlineStaysInsideTheWindowAndTheInnerEditLeavesItVisible) {
    for (const int w : {4, 5, 100, 324}) {
        for (const int h : {4, 5, 22, 40}) {
            SCOPED_TRACE(testing::Message() << w << " x " << h);
            const auto outline = ui::FlatEditOutline(w, h);
            EXPECT_EQ(outline.front(), outline.back());  // closed
            const ui::Rect inner = ui::FlatEditInnerRect(w, h);
            EXPECT_GE(inner.left, 0);
            EXPECT_GE(inner.top, 0);
            EXPECT_LE(inner.right, w);
            EXPECT_LE(inner.bottom, h);
            for (std::size_t i = 0; i + 1 < outline.size(); ++i) {
                // Every pixel of each (horizontal or vertical) segment.
                const ui::Point a = outline[i], b = outline[i + 1];
                ASSERT_TRUE(a.x == b.x || a.y == b.y);
                const int steps = std::max(std::abs(b.x - a.x), std::abs(b.y - a.y));
                for (int k = 0; k <= steps; ++k) {
                    const int x = a.x + (b.x > a.x ? k : b.x < a.x ? -k : 0);
                    const int y = a.y + (b.y > a.y ? k : b.y < a.y ? -k : 0);
                    EXPECT_TRUE(x >= 0 && x < w && y >= 0 && y < h) << x << "," << y;
                    const bool covered = x >= inner.left && x < inner.right && y >= inner.top && y < inner.bottom;
                    EXPECT_FALSE(covered) << x << "," << y;
                }
            }
        }
    }
}

}  // namespace
