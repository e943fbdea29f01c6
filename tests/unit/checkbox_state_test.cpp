#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/check_box_state.h"

namespace {

enum class Ev { Move, Leave, Down, Up, DblClk };

const char* Name(Ev e) {
    switch (e) {
        case Ev::Move: return "move";
        case Ev::Leave: return "leave";
        case Ev::Down: return "down";
        case Ev::Up: return "up";
        case Ev::DblClk: return "dblclk";
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
        case Ev::DblClk: return box.DoubleClick();
    }
    return {};
}

TEST(CheckBoxState, ImageAfterEachEvent) {
    struct Step { Ev event; int image; };
    struct Case { const char* name; std::vector<Step> steps; };
    const Case cases[] = {
        {"hover", {{Ev::Move, 4}, {Ev::Move, 4}, {Ev::Leave, 3}}},
        {"click then leave", {{Ev::Move, 4}, {Ev::Down, 5}, {Ev::Up, 2}, {Ev::Move, 2}, {Ev::Leave, 0}}},
        // The second press arrives as a double click, which is not handled;
        // both releases toggle, so the state ends where it started.
        {"double click", {{Ev::Move, 4}, {Ev::Down, 5}, {Ev::Up, 2}, {Ev::DblClk, 2}, {Ev::Up, 5}, {Ev::Leave, 3}}},
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
        {"double click", {Ev::Down, Ev::Up}, Ev::DblClk, false},
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

TEST(CheckBoxGeometry, WindowFitsTheCaptionWhateverTheRectangle) {
    for (const int width : {0, 1, 118, 500}) {
        SCOPED_TRACE(width);
        EXPECT_EQ(ui::CheckBoxWindowSize(width), (ui::Size{width + 15, 13}));
    }
    // Image i of the strip starts at 13 * i; the last one ends the 78-pixel strip.
    EXPECT_EQ(ui::CheckImageSourceX(5) + ui::kCheckImageSize, 78);
}

TEST(FlatEdit, BorderColourAndOutline) {
    EXPECT_EQ(ui::FlatEditBorderColour(true), ui::Rgb(127, 157, 187));
    EXPECT_EQ(ui::FlatEditBorderColour(false), ui::Rgb(192, 192, 192));
    const auto outline = ui::FlatEditOutline(324, 22);
    const std::array<ui::Point, 5> expected = {{{0, 0}, {323, 0}, {323, 21}, {0, 21}, {0, 0}}};
    EXPECT_EQ(outline, expected);
    EXPECT_EQ(ui::FlatEditInnerRect(324, 22), (ui::Rect{2, 3, 323, 21}));
}

}  // namespace
