#pragma once

#include "ui/components/AccessibleRows.h"

#include <QListView>
#include <QPersistentModelIndex>

class DetailRowDelegate;
class DetailRowModel;
class ListDetailModel;
class QMenu;
class RowDragController;
class RowSwipeController;

// The scrolling content of a list: header, filter chips, item rows, group headings, the
// completed section and the closing spacer, as painted rows over DetailRowModel (only the rows in
// sight are painted). A click acts on the part of a row it lands on: the tick ticks, the star
// stars, the text opens the item, the completed header folds its section. Editable rows have a
// context menu (Star or Unstar, Delete) and the same actions behind a sideways swipe on a
// touchpad: Star or Unstar on the leading side, Delete on the trailing side, each acting at once
// on a full swipe. The open items of an editable, ungrouped list are reordered by dragging their
// text; a drop is one store operation. A screen reader finds every row with a press action (an
// item opens, the completed header folds) and, on a list that may be changed, the actions of an
// item's tick, menu and swipe ("Tick", "Star", "Delete").
class DetailItemsView : public QListView, public AccessibleRows {
    Q_OBJECT

public:
    enum class Part { none, tick, text, star, completedHeader };

    DetailItemsView(ListDetailModel& screen, QWidget* parent = nullptr);

    ListDetailModel& screen() const { return screen_; }
    DetailRowModel& rows() const { return *rows_; }
    DetailRowDelegate& delegate() const { return *delegate_; }
    // The part of a row at a point of the viewport.
    Part partAt(const QPoint& point) const;
    // The context menu of a row, or none for rows without one; the caller owns it.
    QMenu* menuFor(const QModelIndex& index);
    RowDragController& drag() const { return *drag_; }
    RowSwipeController& swipe() const { return *swipe_; }

    // --- AccessibleRows ---
    QString rowKey(int row) const override;
    int rowOfKey(const QString& key) const override;
    QAccessible::Role rowRole(int row) const override;
    QAccessible::State rowState(int row) const override;
    QStringList rowActions(int row) const override;
    void doRowAction(int row, const QString& name) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeWidgets();
    void reveal(const QString& itemID);
    void act(const QModelIndex& index, Part part);
    void swipeAction(const QModelIndex& index, bool leading);
    void drop(int row, int destination);

    ListDetailModel& screen_;
    DetailRowModel* rows_;
    DetailRowDelegate* delegate_;
    RowDragController* drag_;
    RowSwipeController* swipe_;
    QPersistentModelIndex pressed_;
    Part pressedPart_ = Part::none;
};
