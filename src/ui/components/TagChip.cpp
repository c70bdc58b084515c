// The tag chip.
#include "TagChip.h"

#include "Accessibility.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {
constexpr double horizontalPadding = 8;
constexpr double verticalPadding = 4;
constexpr double radius = 8;
} // namespace

TagChip::TagChip(const QString& tag, bool selected, QWidget* parent)
    : TagChip(tag, selected, AccessibleSpec{text(tag), {}, {}, {}, {}}, parent) {}

TagChip::TagChip(const QString& tag, bool selected, const AccessibleSpec& spec, QWidget* parent)
    : PaintedButton(parent), tag_(tag), selected_(selected) {
    setFont(chipFont());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    updateAccessible(spec);
}

void TagChip::setSelected(bool selected) {
    const AccessibleSpec* spec = Accessibility::specOf(this);
    setFace(selected, spec ? *spec : AccessibleSpec{text(tag_), {}, {}, {}, {}});
}

void TagChip::setFace(bool selected, const AccessibleSpec& spec) {
    if (selected_ != selected) {
        selected_ = selected;
        update();
    }
    updateAccessible(spec);
}

void TagChip::updateAccessible(AccessibleSpec spec) {
    spec.traits.setFlag(AccessibleTrait::selected, selected_);
    setAccessible(spec);
}

QFont TagChip::chipFont() {
    return DesignFont::monospaced(12, QFont::Medium);
}

QString TagChip::text(const QString& tag) {
    return QStringLiteral("#") + tag;
}

QSizeF TagChip::sizeFor(const QString& tag, const QFont& font) {
    const QFontMetricsF metrics(font);
    return {metrics.horizontalAdvance(text(tag)) + 2 * horizontalPadding,
            metrics.height() + 2 * verticalPadding};
}

void TagChip::paint(QPainter& painter, const QRectF& box, const QString& tag, bool selected,
                    const QFont& font) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(box, radius, radius);
    painter.fillPath(shape, (selected ? Theme::Colour::primary : Theme::Colour::chip).resolved());
    painter.setPen(
        (selected ? Theme::Colour::onPrimary : Theme::Colour::onSurfaceVariant).resolved());
    painter.setFont(font);
    painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, text(tag));
    painter.restore();
}

QSize TagChip::sizeHint() const {
    const QSizeF size = sizeFor(tag_, font());
    return {qCeil(size.width()), qCeil(size.height())};
}

void TagChip::paintFace(QPainter& painter) {
    paint(painter, QRectF(rect()), tag_, selected_, font());
}
