// The filter bar's grouping switch.
#include "GroupChip.h"

#include "ui/theme/DesignFont.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QPainter>

#include <algorithm>

namespace {
constexpr int padding = 8;
constexpr int chipMinimumHeight = 32;
constexpr int symbolGap = 4;
const QString label = QStringLiteral("Group");
} // namespace

GroupChip::GroupChip(bool grouping, const QString& accessibilityLabel, QWidget* parent)
    : PaintedButton(parent), grouping_(!grouping) {
    setFont(DesignFont::monospaced(12, QFont::Medium));
    setGrouping(grouping, accessibilityLabel);
}

void GroupChip::setGrouping(bool grouping, const QString& accessibilityLabel) {
    if (grouping_ != grouping) {
        grouping_ = grouping;
        update();
    }
    setAccessible({accessibilityLabel,
                   {},
                   {},
                   grouping ? AccessibleTraits(AccessibleTrait::toggle | AccessibleTrait::selected)
                            : AccessibleTraits(AccessibleTrait::toggle),
                   {}});
}

QSize GroupChip::sizeHint() const {
    const QFontMetrics metrics(font());
    const int symbol = metrics.height();
    return {padding + symbol + symbolGap + metrics.horizontalAdvance(label) + padding,
            std::max(chipMinimumHeight, metrics.height() + 8)};
}

QPainterPath GroupChip::focusShape() const {
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);
    return path;
}

void GroupChip::paintFace(QPainter& painter) {
    painter.fillPath(focusShape(),
                     (grouping_ ? Theme::Colour::primary : Theme::Colour::chip).resolved());
    const QColor ink = (grouping_ ? Theme::Colour::onPrimary : Theme::Colour::primary).resolved();
    const QFontMetrics metrics(font());
    const int symbol = metrics.height();
    const QRectF symbolBox(padding, (height() - symbol) / 2.0, symbol, symbol);
    Symbols::paint(painter, symbolBox, QStringLiteral("square.stack.3d.up"), 12, ink);
    painter.setFont(font());
    painter.setPen(ink);
    painter.drawText(QRect(padding + symbol + symbolGap, 0, width(), height()),
                     Qt::AlignLeft | Qt::AlignVCenter, label);
}
