#pragma once

#include "PageRowContent.h"
#include "RowPresentation.h"

#include <QFont>
#include <QHash>
#include <QStyledItemDelegate>

#include <optional>

class PageRowModel;
class RowDragController;
class RowSwipeController;

// Paints the rows of the lists page: list rows on their card tiles (badge, name, counts, due
// chip, shared and pin marks; drag stripes and a remove button in edit mode) and group headers
// (chevron, upper-cased name, count or pencil). The open list's card has a thin outline; the
// keyboard's current row a soft ring outside it. It also answers where its buttons are, so the
// pane can tell a click on a button from a click on the row. Fonts are sized when it is made,
// as everything on screen is. Main thread only.
class PageRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    PageRowDelegate(const PageRowModel& rows, QObject* parent = nullptr);

    // The controllers whose state changes how rows draw: the lifted row dims, a swiped row
    // slides over its buttons.
    void setControllers(const RowDragController* drag, const RowSwipeController* swipe);
    // Edit mode changes the headers' height (the pencil is taller than the count).
    void editingChanged();

    // Where a row's buttons are, within the row's rectangle; empty when the row has none.
    QRect removeButtonRect(const QRect& row, int index) const;
    QRect pencilRect(const QRect& row, int index) const;
    // The card of a list row, or the area of a header, within the row's rectangle.
    QRect cardRect(const QRect& row, int index) const;

    // The height of the list row at `row` in a view `width` wide (a long name wraps onto more
    // lines), and of a header (the same for every header).
    int listRowHeight(int row, int width) const;
    int headerHeight() const;
    // Whether the current row shows the keyboard's focus ring: only after the keyboard moved
    // to or in the rows, never after a click, so a clicked or right-clicked row is not taken
    // for the open one.
    void setFocusVisible(bool visible);
    bool focusVisible() const { return focusVisible_; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Row insets of the page: 4 above and below, 16 at the sides, 36 before a grouped list.
    static constexpr int insetVertical = 4;
    static constexpr int insetSide = 16;
    static constexpr int insetGrouped = 36;
    // The focus ring stands off the card (or the header's area) by a gap, within the row's
    // inset, and around a header this far to the sides, clear of its words.
    static constexpr int focusRingGap = 2;
    static constexpr int focusRingWidth = 2;
    static constexpr int headerRingMargin = 6;

private:
    QRect tileRect(const QRect& row, bool inGroup) const;
    bool showsFocus(const QStyleOptionViewItem& option) const;
    static void paintFocusRing(QPainter& painter, const QRect& around, double radius);
    void paintList(QPainter& painter, const QStyleOptionViewItem& option, int row) const;
    void paintHeader(QPainter& painter, const QStyleOptionViewItem& option, int row) const;
    void paintSwipeButtons(QPainter& painter, const QRect& tile, const QModelIndex& index) const;

    const PageRowModel& rows_;
    const RowDragController* drag_ = nullptr;
    const RowSwipeController* swipe_ = nullptr;
    QFont nameFont_;
    QFont detailFont_; // counts, due text, header names and counts
    QFont swipeFont_;
    int detailHeight_; // the header's line height, asked for on each layout
    bool focusVisible_ = false;
    // List rows' heights as last measured, by row id, with what they were measured from: a
    // layout of the whole page measures again only the rows whose content changed.
    struct Measured {
        PageRowContent content;
        bool editing = false;
        std::optional<Date> now; // for rows with due words, which follow the time
        int width = 0;
        int height = 0;
    };
    mutable QHash<QString, Measured> measured_;
};
