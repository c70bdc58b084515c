// Painting of the group editor's list rows.
#include "CollectionEditorRowDelegate.h"

#include "CollectionEditorRowModel.h"
#include "ui/components/ListBadge.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QFontMetrics>
#include <QPainter>

namespace {
constexpr int padding = 18;
constexpr int spacing = 16;
constexpr int badgeSide = 32;
constexpr int tickSide = 22;
} // namespace

CollectionEditorRowDelegate::CollectionEditorRowDelegate(const CollectionEditorRowModel& rows,
                                                         QObject* parent)
    : QStyledItemDelegate(parent), rows_(rows), nameFont_(DesignFont::system(17)),
      detailFont_(DesignFont::monospaced(12, QFont::Medium)) {
    const int name = QFontMetrics(nameFont_).height();
    const int detail = QFontMetrics(detailFont_).height();
    plainHeight_ = 2 * padding + std::max(badgeSide, name);
    filedHeight_ = 2 * padding + std::max(badgeSide, name + 2 + detail);
}

QSize CollectionEditorRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const {
    const bool filed = index.isValid() && rows_.row(index.row()).currentlyIn.has_value();
    return {option.rect.width(), filed ? filedHeight_ : plainHeight_};
}

void CollectionEditorRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    if (!index.isValid() || index.row() >= rows_.rowCount())
        return;
    using namespace Theme;
    const CollectionEditorRowPresentation p = rows_.row(index.row());
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect content = option.rect.adjusted(padding, padding, -padding, -padding);
    const int centreY = content.center().y();
    if (option.state & QStyle::State_HasFocus) {
        painter->setPen(QPen(Colour::primary.resolved(), 2));
        painter->drawRoundedRect(QRectF(option.rect).adjusted(3, 3, -3, -3), 10, 10);
    }

    const QRectF tick(content.left(), centreY - tickSide / 2.0, tickSide, tickSide);
    Symbols::paint(*painter, tick,
                   p.chosen ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("circle"),
                   tickSide,
                   p.chosen ? Colour::primary.resolved() : Colour::onSurfaceVariant.resolved());

    const QRectF badge(tick.right() + spacing, centreY - badgeSide / 2.0, badgeSide, badgeSide);
    ListBadge::paint(*painter, badge, p.icon, p.colourID);

    const int left = int(badge.right()) + spacing;
    const int width = std::max(0, content.right() - left);
    const QFontMetrics name(nameFont_);
    const QFontMetrics detail(detailFont_);
    const int height = name.height() + (p.currentlyIn ? 2 + detail.height() : 0);
    const int top = centreY - height / 2;
    painter->setFont(nameFont_);
    painter->setPen(Colour::onSurface.resolved());
    painter->drawText(QRect(left, top, width, name.height()), Qt::AlignLeft | Qt::AlignVCenter,
                      name.elidedText(p.name, Qt::ElideRight, width));
    if (p.currentlyIn) {
        painter->setFont(detailFont_);
        painter->setPen(Colour::onSurfaceVariant.resolved());
        painter->drawText(QRect(left, top + name.height() + 2, width, detail.height()),
                          Qt::AlignLeft | Qt::AlignVCenter,
                          detail.elidedText(*p.currentlyIn, Qt::ElideRight, width));
    }
    painter->restore();
}
