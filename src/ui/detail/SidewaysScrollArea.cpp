// A sideways strip that a plain mouse wheel scrolls, with cues at the edges where it is cut.
#include "SidewaysScrollArea.h"

#include "ui/components/Accessibility.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QLayout>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <cstdlib>

// One edge's cue: the fade, and a chevron in a disc that scrolls the strip when clicked.
class SidewaysScrollArea::EdgeCue : public QWidget {
public:
    EdgeCue(SidewaysScrollArea* area, int direction, DynamicColour ground)
        : QWidget(area), area_(area), direction_(direction), ground_(ground) {
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
        setAttribute(Qt::WA_NoSystemBackground);
        // Every chip is reached by Tab and found by a screen reader; the cue only shows more.
        Accessibility::hide(this);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        // Solid at the outer edge, clear towards the chips.
        const QColor solid = ground_.resolved();
        QColor clear = solid;
        clear.setAlpha(0);
        const bool right = direction_ > 0;
        QLinearGradient fade(right ? 0 : width(), 0, right ? width() : 0, 0);
        fade.setColorAt(0, clear);
        fade.setColorAt(0.55, solid);
        fade.setColorAt(1, solid);
        painter.fillRect(rect(), fade);

        const double disc = 24;
        const double middle = area_->contentsMiddle() - y();
        const QRectF box(right ? width() - disc - 4 : 4, middle - disc / 2, disc, disc);
        painter.setPen(QPen(Theme::Colour::outlineVariant.resolved(), 1));
        painter.setBrush(Theme::Colour::card.resolved());
        painter.drawEllipse(box.adjusted(0.5, 0.5, -0.5, -0.5));
        if (!right) {
            // The symbol font has no left chevron: the right one, mirrored.
            painter.translate(box.center());
            painter.scale(-1, 1);
            painter.translate(-box.center());
        }
        Symbols::paint(painter, box, QStringLiteral("chevron.right"), 13,
                       Theme::Colour::primary.resolved());
    }
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            area_->scrollPage(direction_);
        event->accept();
    }
    void wheelEvent(QWheelEvent* event) override { area_->wheelEvent(event); }

private:
    SidewaysScrollArea* area_;
    int direction_; // -1 towards the start, 1 towards the end
    DynamicColour ground_;
};

SidewaysScrollArea::SidewaysScrollArea(QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void SidewaysScrollArea::setEdgeCues(DynamicColour ground) {
    if (leftCue_)
        return;
    leftCue_ = new EdgeCue(this, -1, ground);
    rightCue_ = new EdgeCue(this, 1, ground);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &SidewaysScrollArea::placeCues);
    connect(horizontalScrollBar(), &QScrollBar::rangeChanged, this, &SidewaysScrollArea::placeCues);
    placeCues();
}

QWidget* SidewaysScrollArea::cue(Qt::Edge edge) const {
    QWidget* cue = edge == Qt::LeftEdge ? leftCue_ : edge == Qt::RightEdge ? rightCue_ : nullptr;
    return cue && !cue->isHidden() ? cue : nullptr;
}

void SidewaysScrollArea::placeCues() {
    if (!leftCue_)
        return;
    const QRect port = viewport()->geometry();
    const QScrollBar* bar = horizontalScrollBar();
    const int width = std::min(cueWidth, port.width() / 3);
    leftCue_->setGeometry(port.left(), port.top(), width, port.height());
    rightCue_->setGeometry(port.right() + 1 - width, port.top(), width, port.height());
    leftCue_->setVisible(bar->value() > bar->minimum());
    rightCue_->setVisible(bar->value() < bar->maximum());
    leftCue_->raise();
    rightCue_->raise();
}

int SidewaysScrollArea::contentsMiddle() const {
    const QWidget* strip = widget();
    const QRect contents = strip && strip->layout() ? strip->layout()->contentsRect()
                                                    : (strip ? strip->rect() : viewport()->rect());
    return viewport()->geometry().top() + contents.center().y() + (strip ? strip->y() : 0);
}

void SidewaysScrollArea::scrollPage(int direction) {
    QScrollBar* bar = horizontalScrollBar();
    // Most of a width: the chip cut at the edge comes whole into sight, and one stays for bearings.
    bar->setValue(bar->value() +
                  direction * std::max(bar->singleStep(), viewport()->width() * 3 / 4));
}

void SidewaysScrollArea::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    placeCues();
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
