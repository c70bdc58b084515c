#pragma once

#include "ui/components/AccessibleRows.h"

#include <QListView>
#include <QPersistentModelIndex>

class ListsScreenModel;
class PageRowDelegate;
class QMenu;
class RowDragController;
class RowSwipeController;

// The scrolling rows of the lists page: a list view over the screen model's rows with painted
// rows. A click opens a list or folds a group (or presses a row's button), a right click, the
// menu key or Shift+F10 opens the row's menu, a drag moves a row or a group (one store call per
// drop), a horizontal touchpad swipe reveals a row's swipe buttons, Return opens and Delete removes
// the current row; only the keyboard shows a focus ring. When rows come or go above the visible
// part, the rows in view stay where they are. A screen reader finds every row with its state
// (open group, open list), a press action (open the list, fold the group) and named actions for
// everything its menu and swipe buttons offer ("Rename…", "Pin", "Delete", "Edit group",
// "Ungroup lists"). A group header is a button that folds its group; in edit mode its pencil,
// and each list's remove button, are the row's children, with their own labels. Main thread
// only.
class PageListView : public QListView, public AccessibleRows {
    Q_OBJECT

public:
    explicit PageListView(ListsScreenModel& screen, QWidget* parent = nullptr);

    ListsScreenModel& screen() { return screen_; }
    PageRowDelegate& rowDelegate() { return *delegate_; }
    RowDragController& drag() { return *drag_; }
    RowSwipeController& swipe() { return *swipe_; }
    // The menu of a row, as the context menu shows it; the caller owns it.
    QMenu* menuForRow(int row);
    // The surface colour painted behind the rows.
    void setSplit(bool split);

    // --- AccessibleRows ---
    QString rowKey(int row) const override;
    int rowOfKey(const QString& key) const override;
    QAccessible::Role rowRole(int row) const override;
    QAccessible::State rowState(int row) const override;
    QStringList rowActions(int row) const override;
    void doRowAction(int row, const QString& name) override;
    QList<AccessibleRows::Control> rowControls(int row) const override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    // Tells a screen reader the keyboard's row while the keyboard is on the rows: now, or after
    // the event being handled (once Qt has told of the rows as a whole).
    void tellFocusedRow();
    void tellFocusedRowLater();
    void editingChanged();
    void showFocusRing(bool visible);
    void remeasureRows(const QModelIndex& top, const QModelIndex& bottom);
    void rememberAnchor();
    void restoreAnchor();
    void clickAt(const QPoint& position);
    // Pops up the menu of the row at `index` at `globalAt`; nothing for a row without one.
    void popUpMenu(const QModelIndex& index, const QPoint& globalAt);
    void popUpCurrentMenu();

    ListsScreenModel& screen_;
    PageRowDelegate* delegate_;
    RowDragController* drag_;
    RowSwipeController* swipe_;
    QPersistentModelIndex pressed_;
    bool split_ = true;
    bool lastEditing_ = false;
    // The keyboard's row is still to be told.
    bool focusToTell_ = false;
    // Set while the view picks its first row as the focus comes in: told after Qt's event.
    bool quietCurrent_ = false;
    // The first row in view and how far down it stood, while rows come and go.
    QString anchorID_;
    int anchorTop_ = 0;
};
