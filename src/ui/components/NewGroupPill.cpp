// The New group pill.
#include "NewGroupPill.h"

#include "ui/theme/DesignFont.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QFontMetricsF>
#include <QGraphicsDropShadowEffect>
#include <QPainter>
#include <QtMath>

namespace {
constexpr int padding = 16;
constexpr int pillHeight = 44;
constexpr double iconGap = 6;
} // namespace

NewGroupPill::NewGroupPill(bool iconOnly, QWidget* parent)
    : PaintedButton(parent), iconOnly_(iconOnly) {
    setFont(DesignFont::system(15, QFont::DemiBold));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessible({tr("New group"), {}, {}, {}, {}});
    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setColor(QColor(0, 0, 0, 31)); // black at 12 %
    shadow->setBlurRadius(12);             // a blur of radius 6
    shadow->setOffset(0, 3);
    setGraphicsEffect(shadow);
}

void NewGroupPill::setIconOnly(bool iconOnly) {
    if (iconOnly_ == iconOnly)
        return;
    iconOnly_ = iconOnly;
    updateGeometry();
    update();
}

double NewGroupPill::symbolSize() const {
    return DesignFont::designSize(15, FontScaling::scaled) * 1.15;
}

int NewGroupPill::iconOnlyWidth() const {
    return qCeil(symbolSize() * 1.2) + 2 * padding;
}

int NewGroupPill::fullWidth() const {
    const double title = QFontMetricsF(font()).horizontalAdvance(tr("New group"));
    return qCeil(symbolSize() * 1.2 + iconGap + title) + 2 * padding;
}

QSize NewGroupPill::sizeHint() const {
    return {iconOnly_ ? iconOnlyWidth() : fullWidth(), pillHeight};
}

void NewGroupPill::paintFace(QPainter& painter) {
    const QPainterPath capsule = focusShape();
    painter.fillPath(capsule, Theme::Colour::card.resolved());
    // The border lies inside the capsule's edge.
    painter.setPen(QPen(Theme::Colour::outline.resolved(), 1));
    painter.setBrush(Qt::NoBrush);
    const QRectF inset = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.drawRoundedRect(inset, inset.height() / 2, inset.height() / 2);

    const QColor ink = Theme::Colour::primary.resolved();
    const double symbolBox = symbolSize() * 1.2;
    const double contentWidth =
        iconOnly_ ? symbolBox
                  : symbolBox + iconGap + QFontMetricsF(font()).horizontalAdvance(tr("New group"));
    const double left = (width() - contentWidth) / 2;
    const QRectF symbolRect(left, (height() - symbolBox) / 2, symbolBox, symbolBox);
    Symbols::paint(painter, symbolRect, QStringLiteral("folder.badge.plus"), symbolSize(), ink);
    if (iconOnly_)
        return;
    painter.setPen(ink);
    painter.setFont(font());
    painter.drawText(QRectF(symbolRect.right() + iconGap, 0, width(), height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, tr("New group"));
}

QPainterPath NewGroupPill::focusShape() const {
    QPainterPath path;
    const QRectF box(rect());
    path.addRoundedRect(box, box.height() / 2, box.height() / 2);
    return path;
}
