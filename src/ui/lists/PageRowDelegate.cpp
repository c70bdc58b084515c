// Painting of the lists page's rows.
#include "PageRowDelegate.h"

#include "DueChip.h"
#include "PageRowModel.h"
#include "ui/components/DragStripes.h"
#include "ui/components/ListBadge.h"
#include "ui/components/ListTileBackground.h"
#include "ui/components/RowDragController.h"
#include "ui/components/RowSwipeController.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace {

using namespace Theme;

constexpr int badgeSide = 40;
constexpr int tileRadius = 12;
constexpr int removeSide = 52;
constexpr int pencilWidth = 44;
constexpr int pencilHeight = 32;
// Symbols in the footnote and body text styles.
constexpr double footnoteSymbol = 10 * 1.25;
constexpr double bodySymbol = 13 * 1.25;

QPainterPath rounded(const QRectF& rect, double radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

} // namespace

PageRowDelegate::PageRowDelegate(const PageRowModel& rows, QObject* parent)
    : QStyledItemDelegate(parent), rows_(rows), nameFont_(DesignFont::system(17)),
      detailFont_(DueChip::font()),
      swipeFont_(DesignFont::system(11, QFont::DemiBold, FontScaling::fixed)),
      nameHeight_(QFontMetrics(nameFont_).height()),
      detailHeight_(QFontMetrics(detailFont_).height()) {}

void PageRowDelegate::setControllers(const RowDragController* drag,
                                     const RowSwipeController* swipe) {
    drag_ = drag;
    swipe_ = swipe;
}

void PageRowDelegate::editingChanged() {
    for (int i = 0; i < rows_.rowCount(); ++i) {
        if (rows_.content(i).isHeader())
            emit sizeHintChanged(rows_.index(i));
    }
}

int PageRowDelegate::listRowHeight() const {
    const int text = nameHeight_ + 4 + detailHeight_;
    const int tile = std::max(56, std::max(badgeSide, text) + 16);
    return tile + 2 * insetVertical;
}

int PageRowDelegate::headerHeight() const {
    const int text = detailHeight_;
    const int content = rows_.editing() ? std::max(text, pencilHeight) : text;
    return content + 16 + 2 * insetVertical;
}

QSize PageRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const bool header = index.isValid() && rows_.content(index.row()).isHeader();
    return QSize(option.rect.width(), header ? headerHeight() : listRowHeight());
}

QRect PageRowDelegate::tileRect(const QRect& row, bool inGroup) const {
    return row.adjusted(inGroup ? insetGrouped : insetSide, insetVertical, -insetSide,
                        -insetVertical);
}

QRect PageRowDelegate::cardRect(const QRect& row, int index) const {
    if (index < 0 || index >= rows_.rowCount())
        return row;
    if (rows_.content(index).isHeader())
        return row.adjusted(insetSide, insetVertical, -insetSide, -insetVertical);
    return tileRect(row, rows_.content(index).inGroup);
}

QRect PageRowDelegate::removeButtonRect(const QRect& row, int index) const {
    if (index < 0 || index >= rows_.rowCount() || rows_.content(index).isHeader() ||
        !rows_.editing())
        return {};
    const QRect tile = tileRect(row, rows_.content(index).inGroup);
    return QRect(tile.right() + 1 - removeSide, tile.center().y() - removeSide / 2, removeSide,
                 removeSide);
}

QRect PageRowDelegate::pencilRect(const QRect& row, int index) const {
    if (index < 0 || index >= rows_.rowCount() || !rows_.content(index).isHeader() ||
        !rows_.editing())
        return {};
    const QRect content = row.adjusted(insetSide, insetVertical, -insetSide, -insetVertical);
    return QRect(content.right() + 1 - pencilWidth, content.center().y() - pencilHeight / 2,
                 pencilWidth, pencilHeight);
}

void PageRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    if (!index.isValid() || index.row() >= rows_.rowCount())
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::TextAntialiasing);
    if (drag_ && drag_->draggedRow() == index.row())
        painter->setOpacity(0.3);
    if (rows_.content(index.row()).isHeader())
        paintHeader(*painter, option, index.row());
    else
        paintList(*painter, option, index.row());
    painter->restore();
}

