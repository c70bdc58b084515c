// Painting and sizing the list screen's rows.
#include "DetailRowDelegate.h"

#include "DetailRowModel.h"
#include "ItemRowGeometry.h"
#include "ItemRowText.h"
#include "ui/components/CardRow.h"
#include "ui/components/RowDragController.h"
#include "ui/components/RowSwipeController.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QPainterPath>

DetailRowDelegate::DetailRowDelegate(DetailRowModel& rows, QAbstractItemView* view, QObject* parent)
    : QStyledItemDelegate(parent), rows_(rows), view_(view), itemFont_(itemFont()),
      headingFont_(DesignFont::smallHeading()),
      swipeFont_(DesignFont::system(11, QFont::DemiBold, FontScaling::fixed)) {}

QFont DetailRowDelegate::itemFont() {
    return DesignFont::system(17);
}

void DetailRowDelegate::setWithStar(bool withStar) {
    if (withStar_ == withStar)
        return;
    withStar_ = withStar;
    heights_.clear();
}

void DetailRowDelegate::setControllers(const RowDragController* drag,
                                       const RowSwipeController* swipe) {
    drag_ = drag;
    swipe_ = swipe;
}

void DetailRowDelegate::paintSwipeButtons(QPainter& painter, const QModelIndex& index) const {
    const double offset = swipe_ ? swipe_->offset(index) : 0;
    if (offset == 0)
        return;
    const bool leading = offset > 0;
    const TBItem& item = rows_.row(index.row()).item;
    const QList<QRect> rects = swipe_->buttonRects(
        index, leading ? RowSwipeController::Edge::leading : RowSwipeController::Edge::trailing);
    if (rects.isEmpty())
        return;
    const QRect button = rects.first();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(button), 12, 12);
    painter.fillPath(shape, (leading ? Theme::Colour::accent : Theme::Colour::error).resolved());
    const QColor ink = leading ? Theme::Colour::onAccent.resolved() : QColor(Qt::white);
    const QString symbol =
        leading ? (item.pinned ? QStringLiteral("star.slash") : QStringLiteral("star"))
                : QStringLiteral("trash");
    const QString title = leading ? ItemRowText::starAction(item) : QStringLiteral("Delete");
    const QFontMetrics metrics(swipeFont_);
    const int block = 20 + 2 + metrics.height();
    const int top = button.center().y() - block / 2;
    Symbols::paint(painter, QRectF(button.left(), top, button.width(), 20), symbol, 17, ink);
    painter.setFont(swipeFont_);
    painter.setPen(ink);
    painter.drawText(QRect(button.left(), top + 22, button.width(), metrics.height()),
                     Qt::AlignCenter, title);
    painter.restore();
}

QSize DetailRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    const int width = view_->viewport()->width();
    const DetailRow& row = rows_.row(index.row());
    switch (row.kind) {
    case DetailRow::Kind::hero:
    case DetailRow::Kind::filterBar: {
        const QWidget* widget = view_->indexWidget(index);
        if (!widget)
            return {width, 1};
        const int height = widget->hasHeightForWidth() ? widget->heightForWidth(width)
                                                       : widget->sizeHint().height();
        return {width, height};
    }
    case DetailRow::Kind::groupHeading:
        return {width, headingHeight};
    case DetailRow::Kind::completedHeader:
        return {width, QFontMetrics(headingFont_).height() + 2 * 8 + 2 * 4 + 8};
    case DetailRow::Kind::spacer:
        return {width, spacerHeight};
    case DetailRow::Kind::item:
        break;
    }
    if (width != cachedWidth_) {
        cachedWidth_ = width;
        heights_.clear();
    }
    auto found = heights_.constFind(row.displayText);
    if (found != heights_.constEnd())
        return {width, *found};
    const int height = ItemRowGeometry::height(row.displayText, itemFont_, width, withStar_);
    heights_.insert(row.displayText, height);
    Q_UNUSED(option);
    return {width, height};
}

void DetailRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const DetailRow& row = rows_.row(index.row());
    const QRect box = option.rect;
    painter->save();
    switch (row.kind) {
    case DetailRow::Kind::item: {
        const double offset = swipe_ ? swipe_->offset(index) : 0;
        paintSwipeButtons(*painter, index);
        if (drag_ && index.row() == drag_->draggedRow())
            painter->setOpacity(0.35);
        // The current row of a focused list is ringed, so the arrow keys and Return can be
        // followed.
        paintItem(*painter, box.translated(int(offset), 0), index,
                  focusVisible_ && option.state.testFlag(QStyle::State_HasFocus));
        break;
    }
    case DetailRow::Kind::groupHeading: {
        painter->setFont(headingFont_);
        painter->setPen(Theme::Colour::onSurfaceVariant.resolved());
        const QRect text =
            box.adjusted(ItemRowGeometry::rowInsetSide + 4, 12, -ItemRowGeometry::rowInsetSide, -4);
        painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, row.heading);
        break;
    }
    case DetailRow::Kind::completedHeader: {
        const QColor colour = Theme::Colour::onSurfaceVariant.resolved();
        const QRect inner = box.adjusted(ItemRowGeometry::rowInsetSide + 4, 4 + 8,
                                         -ItemRowGeometry::rowInsetSide - 4, -4);
        const int chevron = 16;
        const QRectF chevronBox(inner.left(), inner.center().y() - chevron / 2.0, chevron, chevron);
        const bool expanded = rows_.data(index, DetailRowModel::expandedRole).toBool();
        painter->save();
        painter->translate(chevronBox.center());
        painter->rotate(expanded ? 90 : 0);
        painter->translate(-chevronBox.center());
        Symbols::paint(*painter, chevronBox, QStringLiteral("chevron.right"),
                       DesignFont::styleSize(TextStyle::footnote), colour);
        painter->restore();
        painter->setFont(headingFont_);
        painter->setPen(colour);
        const QRect text = inner.adjusted(chevron + 8, 0, 0, 0);
        painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("COMPLETED"));
        painter->drawText(text, Qt::AlignRight | Qt::AlignVCenter,
                          QString::number(rows_.data(index, DetailRowModel::countRole).toInt()));
        if (focusVisible_ && option.state.testFlag(QStyle::State_HasFocus)) {
            // Space and Return fold the section from the keyboard: its header is ringed too.
            painter->setRenderHint(QPainter::Antialiasing);
            painter->setPen(QPen(Theme::Colour::primary.resolved(), 2));
            painter->setBrush(Qt::NoBrush);
            // As wide as the cards above and below it.
            const QRectF ring = QRectF(box).adjusted(ItemRowGeometry::rowInsetSide + 1, 4 + 8 - 4,
                                                     -ItemRowGeometry::rowInsetSide - 1, -1);
            painter->drawRoundedRect(ring, 11, 11);
        }
        break;
    }
    case DetailRow::Kind::hero:
    case DetailRow::Kind::filterBar:
    case DetailRow::Kind::spacer:
        break;
    }
    painter->restore();
}

void DetailRowDelegate::paintItem(QPainter& painter, const QRect& box, const QModelIndex& index,
                                  bool focused) const {
    const DetailRow& row = rows_.row(index.row());
    const bool done = row.item.done;
    const ItemRowGeometry g = ItemRowGeometry::of(box, withStar_);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    CardRow::paint(painter, QRectF(g.card), done);
    if (focused) {
        // Inside the card's edge, where the next row cannot paint over it.
        painter.setPen(QPen(Theme::Colour::primary.resolved(), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(g.card).adjusted(1, 1, -1, -1), 11, 11);
    }

    // The tick: an empty ring while open, a filled disc with a check mark when done.
    const QColor primary = Theme::Colour::primary.resolved();
    const QRectF circle(g.tick.center().x() - 11.5, g.tick.center().y() - 11.5, 24, 24);
    if (done) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(primary);
        painter.drawEllipse(circle);
        Symbols::paint(painter, circle, QStringLiteral("checkmark"),
                       DesignFont::styleSize(TextStyle::footnote) + 2,
                       Theme::Colour::onPrimary.resolved());
    } else {
        painter.setPen(QPen(primary, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(circle.adjusted(1, 1, -1, -1));
    }

    QFont font = itemFont_;
    font.setStrikeOut(done);
    painter.setFont(font);
    painter.setPen((done ? Theme::Colour::onSurfaceVariant : Theme::Colour::onSurface).resolved());
    painter.setClipRect(g.text.adjusted(0, 0, 0, 0));
    painter.drawText(g.text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, row.displayText);
    painter.setClipping(false);

    if (withStar_) {
        const bool starred = row.item.pinned;
        Symbols::paint(
            painter, QRectF(g.star), starred ? QStringLiteral("star.fill") : QStringLiteral("star"),
            DesignFont::styleSize(TextStyle::footnote) + 4,
            (starred ? Theme::Colour::accent : Theme::Colour::onSurfaceVariant).resolved());
    }
    painter.restore();
}
