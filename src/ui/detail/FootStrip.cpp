// The foot strip of a list's pane.
#include "FootStrip.h"

#include "ui/components/ReadingColumn.h"
#include "ui/theme/ThemeColour.h"

#include <QHBoxLayout>
#include <QPainter>

void FootStrip::setColumn(QWidget* content) {
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 1, 0, 0); // the hairline above the column
    outer->addWidget(new ReadingColumn(content, Theme::Colour::card, this));
}

void FootStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::Colour::card.resolved());
    QColor hairline = Theme::Colour::outlineVariant.resolved();
    hairline.setAlphaF(0.3);
    painter.fillRect(QRectF(0, 0, width(), 0.5), hairline);
}