void PageRowDelegate::paintSwipeButtons(QPainter& painter, const QRect& tile,
                                        const QModelIndex& index) const {
    if (!swipe_ || swipe_->offset(index) == 0)
        return;
    const bool leading = swipe_->offset(index) > 0;
    const RowCommands commands =
        leading ? rows_.leadingSwipe(index.row()) : rows_.trailingSwipe(index.row());
    const QList<QRect> rects = swipe_->buttonRects(
        index, leading ? RowSwipeController::Edge::leading : RowSwipeController::Edge::trailing);
    painter.save();
    painter.setClipPath(rounded(tile, tileRadius));
    for (int i = 0; i < rects.size() && i < commands.size(); ++i) {
        const RowCommand& command = commands[i];
        const QRectF button(rects[i].left(), tile.top(), rects[i].width(), tile.height());
        painter.fillRect(button, command.destructive ? Colour::error.resolved()
                                                     : Colour::accent.resolved());
        const QColor ink =
            command.destructive ? Colour::card.resolved() : Colour::onAccent.resolved();
        // The symbol above the title (two lines at most), kept at the button's inner edge
        // while the button is narrow.
        const double width = std::min<double>(button.width(), RowSwipeController::buttonWidth);
        const double left = leading ? button.right() - width : button.left();
        const QFontMetrics metrics(swipeFont_);
        const QRect titleBox =
            metrics.boundingRect(QRect(0, 0, int(width) - 6, 2 * metrics.height()),
                                 Qt::AlignHCenter | Qt::TextWordWrap, command.title);
        const int titleHeight = std::min(titleBox.height(), 2 * metrics.height());
        const double top = button.center().y() - (18 + 2 + titleHeight) / 2.0;
        Symbols::paint(painter, QRectF(left, top, width, 18), command.symbol, 16, ink);
        painter.setPen(ink);
        painter.setFont(swipeFont_);
        painter.drawText(QRectF(left + 3, top + 20, width - 6, titleHeight),
                         Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, command.title);
    }
    painter.restore();
}

