// The due chip of list rows and of a list's header.
#include "DueChip.h"

#include "ListRowText.h"
#include "ui/components/Accessibility.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ListPalette.h"
#include "ui/theme/ThemeColour.h"

#include <QFontMetrics>
#include <QPainter>

namespace {
constexpr int dotSide = 7;
constexpr int spacing = DueChip::textInset - dotSide;
} // namespace

DueChip::DueChip(const QString& text, ListUrgency urgency, QWidget* parent) : QWidget(parent) {
    setFont(font());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setDue(text, urgency);
}

void DueChip::setDue(const QString& text, ListUrgency urgency) {
    text_ = text;
    urgency_ = urgency;
    Accessibility::apply(this, {ListRowText::dueChipAccessibilityLabel(text, urgency),
                                {},
                                {},
                                AccessibleTrait::staticText,
                                {}});
    updateGeometry();
    update();
}

QFont DueChip::font() {
    return DesignFont::monospaced(12, QFont::Medium);
}

int DueChip::width(const QString& text, const QFont& font) {
    return dotSide + spacing + QFontMetrics(font).horizontalAdvance(text);
}

QSize DueChip::sizeHint() const {
    return {width(text_, QWidget::font()), QFontMetrics(QWidget::font()).height()};
}

void DueChip::paint(QPainter& painter, const QRect& box, const QString& text, ListUrgency urgency,
                    const QFont& font) {
    const int space = box.width() - dotSide - spacing;
    if (space <= 0)
        return;
    painter.save();
    paintDot(painter, dotRect(box), urgency);
    const QFontMetrics metrics(font);
    const QString shown = metrics.elidedText(text, Qt::ElideRight, space);
    // Four letters and the ellipsis at least, or the dot alone.
    if (shown == text || shown.size() >= 5) {
        painter.setFont(font);
        painter.setPen(Theme::Colour::onSurfaceVariant.resolved());
        painter.drawText(QRect(box.left() + dotSide + spacing, box.top(), space, box.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, shown);
    }
    painter.restore();
}

QRect DueChip::dotRect(const QRect& line) {
    return QRect(line.left(), line.top() + (line.height() - dotSide + 1) / 2, dotSide, dotSide);
}

void DueChip::paintDot(QPainter& painter, const QRect& dot, ListUrgency urgency) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const std::optional<DynamicColour> colour = ListPalette::urgency(urgency);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour ? colour->resolved() : Theme::Colour::onSurfaceVariant.resolved());
    painter.drawEllipse(dot);
    painter.restore();
}

void DueChip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, rect(), text_, urgency_, QWidget::font());
}
