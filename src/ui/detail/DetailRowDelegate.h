#pragma once

#include <QHash>
#include <QStyledItemDelegate>

#include <functional>

class QAbstractItemView;
class DetailRowModel;
class RowDragController;
class RowSwipeController;

// Paints the list screen's rows (item cards, group headings, the completed header, the closing
// spacer) and sizes them. The header and the filter chips are widgets placed on their rows;
// their rows take the widgets' heights. Item heights are cached per text for the current width,
// so scrolling and refreshing measure only texts not seen before.
class DetailRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    DetailRowDelegate(DetailRowModel& rows, QAbstractItemView* view, QObject* parent = nullptr);

    // Whether item rows show their star (on a list that may be changed): it also changes their
    // heights, so the view lays its rows out again after a change.
    void setWithStar(bool withStar);
    bool withStar() const { return withStar_; }
    // Whether the focused row is ringed: while the keyboard is in use, not after a click.
    void setFocusVisible(bool visible) { focusVisible_ = visible; }
    // The drag dims the lifted row's place; the swipe slides a row and shows its buttons.
    void setControllers(const RowDragController* drag, const RowSwipeController* swipe);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static QFont itemFont();
    static constexpr int headingHeight = 36;
    static constexpr int spacerHeight = 16;

    // Paints one item card into `box` (the row's rectangle): used for rows and drag pictures.
    void paintItem(QPainter& painter, const QRect& box, const QModelIndex& index,
                   bool focused) const;

private:
    DetailRowModel& rows_;
    QAbstractItemView* view_;
    bool withStar_ = true;
    bool focusVisible_ = true;
    void paintSwipeButtons(QPainter& painter, const QModelIndex& index) const;

    const RowDragController* drag_ = nullptr;
    const RowSwipeController* swipe_ = nullptr;
    QFont itemFont_;
    QFont headingFont_;
    QFont swipeFont_;
    mutable int cachedWidth_ = -1;
    mutable QHash<QString, int> heights_;
};