void PageRowDelegate::paintList(QPainter& painter, const QStyleOptionViewItem& option,
                                int row) const {
    const ListRowPresentation p = rows_.listRow(row);
    const QModelIndex index = rows_.index(row);
    const QRect still = tileRect(option.rect, p.inGroup);
    paintSwipeButtons(painter, still, index);
    const int shift = swipe_ ? int(swipe_->offset(index)) : 0;
    const QRect tile = still.translated(shift, 0);
    if (shift != 0) {
        // A sliding row goes out of sight at the edge of its place, not of the page.
        painter.setClipRect(still.intersected(tile));
    }

    // The card, outlined when it is the open list.
    ListTileBackground::paint(painter, tile, p.selected);
    if (option.state & QStyle::State_HasFocus) {
        painter.setPen(QPen(Colour::primary.resolved(), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(rounded(QRectF(tile).adjusted(1, 1, -1, -1), tileRadius - 1));
    }

    const QRect content = tile.adjusted(10, 8, p.editing ? 0 : -10, -8);
    const int centreY = content.center().y();

    // The badge.
    const QRectF badge(content.left(), centreY - badgeSide / 2.0, badgeSide, badgeSide);
    ListBadge::paint(painter, badge, p.icon, p.colourID);

    // Edit controls at the trailing edge, then the marks before them.
    int right = content.right();
    if (p.editing) {
        const QRect remove = removeButtonRect(option.rect, row).translated(shift, 0);
        Symbols::paint(painter, remove, QStringLiteral("trash"), bodySymbol,
                       Colour::error.resolved());
        const QRectF stripes(remove.left() - DragStripes::area.width(),
                             centreY - DragStripes::area.height() / 2.0, DragStripes::area.width(),
                             DragStripes::area.height());
        DragStripes::paint(painter, stripes);
        right = int(stripes.left()) - 1;
    }
    const auto mark = [&](const QString& symbol, const QColor& colour) {
        const QRectF box(right - 16, centreY - 8, 16, 16);
        Symbols::paint(painter, box, symbol, footnoteSymbol, colour);
        right = int(box.left()) - 12;
    };
    if (p.pinned)
        mark(QStringLiteral("pin.fill"), Colour::accent.resolved());
    if (p.showsSharedMark)
        mark(QStringLiteral("person.2.fill"), Colour::onSurfaceVariant.resolved());

    // The name over the count line.
    const int textLeft = int(badge.right()) + 12;
    const int textWidth = std::max(0, right + 12 - 8 - textLeft);
    const QFontMetrics nameMetrics(nameFont_);
    const QFontMetrics detailMetrics(detailFont_);
    const int textHeight = nameMetrics.height() + 4 + detailMetrics.height();
    const int top = centreY - textHeight / 2;
    painter.setFont(nameFont_);
    painter.setPen(Colour::onSurface.resolved());
    painter.drawText(QRect(textLeft, top, textWidth, nameMetrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     nameMetrics.elidedText(p.name, Qt::ElideRight, textWidth));

    const QRect line(textLeft, top + nameMetrics.height() + 4, textWidth, detailMetrics.height());
    painter.setFont(detailFont_);
    painter.setPen(Colour::onSurfaceVariant.resolved());
    const QString count = detailMetrics.elidedText(p.countSummary, Qt::ElideRight, line.width());
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, count);
    if (p.dueText) {
        const int chipLeft = line.left() + detailMetrics.horizontalAdvance(count) + 8;
        DueChip::paint(painter, QRect(chipLeft, line.top(), line.right() - chipLeft, line.height()),
                       *p.dueText, p.urgency, detailFont_);
    }
}

void PageRowDelegate::paintHeader(QPainter& painter, const QStyleOptionViewItem& option,
                                  int row) const {
    const GroupHeaderPresentation p = rows_.header(row);
    const QModelIndex index = rows_.index(row);
    const QRect still = cardRect(option.rect, row);
    paintSwipeButtons(painter, still, index);
    const int shift = swipe_ ? int(swipe_->offset(index)) : 0;
    const QRect area = still.translated(shift, 0);
    if (shift != 0) {
        // A sliding header needs a ground of its own over the buttons it uncovers.
        painter.setPen(Qt::NoPen);
        painter.setBrush(Colour::sidebarSurface.resolved());
        painter.drawRect(area);
    }
    if (option.state & QStyle::State_HasFocus) {
        painter.setPen(QPen(Colour::primary.resolved(), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(rounded(QRectF(area).adjusted(1, 1, -1, -1), 8));
    }
    const QRect content = area.adjusted(0, 8, 0, -8);
    const int centreY = content.center().y();

    // The chevron points right while collapsed and down while open.
    const QRectF chevron(content.left(), centreY - 7, 14, 14);
    painter.save();
    painter.translate(chevron.center());
    painter.rotate(p.collapsed ? 0 : 90);
    Symbols::paint(painter, QRectF(-7, -7, 14, 14), QStringLiteral("chevron.right"), footnoteSymbol,
                   Colour::onSurfaceVariant.resolved());
    painter.restore();

    int right = content.right();
    const QFontMetrics metrics(detailFont_);
    painter.setFont(detailFont_);
    if (p.editing) {
        const QRect pencil = pencilRect(option.rect, row).translated(shift, 0);
        Symbols::paint(painter, pencil, QStringLiteral("pencil"), footnoteSymbol,
                       Colour::primary.resolved());
        right = pencil.left() - 8;
    } else {
        const int width = metrics.horizontalAdvance(p.countText);
        painter.setPen(Colour::onSurfaceVariant.resolved());
        painter.drawText(QRect(right + 1 - width, content.top(), width, content.height()),
                         Qt::AlignRight | Qt::AlignVCenter, p.countText);
        right -= width + 8;
    }
    const int left = int(chevron.right()) + 8;
    painter.setPen(Colour::onSurfaceVariant.resolved());
    painter.drawText(QRect(left, content.top(), std::max(0, right - left), content.height()),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(p.title, Qt::ElideRight, std::max(0, right - left)));
}
