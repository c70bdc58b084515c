#pragma once

#include <QMargins>
#include <QObject>
#include <QPersistentModelIndex>
#include <QRect>
#include <QTimer>

#include <functional>
#include <optional>

class QAbstractItemView;

// Swipe actions of item-view rows, driven by a touchpad's horizontal two-finger scroll: the
// row slides aside under the fingers and reveals its buttons: leading ones (at the left) when
// it slides right, trailing ones when it slides left. When the fingers lift, a row slid past
// half its buttons stays open; one slid most of the way across, on a side that allows it, acts
// at once (a full swipe); anything less closes again. A vertical scroll, a click elsewhere or a
// swipe of another row closes an open row. The view's delegate paints the row moved by
// offset() and the buttons in buttonRects(); the owner acts on clicks in them. Main thread only.
class RowSwipeController : public QObject {
    Q_OBJECT

public:
    enum class Edge { leading, trailing };

    // What one row offers on each side.
    struct Sides {
        int leadingButtons = 0;
        int trailingButtons = 0;
        bool leadingFullSwipe = false;
        bool trailingFullSwipe = false;
    };

    static constexpr int buttonWidth = 90;
    // Share of the row's width past which a full swipe acts.
    static constexpr double fullSwipeShare = 0.6;
    // Scroll events closer together than this belong to one swipe when the platform reports
    // no scroll phases.
    static constexpr int settleMilliseconds = 140;

    explicit RowSwipeController(QAbstractItemView* view);

    void setSides(std::function<Sides(const QModelIndex&)> sides) { sides_ = std::move(sides); }
    // Where a row's card lies within its rectangle: the buttons line up with the card.
    void setMargins(std::function<QMargins(const QModelIndex&)> margins) {
        margins_ = std::move(margins);
    }
    void setEnabled(bool enabled);

    QModelIndex swipedIndex() const { return row_; }
    // How far the swiped row is moved: positive to the right (leading buttons show).
    double offset(const QModelIndex& index) const;
    bool isOpen() const { return row_.isValid() && offset_ != 0; }
    // The buttons of a side within a row's rectangle, outermost first, at the row's offset.
    QList<QRect> buttonRects(const QModelIndex& index, Edge edge) const;
    // The side and button under a point, when the swiped row shows one there.
    std::optional<std::pair<Edge, int>> buttonAt(const QPoint& point) const;
    void close();

signals:
    void fullSwipe(const QModelIndex& index, RowSwipeController::Edge edge);
    void offsetChanged(const QModelIndex& index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void swipeBy(const QModelIndex& index, double dx);
    void settle();
    void setOffset(double offset);

    QAbstractItemView* view_;
    QRect cardRect(const QModelIndex& index) const;

    std::function<Sides(const QModelIndex&)> sides_;
    std::function<QMargins(const QModelIndex&)> margins_;
    bool enabled_ = true;
    QPersistentModelIndex row_;
    double offset_ = 0;
    bool moving_ = false; // fingers are on the pad
    QTimer settleTimer_;
};
