// The foot strip of a list's pane.
#include "FootStrip.h"

#include "ui/theme/PlatformChrome.h"
#include "ui/theme/ThemeColour.h"

#include <QHBoxLayout>
#include <QPainter>

void FootStrip::setColumn(QWidget* content) {
    // A layout, not a bare reading column: when a part of the content shows or hides, the new
    // height reaches the pane's layout.
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 1, 0, 0); // the hairline above the column
    content->setParent(this);
    content->setMaximumWidth(PlatformChrome::readingColumnWidth);
    content->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    // Up to 640 wide; in a wider strip the stretches on both sides centre it.
    outer->addStretch(0);
    outer->addWidget(content, 1);
    outer->addStretch(0);
}

void FootStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::Colour::card.resolved());
    QColor hairline = Theme::Colour::outlineVariant.resolved();
    hairline.setAlphaF(0.3);
    painter.fillRect(QRectF(0, 0, width(), 0.5), hairline);
}
