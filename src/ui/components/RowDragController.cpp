// Mouse-driven row reordering for item views.
#include "RowDragController.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QGraphicsDropShadowEffect>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

// The insertion line: a thin bar with round ends in the caller's colour.
class InsertionLine : public QWidget {
public:
    InsertionLine(QWidget* parent, std::function<QColor()> colour)
        : QWidget(parent), colour_(std::move(colour)) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour_ ? colour_() : palette().highlight().color());
        painter.drawRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);
    }

private:
    std::function<QColor()> colour_;
};

} // namespace

RowDragController::RowDragController(QAbstractItemView* view) : QObject(view), view_(view) {
    view_->viewport()->installEventFilter(this);
    view_->installEventFilter(this);
    scrollTimer_.setInterval(16);
    connect(&scrollTimer_, &QTimer::timeout, this, &RowDragController::stepAutoScroll);
}

RowDragController::~RowDragController() = default;

void RowDragController::setCanDrag(std::function<bool(const QModelIndex&, const QPoint&)> canDrag) {
    canDrag_ = std::move(canDrag);
}

void RowDragController::setEnabled(bool enabled) {
    enabled_ = enabled;
    if (!enabled_ && dragging_)
        finish(false);
}

int RowDragController::draggedRow() const {
    return dragging_ && pressed_.isValid() ? pressed_.row() : -1;
}

bool RowDragController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_) {
        // Escape puts a lifted row back; the key goes nowhere else while dragging.
        if (dragging_ && event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            finish(false);
            return true;
        }
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || !enabled_)
            return false;
        const QPoint at = mouse->position().toPoint();
        const QModelIndex index = view_->indexAt(at);
        pressed_ = index.isValid() && (!canDrag_ || canDrag_(index, at)) ? index : QModelIndex();
        pressPosition_ = at;
        return false;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!(mouse->buttons() & Qt::LeftButton) || !pressed_.isValid())
            return dragging_;
        const QPoint at = mouse->position().toPoint();
        if (!dragging_) {
            if ((at - pressPosition_).manhattanLength() < QApplication::startDragDistance())
                return false;
            begin();
        }
        moveTo(at);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return dragging_;
        if (!dragging_) {
            pressed_ = QModelIndex();
            return false;
        }
        moveTo(mouse->position().toPoint());
        finish(true);
        return true;
    }
    case QEvent::MouseButtonDblClick:
        return dragging_;
    default:
        return false;
    }
}

void RowDragController::begin() {
    dragging_ = true;
    const QRect rowRect = view_->visualRect(pressed_);
    grabOffset_ = pressPosition_.y() - rowRect.top();
    QWidget* viewport = view_->viewport();

    floating_ = new QLabel(viewport);
    floating_->setAttribute(Qt::WA_TransparentForMouseEvents);
    floating_->setPixmap(viewport->grab(rowRect));
    floating_->resize(rowRect.size());
    auto* shadow = new QGraphicsDropShadowEffect(floating_);
    shadow->setBlurRadius(16);
    shadow->setOffset(0, 4);
    shadow->setColor(QColor(0, 0, 0, 70));
    floating_->setGraphicsEffect(shadow);
    floating_->move(rowRect.topLeft());
    floating_->show();

    line_ = new InsertionLine(viewport, lineColour_);
    line_->show();
    view_->setFocus(Qt::MouseFocusReason); // for Escape
    emit dragStarted(pressed_.row());
    viewport->update();
}

void RowDragController::moveTo(const QPoint& position) {
    position_ = position;
    QWidget* viewport = view_->viewport();
    if (floating_) {
        const int top = std::clamp(position.y() - grabOffset_, -floating_->height() / 2,
                                   viewport->height() - floating_->height() / 2);
        floating_->move(floating_->x(), top);
        floating_->raise();
    }
    destination_ = destinationAt(position.y());
    placeLine();
    const bool nearEdge =
        position.y() < autoScrollMargin || position.y() > viewport->height() - autoScrollMargin;
    if (nearEdge && !scrollTimer_.isActive())
        scrollTimer_.start();
    else if (!nearEdge)
        scrollTimer_.stop();
}

void RowDragController::stepAutoScroll() {
    if (!dragging_) {
        scrollTimer_.stop();
        return;
    }
    const int height = view_->viewport()->height();
    const int y = position_.y();
    // Faster the closer to the edge.
    int step = 0;
    if (y < autoScrollMargin)
        step = -std::max(1, autoScrollStep * (autoScrollMargin - y) / autoScrollMargin);
    else if (y > height - autoScrollMargin)
        step = std::max(1, autoScrollStep * (y - (height - autoScrollMargin)) / autoScrollMargin);
    QScrollBar* bar = view_->verticalScrollBar();
    const int before = bar->value();
    bar->setValue(std::clamp(before + step, bar->minimum(), bar->maximum()));
    if (bar->value() == before) {
        scrollTimer_.stop();
        return;
    }
    moveTo(position_);
}

int RowDragController::destinationAt(int y) const {
    const int rows = view_->model() ? view_->model()->rowCount(view_->rootIndex()) : 0;
    if (rows == 0)
        return 0;
    const QModelIndex index = view_->indexAt(QPoint(view_->viewport()->width() / 2, y));
    if (!index.isValid()) {
        const QRect first = view_->visualRect(view_->model()->index(0, 0, view_->rootIndex()));
        return y < first.top() ? 0 : rows;
    }
    const QRect rect = view_->visualRect(index);
    return y < rect.center().y() ? index.row() : index.row() + 1;
}

void RowDragController::placeLine() {
    if (!line_)
        return;
    const int rows = view_->model()->rowCount(view_->rootIndex());
    int y = 0;
    if (destination_ < rows) {
        y = view_->visualRect(view_->model()->index(destination_, 0, view_->rootIndex())).top();
    } else if (rows > 0) {
        y = view_->visualRect(view_->model()->index(rows - 1, 0, view_->rootIndex())).bottom() + 1;
    }
    constexpr int thickness = 3;
    constexpr int inset = 12;
    line_->setGeometry(inset, y - thickness / 2, view_->viewport()->width() - 2 * inset, thickness);
    line_->raise();
}

void RowDragController::finish(bool drop) {
    scrollTimer_.stop();
    const int row = pressed_.isValid() ? pressed_.row() : -1;
    const int destination = destination_;
    dragging_ = false;
    destination_ = -1;
    pressed_ = QModelIndex();
    delete floating_;
    delete line_;
    view_->viewport()->update();
    if (drop && row >= 0 && destination >= 0 && destination != row && destination != row + 1)
        emit dropped(row, destination);
    emit dragEnded();
}
