// The New group pill.
#include "NewGroupPill.h"

#include "ListsScreenModel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QFontMetrics>
#include <QGraphicsDropShadowEffect>
#include <QPainter>

namespace {
constexpr int padding = 16;
constexpr int pillHeight = 44;
constexpr int iconGap = 6;
} // namespace

NewGroupPill::NewGroupPill(QWidget* parent) : PaintedButton(parent) {
    setFont(DesignFont::system(15, QFont::DemiBold));
    setAccessible({ListsScreenModel::newGroupLabel(), {}, {}, {}, {}});
    setToolTip(ListsScreenModel::newGroupLabel());
    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setColor(QColor(0, 0, 0, 31)); // black at 12 %
    shadow->setBlurRadius(12);             // a blur of radius 6
    shadow->setOffset(0, 3);
    setGraphicsEffect(shadow);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void NewGroupPill::setIconOnly(bool iconOnly) {
    if (iconOnly_ == iconOnly)
        return;
    iconOnly_ = iconOnly;
    updateGeometry();
    update();
}

int NewGroupPill::iconOnlyWidth() const {
    return 2 * padding + QFontMetrics(font()).height();
}

int NewGroupPill::fullWidth() const {
    return iconOnlyWidth() + iconGap +
           QFontMetrics(font()).horizontalAdvance(ListsScreenModel::newGroupLabel());
}

QSize NewGroupPill::sizeHint() const {
    return {iconOnly_ ? iconOnlyWidth() : fullWidth(), pillHeight};
}

QPainterPath NewGroupPill::focusShape() const {
    QPainterPath path;
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    path.addRoundedRect(box, box.height() / 2, box.height() / 2);
    return path;
}

void NewGroupPill::paintFace(QPainter& painter) {
    using namespace Theme;
    painter.setPen(QPen(Colour::outline.resolved(), 1));
    painter.setBrush(Colour::card.resolved());
    painter.drawPath(focusShape());
    const QFontMetrics metrics(font());
    const int symbol = metrics.height();
    const QRectF icon(padding, (pillHeight - symbol) / 2.0, symbol, symbol);
    Symbols::paint(painter, icon, QStringLiteral("folder.badge.plus"),
                   DesignFont::designSize(15, FontScaling::scaled), Colour::primary.resolved());
    if (iconOnly_)
        return;
    painter.setPen(Colour::primary.resolved());
    painter.setFont(font());
    painter.drawText(
        QRectF(icon.right() + iconGap, 0, width() - icon.right() - iconGap, pillHeight),
        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, ListsScreenModel::newGroupLabel());
}
