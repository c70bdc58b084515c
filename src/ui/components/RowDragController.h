#pragma once

#include <QColor>
#include <QObject>
#include <QPersistentModelIndex>
#include <QPoint>
#include <QPointer>
#include <QTimer>

#include <functional>

class QAbstractItemView;
class QLabel;
class QWidget;

// Reordering the rows of an item view by dragging them with the mouse, without QDrag (whose
// nested event loop cannot be driven in offscreen tests). A press on a row that moves past the
// drag distance lifts the row: a picture of it floats under the pointer, the row's place is
// dimmed, and a line shows where it will land; near the top or bottom edge the view scrolls.
// Releasing drops it, Escape puts it back. One dropped() per drop, with the row and the
// destination offset of the list-move convention (0 … rowCount: the row lands before the row
// that stood at the destination); a drop back onto its own place is no move and reports
// nothing. While a drag is under way the view gets none of the mouse's events, so a drag never
// also clicks. Main thread only.
class RowDragController : public QObject {
    Q_OBJECT

public:
    explicit RowDragController(QAbstractItemView* view);
    ~RowDragController() override;

    // Whether a press at a point of a row may start a drag there (false over a button).
    void setCanDrag(std::function<bool(const QModelIndex&, const QPoint&)> canDrag);
    void setLineColour(std::function<QColor()> colour) { lineColour_ = std::move(colour); }
    void setEnabled(bool enabled);

    bool isDragging() const { return dragging_; }
    int draggedRow() const; // -1 when no drag is under way
    int destination() const { return destination_; }

    // One step of scrolling while the pointer is near an edge; a timer calls it every frame.
    void stepAutoScroll();

    // Distance from an edge within which the view scrolls, and the most it scrolls a step.
    static constexpr int autoScrollMargin = 36;
    static constexpr int autoScrollStep = 18;

signals:
    void dragStarted(int row);
    void dropped(int row, int destination);
    void dragEnded(); // after a drop or a cancel

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void begin();
    void moveTo(const QPoint& position);
    void finish(bool drop);
    int destinationAt(int y) const;
    void placeLine();

    QAbstractItemView* view_;
    std::function<bool(const QModelIndex&, const QPoint&)> canDrag_;
    std::function<QColor()> lineColour_;
    bool enabled_ = true;
    QPersistentModelIndex pressed_;
    QPoint pressPosition_;
    QPoint position_;
    int grabOffset_ = 0; // where in the row the pointer holds it
    bool dragging_ = false;
    int destination_ = -1;
    QPointer<QLabel> floating_;
    QPointer<QWidget> line_;
    QTimer scrollTimer_;
};
