#pragma once

#include <QHash>
#include <QStyledItemDelegate>

#include <functional>

class QAbstractItemView;
class DetailRowModel;

// Paints the list screen's rows (item cards, group headings, the completed header, the closing
// spacer) and sizes them. The header and the filter chips are widgets placed on their rows;
// their rows take the widgets' heights. Item heights are cached per text for the current width,
// so scrolling and refreshing measure only texts not seen before.
class DetailRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    // How far a row is slid aside by a swipe, and a painter of what the slide reveals.
    using SwipeOffset = std::function<double(const QModelIndex&)>;
    using SwipePainter = std::function<void(QPainter&, const QModelIndex&, const QRect&)>;

    DetailRowDelegate(DetailRowModel& rows, QAbstractItemView* view, QObject* parent = nullptr);

    void setWithStar(bool withStar);
    void setSwipe(SwipeOffset offset, SwipePainter painter);
    void setDimmedRow(int row) { dimmedRow_ = row; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static QFont itemFont();
    static constexpr int headingHeight = 36;
    static constexpr int spacerHeight = 16;

    // Paints one item card into `box` (the row's rectangle): used for rows and drag pictures.
    void paintItem(QPainter& painter, const QRect& box, const QModelIndex& index) const;

private:
    DetailRowModel& rows_;
    QAbstractItemView* view_;
    bool withStar_ = true;
    int dimmedRow_ = -1;
    SwipeOffset swipeOffset_;
    SwipePainter swipePainter_;
    QFont itemFont_;
    QFont headingFont_;
    mutable int cachedWidth_ = -1;
    mutable QHash<QString, int> heights_;
};
