// Touchpad swipes that reveal row buttons.
#include "RowSwipeController.h"

#include <QAbstractItemView>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

RowSwipeController::RowSwipeController(QAbstractItemView* view) : QObject(view), view_(view) {
    view_->viewport()->installEventFilter(this);
    settleTimer_.setSingleShot(true);
    settleTimer_.setInterval(settleMilliseconds);
    connect(&settleTimer_, &QTimer::timeout, this, &RowSwipeController::settle);
}

void RowSwipeController::setEnabled(bool enabled) {
    enabled_ = enabled;
    if (!enabled_)
        close();
}

double RowSwipeController::offset(const QModelIndex& index) const {
    return index.isValid() && index == row_ ? offset_ : 0.0;
}

void RowSwipeController::setOffset(double offset) {
    if (offset == offset_)
        return;
    offset_ = offset;
    if (row_.isValid()) {
        view_->viewport()->update(view_->visualRect(row_));
        emit offsetChanged(row_);
    }
}

void RowSwipeController::close() {
    settleTimer_.stop();
    moving_ = false;
    const QPersistentModelIndex row = row_;
    setOffset(0);
    row_ = QModelIndex();
    if (row.isValid())
        view_->viewport()->update(view_->visualRect(row));
}

QRect RowSwipeController::cardRect(const QModelIndex& index) const {
    const QRect row = view_->visualRect(index);
    return margins_ ? row.marginsRemoved(margins_(index)) : row;
}

QList<QRect> RowSwipeController::buttonRects(const QModelIndex& index, Edge edge) const {
    QList<QRect> rects;
    if (!sides_ || index != row_ || offset_ == 0)
        return rects;
    const Sides sides = sides_(index);
    const QRect row = cardRect(index);
    const int count = edge == Edge::leading ? sides.leadingButtons : sides.trailingButtons;
    const int shown = int(std::abs(offset_));
    if (count == 0 || (edge == Edge::leading) != (offset_ > 0))
        return rects;
    // The revealed strip is shared out evenly, so a full swipe grows the outermost button.
    const int each = std::max(1, shown / count);
    for (int i = 0; i < count; ++i) {
        const int width = i == 0 ? shown - each * (count - 1) : each;
        const int start = i == 0 ? 0 : shown - each * (count - i);
        if (edge == Edge::leading)
            rects.append(QRect(row.left() + start, row.top(), width, row.height()));
        else
            rects.append(QRect(row.right() + 1 - start - width, row.top(), width, row.height()));
    }
    return rects;
}

std::optional<std::pair<RowSwipeController::Edge, int>>
RowSwipeController::buttonAt(const QPoint& point) const {
    for (Edge edge : {Edge::leading, Edge::trailing}) {
        const QList<QRect> rects = buttonRects(row_, edge);
        for (int i = 0; i < rects.size(); ++i) {
            if (rects[i].contains(point))
                return std::pair(edge, i);
        }
    }
    return std::nullopt;
}

bool RowSwipeController::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        // The fingers lifted: the row settles open, acts or closes.
        if (wheel->phase() == Qt::ScrollEnd) {
            if (!moving_)
                return false;
            settle();
            return true;
        }
        // A touchpad reports pixels; a tilting wheel only angles, about 15° a notch.
        const QPointF delta = !wheel->pixelDelta().isNull() ? QPointF(wheel->pixelDelta())
                                                            : QPointF(wheel->angleDelta()) / 3.0;
        if (delta.isNull())
            return moving_;
        const bool horizontal = std::abs(delta.x()) > std::abs(delta.y());
        if (!enabled_ || !horizontal || wheel->phase() == Qt::ScrollMomentum) {
            // Scrolling the page closes an open row; a horizontal scroll is never the page's.
            if (isOpen() && !horizontal)
                close();
            return horizontal;
        }
        if (!moving_) {
            const QModelIndex index = view_->indexAt(wheel->position().toPoint());
            if (!index.isValid())
                return true;
            swipeBy(index, delta.x());
        } else if (row_.isValid()) {
            swipeBy(row_, delta.x());
        }
        if (wheel->phase() == Qt::NoScrollPhase)
            settleTimer_.start();
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress && isOpen()) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        // A press on a revealed button is the owner's to handle; anywhere else only closes.
        if (buttonAt(mouse->position().toPoint()))
            return false;
        close();
        return true;
    }
    return false;
}

void RowSwipeController::swipeBy(const QModelIndex& index, double dx) {
    if (!sides_)
        return;
    if (index != row_) {
        close();
        row_ = index;
    }
    moving_ = true;
    const Sides sides = sides_(index);
    const double width = cardRect(index).width();
    const double most = sides.leadingButtons > 0 ? width : 0;
    const double least = sides.trailingButtons > 0 ? -width : 0;
    setOffset(std::clamp(offset_ + dx, least, most));
}

void RowSwipeController::settle() {
    settleTimer_.stop();
    moving_ = false;
    if (!row_.isValid()) {
        close();
        return;
    }
    const Sides sides = sides_ ? sides_(row_) : Sides{};
    const double width = cardRect(row_).width();
    const Edge edge = offset_ > 0 ? Edge::leading : Edge::trailing;
    const int count = edge == Edge::leading ? sides.leadingButtons : sides.trailingButtons;
    const bool full = edge == Edge::leading ? sides.leadingFullSwipe : sides.trailingFullSwipe;
    const double shown = std::abs(offset_);
    if (count > 0 && full && shown >= width * fullSwipeShare) {
        const QPersistentModelIndex row = row_;
        close();
        emit fullSwipe(row, edge);
        return;
    }
    if (count > 0 && shown >= buttonWidth * count / 2.0) {
        setOffset((edge == Edge::leading ? 1 : -1) * double(buttonWidth * count));
        return;
    }
    close();
}
