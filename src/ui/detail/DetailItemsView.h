#pragma once

#include "ui/components/AccessibleRows.h"

#include <QHash>
#include <QListView>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QSet>

#include <optional>

class DetailRowDelegate;
class DetailRowModel;
struct DetailSnapshot;
class ListDetailModel;
class QMenu;
class RowDragController;
class RowSwipeController;
class TagFilterBar;

// The scrolling content of a list: header, filter chips, item rows, group headings, the
// completed section and the closing spacer, as painted rows over DetailRowModel (only the rows in
// sight are painted). A click acts on the part of a row it lands on: the tick ticks, the star
// stars, the text opens the item, the completed header folds its section. Editable rows have a
// context menu (Star or Unstar, Delete) and the same actions behind a sideways swipe on a
// touchpad: Star or Unstar on the leading side, Delete on the trailing side, each acting at once
// on a full swipe. The open items of an editable, ungrouped list are reordered by dragging their
// text; a drop is one store operation. Every row control (tick, star, menu, swipe, drag, removal
// by key) follows the list's rights as soon as they change, drawn as it is hit: a list made
// read-only while a row is lifted, swiped open or shows its menu puts the row back, closes the
// swipe and the menu. A screen reader finds the header and the filter chips as the widgets on
// their rows, the group headings as headings, every item and the completed header with a press
// action (an item opens, the header folds) and, on a list that may be changed, the actions of an
// item's tick, menu and swipe ("Tick", "Star", "Delete"); an item's tick and star are its
// children (DetailItemsAccessibility.cpp). It is told of a row that changed (a tick, a star, new
// rights: its name, state and controls), of one that came (an add) and one that went (a delete).
//
// From the keyboard the rows are one stop: the focus rests on an item or the completed header,
// never on the header, the chips, a heading or the spacer, and the arrow keys move it among
// them. On the focused row Space ticks or folds, Return opens or folds, the menu key (or
// Shift+F10) opens the row's menu and Delete removes the item as the menu's Delete does. A
// click on a row makes it the keyboard's row too. The keyboard that leaves the rows (for the add
// field, the header, a chip, a sheet) comes back to the row it left. When the rows are made anew
// (a tick, a removal) the focus stays on its item, or goes to the row that took its place. The
// focused row is ringed while the keyboard is in use, not after a click. The header and the chips
// are widgets that follow their row in place (a chip that stays is kept, told only what changed):
// the focus stays on the header, or on the chip of the same tag (or the one that took its
// place), ringed as it was; when there is none, or the header no longer opens anything, the
// rows have it. A
// click on the header or the chips never scrolls the list: the keyboard's row, lower down, is
// not brought into sight by the rows the click made again.
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
    // The header and the filter chips shown on their rows, or null.
    QWidget* heroView() const;
    TagFilterBar* filterBar() const;

    // Whether a row takes the keyboard: an item, or the completed section's header.
    bool takesKeys(int row) const;
    bool hasKeyRows() const;
    // Whether the focused row is ringed now.
    bool showsFocusRing() const { return hasFocus() && focusVisible_; }

    // --- AccessibleRows ---
    QString rowKey(int row) const override;
    int rowOfKey(const QString& key) const override;
    QAccessible::Role rowRole(int row) const override;
    QAccessible::State rowState(int row) const override;
    QStringList rowActions(int row) const override;
    void doRowAction(int row, const QString& name) override;
    bool rowIsDecoration(int row) const override;
    QList<AccessibleRows::Control> rowControls(int row) const override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void keyboardSearch(const QString& search) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    // Telling a screen reader what a refresh changed among the rows: what goes while it is
    // still there, what came and what changed once the rows have followed.
    void rowsAboutToFollow(const DetailSnapshot& next);
    void announceRowChanges();
    void placeWidgets();
    // The row controls follow the list's rights as soon as they change.
    void followRights();
    void reveal(const QString& itemID);
    void followKeyRows();
    void setFocusVisible(bool visible);
    // The row that takes the keyboard nearest to `row` in a direction (1 down, -1 up), `row`
    // itself included; -1 when there is none.
    int keyRowFrom(int row, int direction) const;
    void popUpMenu(const QModelIndex& index, const QPoint& globalAt);
    void rememberCurrent();
    void restoreCurrent();
    // Tells a screen reader the keyboard's row, while the keyboard is on the rows: now, or
    // after the event being handled (once Qt has told of the rows as a whole, or of what a
    // refresh changed).
    void tellFocusedRow();
    void tellFocusedRowLater();
    // Clicks on the header and the chips are watched: they are the pointer in use.
    void watchClicks(QWidget* widget);
    void keepWidgetFocus();
    void restoreWidgetFocus();
    void act(const QModelIndex& index, Part part);
    void swipeAction(const QModelIndex& index, bool leading);
    void drop(int row, int destination);

    ListDetailModel& screen_;
    DetailRowModel* rows_;
    DetailRowDelegate* delegate_;
    RowDragController* drag_;
    RowSwipeController* swipe_;
    QPointer<QMenu> menu_; // the row menu shown now
    QPersistentModelIndex pressed_;
    Part pressedPart_ = Part::none;
    bool focusVisible_ = false;
    // The keyboard's row across a replacement of the rows: its key, and its place among the
    // rows that take the keyboard.
    QString keptKey_;
    int keptPlace_ = -1;
    // Set while the keyboard's row is moved without telling a screen reader at once.
    bool quietCurrent_ = false;
    // The keyboard's row is still to be told.
    bool focusToTell_ = false;
    // The header or the chip that has the focus while its widget is made again. Meanwhile Qt
    // does not hand the focus on to the next control, as it would from a hidden widget.
    struct KeptFocus {
        bool hero = false;
        QString tag; // the chip's; empty for Group
        int place = 0;
        bool ring = true;
    };
    std::optional<KeptFocus> keptFocus_;
    bool restoringWidgetFocus_ = false;
    // The rows of the list before a refresh, and the faces of those that may change, while it
    // shows the same list.
    struct Told {
        bool sameList = false;
        QSet<QString> keys;
        QHash<QString, AccessibleRows::Face> faces;
    };
    Told told_;
};
