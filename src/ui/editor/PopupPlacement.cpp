// Placing a field's drop-down.
#include "PopupPlacement.h"

#include <algorithm>

namespace {

// `start` moved as little as needed to hold `length` within [low, high]; at `low` when it
// cannot.
int within(int start, int length, int low, int high) {
    return std::max(low, std::min(start, high - length + 1));
}

bool fits(int start, int length, int low, int high) {
    return start >= low && start + length - 1 <= high;
}

} // namespace

namespace PopupPlacement {

QPoint place(const QRect& field, QSize popup, const QRect& window, const QRect& screen,
             bool rightToLeft) {
    const int below = field.bottom() + 1;
    const int above = field.top() - popup.height();
    int y;
    if (fits(below, popup.height(), window.top(), window.bottom()))
        y = below;
    else if (fits(above, popup.height(), window.top(), window.bottom()))
        y = above;
    else if (fits(below, popup.height(), screen.top(), screen.bottom()))
        y = below;
    else if (fits(above, popup.height(), screen.top(), screen.bottom()))
        y = above;
    else
        y = within(below, popup.height(), screen.top(), screen.bottom());

    const int aligned = rightToLeft ? field.right() - popup.width() + 1 : field.left();
    const QRect& across = popup.width() <= window.width() ? window : screen;
    const int x = within(aligned, popup.width(), across.left(), across.right());
    // Never off the screen, whatever the window's place.
    return {within(x, popup.width(), screen.left(), screen.right()), y};
}

} // namespace PopupPlacement
