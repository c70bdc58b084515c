// Painting of the lists page's rows.
#include "PageRowDelegate.h"

#include "DueChip.h"
#include "ListRowLayout.h"
#include "PageRowModel.h"
#include "ui/components/DragStripes.h"
#include "ui/components/ListBadge.h"
#include "ui/components/ListTileBackground.h"
#include "ui/components/RowDragController.h"
#include "ui/components/RowSwipeController.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace {

using namespace Theme;

constexpr int tileRadius = 12;
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

int PageRowDelegate::listRowHeight(int row, int width) const {
    const PageRowContent& content = rows_.content(row);
    const bool dated = content.row.list.dueDate.has_value();
    const std::optional<Date> now = dated ? std::optional(rows_.now()) : std::nullopt;
    const auto known = measured_.constFind(content.row.list.id);
    if (known != measured_.cend() && known->width == width && known->editing == rows_.editing() &&
        known->now == now && known->content == content)
        return known->height;
    const ListRowPresentation p = rows_.listRow(row);
    const int tileWidth = width - (p.inGroup ? insetGrouped : insetSide) - insetSide;
    const int height =
        ListRowLayout::tileHeight(p, tileWidth, nameFont_, detailFont_) + 2 * insetVertical;
    measured_.insert(content.row.list.id, {content, rows_.editing(), now, width, height});
    return height;
}

int PageRowDelegate::headerHeight() const {
    const int text = detailHeight_;
    const int content = rows_.editing() ? std::max(text, pencilHeight) : text;
    return content + 16 + 2 * insetVertical;
}

QSize PageRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    // Rows are as wide as the view's viewport, and a list row's height follows its width.
    int width = option.rect.width();
    if (const auto* view = qobject_cast<const QAbstractItemView*>(option.widget))
        width = view->viewport()->width();
    if (!index.isValid() || index.row() >= rows_.rowCount() ||
        rows_.content(index.row()).isHeader())
        return QSize(width, headerHeight());
    return QSize(width, listRowHeight(index.row(), width));
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
    return ListRowLayout::removeRect(tileRect(row, rows_.content(index).inGroup));
}

QRect PageRowDelegate::pencilRect(const QRect& row, int index) const {
    if (index < 0 || index >= rows_.rowCount() || !rows_.content(index).isHeader() ||
        !rows_.editing())
        return {};
    const QRect content = row.adjusted(insetSide, insetVertical, -insetSide, -insetVertical);
    return QRect(content.right() + 1 - pencilWidth, content.center().y() - pencilHeight / 2,
                 pencilWidth, pencilHeight);
}

void PageRowDelegate::setFocusVisible(bool visible) {
    focusVisible_ = visible;
}

bool PageRowDelegate::showsFocus(const QStyleOptionViewItem& option) const {
    return focusVisible_ && (option.state & QStyle::State_HasFocus);
}

void PageRowDelegate::paintFocusRing(QPainter& painter, const QRect& around, double radius) {
    // A ring standing off the shape by a gap, unlike the thin line inside the open list's card.
    QColor ring = Colour::primary.resolved();
    ring.setAlphaF(0.75);
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(ring, focusRingWidth));
    const double out = focusRingGap + focusRingWidth / 2.0;
    painter.drawPath(rounded(QRectF(around).adjusted(-out, -out, out, out), radius + out));
    painter.restore();
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

    // The card, outlined when it is the open list; the keyboard's ring stands around it.
    ListTileBackground::paint(painter, tile, p.selected);
    if (showsFocus(option))
        paintFocusRing(painter, tile, tileRadius);

    const ListRowLayout l = ListRowLayout::make(p, tile, nameFont_, detailFont_);
    ListBadge::paint(painter, l.badge, p.icon, p.colourID);
    if (p.editing) {
        Symbols::paint(painter, l.remove, QStringLiteral("trash"), bodySymbol,
                       Colour::error.resolved());
        DragStripes::paint(painter, l.stripes);
    }
    if (p.pinned)
        Symbols::paint(painter, l.pinMark, QStringLiteral("pin.fill"), footnoteSymbol,
                       Colour::accent.resolved());
    if (p.showsSharedMark)
        Symbols::paint(painter, l.shareMark, QStringLiteral("person.2.fill"), footnoteSymbol,
                       Colour::onSurfaceVariant.resolved());

    painter.setFont(nameFont_);
    painter.setPen(Colour::onSurface.resolved());
    for (const ListRowLayout::TextLine& line : l.name)
        painter.drawText(line.box, Qt::AlignLeft | Qt::AlignVCenter, line.text);
    painter.setFont(detailFont_);
    painter.setPen(Colour::onSurfaceVariant.resolved());
    for (const ListRowLayout::TextLine& line : l.counts + l.chip)
        painter.drawText(line.box, Qt::AlignLeft | Qt::AlignVCenter, line.text);
    if (p.dueText)
        DueChip::paintDot(painter, l.chipDot, p.urgency);
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
    // The ring stands clear of the header's words, in the page's side margin.
    if (showsFocus(option))
        paintFocusRing(painter, area.adjusted(-headerRingMargin, 0, headerRingMargin, 0), 8);
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
