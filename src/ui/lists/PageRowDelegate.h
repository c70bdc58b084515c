#pragma once

#include "RowPresentation.h"

#include <QFont>
#include <QStyledItemDelegate>

class PageRowModel;
class RowDragController;
class RowSwipeController;

// Paints the rows of the lists page: list rows on their card tiles (badge, name, counts, due
// chip, shared and pin marks; drag stripes and a remove button in edit mode) and group headers
// (chevron, upper-cased name, count or pencil). It also answers where its buttons are, so the
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

    // The height of a list row and of a header; the same for every row of a kind.
    int listRowHeight() const;
    int headerHeight() const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Row insets of the page: 4 above and below, 16 at the sides, 36 before a grouped list.
    static constexpr int insetVertical = 4;
    static constexpr int insetSide = 16;
    static constexpr int insetGrouped = 36;

private:
    QRect tileRect(const QRect& row, bool inGroup) const;
    void paintList(QPainter& painter, const QStyleOptionViewItem& option, int row) const;
    void paintHeader(QPainter& painter, const QStyleOptionViewItem& option, int row) const;
    void paintSwipeButtons(QPainter& painter, const QRect& tile, const QModelIndex& index) const;

    const PageRowModel& rows_;
    const RowDragController* drag_ = nullptr;
    const RowSwipeController* swipe_ = nullptr;
    QFont nameFont_;
    QFont detailFont_; // counts, due text, header names and counts
    QFont swipeFont_;
    // Line heights of the two fonts: every row's size is asked for on each layout.
    int nameHeight_;
    int detailHeight_;
};
