// A starter tag with its cross.
#include "RemovableTagChip.h"

#include "ui/components/TagChip.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QPainter>
#include <QtMath>

namespace {
constexpr int spacing = 4;
constexpr double crossDesign = 11;

double crossSize() {
    return DesignFont::designSize(crossDesign, FontScaling::scaled);
}
} // namespace

RemovableTagChip::RemovableTagChip(const QString& tag, const QString& accessibleLabel,
                                   QWidget* parent)
    : PaintedButton(parent), tag_(tag) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessible({accessibleLabel, {}, {}, {}, {}});
}

QSize RemovableTagChip::sizeHint() const {
    const QSizeF chip = TagChip::sizeFor(tag_, TagChip::chipFont());
    return {qCeil(chip.width() + spacing + crossSize()), qMax(44, qCeil(chip.height()))};
}

void RemovableTagChip::paintFace(QPainter& painter) {
    const QFont font = TagChip::chipFont();
    const QSizeF chip = TagChip::sizeFor(tag_, font);
    const QRectF box(0, (height() - chip.height()) / 2.0, chip.width(), chip.height());
    TagChip::paint(painter, box, tag_, false, font);
    const QRectF cross(box.right() + spacing, 0, crossSize(), height());
    Symbols::paint(painter, cross, QStringLiteral("xmark"), crossSize(),
                   Theme::Colour::onSurfaceVariant.resolved());
}
