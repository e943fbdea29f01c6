#include "ui/check_box_state.h"

namespace ui {

CheckBoxAction CheckBoxState::MouseMove() {
    CheckBoxAction action;
    action.requestLeave = !tracking;
    if (look == 0) {
        look = 1;
        action.invalidateBox = true;
    }
    return action;
}

void CheckBoxState::LeaveTracking(bool requested) {
    if (requested) tracking = true;
}

CheckBoxAction CheckBoxState::MouseLeave() {
    tracking = false;
    look = 0;
    return {false, true};
}

CheckBoxAction CheckBoxState::ButtonDown() {
    look = 2;
    return {false, true};
}

CheckBoxAction CheckBoxState::ButtonUp() {
    checked = !checked;
    return {false, true};
}

Size CheckBoxWindowSize(int captionWidth) { return {captionWidth + 15, 13}; }

Colour FlatEditBorderColour(bool enabled) {
    return enabled ? Rgb(127, 157, 187) : Rgb(192, 192, 192);
}

std::array<Point, 5> FlatEditOutline(int w, int h) {
    return {{{0, 0}, {w - 1, 0}, {w - 1, h - 1}, {0, h - 1}, {0, 0}}};
}

Rect FlatEditInnerRect(int w, int h) { return {2, 3, w - 1, h - 1}; }

}  // namespace ui
