// How much clear space a focused control's ring leaves around the control's text, read from the
// control's window as painted, for tests of the rings.
#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRect>
#include <QWidget>

#include "ui/theme/Theme.h"
#include "ui/theme/ThemeColour.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

namespace RingGap {

// The clear pixels between the ring's inner edge and the nearest ink (text, a glyph) on each
// side, looked for along the middle of the ink.
struct Sides {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int least() const { return std::min({left, top, right, bottom}); }
};

inline int distance(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
           std::abs(a.blue() - b.blue());
}

// The window's picture without a text field's blinking cursor, which is no text: a read-only
// field draws none.
inline QImage withoutCursor(QWidget* control) {
    auto* line = qobject_cast<QLineEdit*>(control);
    auto* plain = qobject_cast<QPlainTextEdit*>(control);
    const bool wasReadOnly = line ? line->isReadOnly() : plain && plain->isReadOnly();
    if (line)
        line->setReadOnly(true);
    if (plain)
        plain->setReadOnly(true);
    const QImage image = control->window()->grab().toImage();
    if (line)
        line->setReadOnly(wasReadOnly);
    if (plain)
        plain->setReadOnly(wasReadOnly);
    return image;
}

// The gaps around the ink inside `control`'s ring of colour `ring`, in `control`'s window as it
// paints now; none when no ring, or no ink inside it, is found.
inline std::optional<Sides> around(QWidget* control, const QColor& ring) {
    QWidget* window = control->window();
    const QImage image = withoutCursor(control);
    const QRect box(control->mapTo(window, QPoint(0, 0)), control->size());
    const auto isRing = [&](int x, int y) {
        return image.rect().contains(x, y) && distance(image.pixelColor(x, y), ring) <= 60;
    };
    // The ring's inner edge on each side, along the middle of the control: the innermost ring
    // pixel in a band across the control's edge (a ring stands on the edge or outside it; the
    // text, whatever its colour, within).
    const QPoint middle = box.center();
    constexpr int outside = 12;
    constexpr int within = 3;
    const auto innermost = [&](int from, int to, const std::function<QPoint(int)>& at) {
        std::optional<int> found;
        const int step = from < to ? 1 : -1;
        for (int i = from; i != to + step; i += step)
            if (isRing(at(i).x(), at(i).y()))
                found = i;
        return found;
    };
    const auto row = [&](int x) { return QPoint(x, middle.y()); };
    const auto column = [&](int y) { return QPoint(middle.x(), y); };
    const auto left = innermost(box.left() - outside, box.left() + within, row);
    const auto right = innermost(box.right() + outside, box.right() - within, row);
    const auto top = innermost(box.top() - outside, box.top() + within, column);
    const auto bottom = innermost(box.bottom() + outside, box.bottom() - within, column);
    if (!left || !right || !top || !bottom)
        return std::nullopt;
    const QRect inside(QPoint(*left + 1, *top + 1), QPoint(*right - 1, *bottom - 1));
    // Its ground is the colour most of the inside has.
    QHash<QRgb, int> counts;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb ground = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            ground = it.key();
        }
    }
    // Ink: plainly apart from the ground, and no blend of the ground and the ring (the ring's
    // antialiased edge, its rounded corners reaching inside).
    const QColor groundColour(ground);
    const auto blendOfRing = [&](const QColor& c) {
        const double dr = ring.red() - groundColour.red();
        const double dg = ring.green() - groundColour.green();
        const double db = ring.blue() - groundColour.blue();
        const double length = dr * dr + dg * dg + db * db;
        if (length == 0)
            return false;
        const double t = std::clamp(((c.red() - groundColour.red()) * dr +
                                     (c.green() - groundColour.green()) * dg +
                                     (c.blue() - groundColour.blue()) * db) /
                                        length,
                                    0.0, 1.0);
        const QColor onLine(int(groundColour.red() + t * dr), int(groundColour.green() + t * dg),
                            int(groundColour.blue() + t * db));
        return distance(c, onLine) <= 30;
    };
    QRect ink;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor here = image.pixelColor(x, y);
            if (distance(here, groundColour) > 90 && !blendOfRing(here))
                ink |= QRect(x, y, 1, 1);
        }
    }
    if (ink.isEmpty())
        return std::nullopt;
    // Along the middle of the ink, from its edge out to the first pixel of the ring.
    const auto clear = [&](QPoint from, int dx, int dy) {
        int gap = 0;
        for (QPoint at = from + QPoint(dx, dy);
             image.rect().contains(at) && !isRing(at.x(), at.y()); at += QPoint(dx, dy))
            ++gap;
        return gap;
    };
    const QPoint centre = ink.center();
    // The sides of the ink's box, then the nearest ring pixel beyond each: the box's corners
    // stand for the ink at its ends (the first and last letters).
    Sides sides;
    sides.left = clear(QPoint(ink.left(), centre.y()), -1, 0);
    sides.right = clear(QPoint(ink.right(), centre.y()), 1, 0);
    sides.top = clear(QPoint(centre.x(), ink.top()), 0, -1);
    sides.bottom = clear(QPoint(centre.x(), ink.bottom()), 0, 1);
    return sides;
}

// Expects the ring of `control`, given the focus as Tab gives it, to keep at least `least` clear
// pixels between itself and the control's text on every side, in the light and the dark look
// (the light one again afterwards). `what` names the control in a failure.
inline void expectClearOfText(const std::string& what, QWidget* control, int least = 4) {
    ASSERT_NE(control, nullptr) << what;
    QApplication::setActiveWindow(control->window());
    control->setFocus(Qt::TabFocusReason);
    // Tab selects a field's text, in the ring's colour: the text is looked at as typed.
    if (auto* line = qobject_cast<QLineEdit*>(control))
        line->deselect();
    QCoreApplication::processEvents();
    for (bool dark : {false, true}) {
        Theme::setDark(dark);
        QCoreApplication::processEvents();
        const std::optional<Sides> gap = around(control, Theme::Colour::primary.resolved());
        const std::string look = what + (dark ? ", dark" : ", light");
        if (!gap) {
            ADD_FAILURE() << look << ": no ring with text inside it";
            continue;
        }
        EXPECT_GE(gap->least(), least)
            << look << ": " << gap->left << " px clear on the left, " << gap->top << " above, "
            << gap->right << " on the right, " << gap->bottom << " below";
    }
    Theme::setDark(false);
    QCoreApplication::processEvents();
}

} // namespace RingGap
