// The card row.
#include "CardRow.h"

#include "ui/theme/ThemeColour.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

CardRow::CardRow(bool muted, int vertical, QWidget* content, QWidget* parent)
    : QWidget(parent), muted_(muted), content_(content) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, vertical, 16, vertical);
    // The content starts at the leading edge and may take the whole width (a text field does).
    layout->addWidget(content, 1, Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void CardRow::paint(QPainter& painter, const QRectF& box, bool muted) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(box, 12, 12);
    painter.fillPath(shape, (muted ? Theme::Colour::cardMuted : Theme::Colour::card).resolved());
    painter.restore();
}

void CardRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, QRectF(rect()), muted_);
}
