// A sideways strip that a plain mouse wheel scrolls.
#include "SidewaysScrollArea.h"

#include <QScrollBar>
#include <QWheelEvent>

#include <cstdlib>

SidewaysScrollArea::SidewaysScrollArea(QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void SidewaysScrollArea::wheelEvent(QWheelEvent* event) {
    QScrollBar* bar = horizontalScrollBar();
    const QPoint turn = event->angleDelta();
    // A strip that fits, or a sideways turn, is left to the ordinary handling (which lets an
    // unused turn scroll the page around the strip).
    if (bar->maximum() <= 0 || std::abs(turn.y()) <= std::abs(turn.x())) {
        QScrollArea::wheelEvent(event);
        return;
    }
    // One notch (120) moves as far as a notch moves a list: three steps.
    const int step = bar->singleStep() * 3;
    const int before = bar->value();
    bar->setValue(before - turn.y() * step / 120);
    if (bar->value() == before) {
        event->ignore(); // at the end already: the page around may scroll instead
        return;
    }
    event->accept();
}
