// The titled cards of editor sheets.
#include "SectionCard.h"

#include "TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

SectionCard::SectionCard(QWidget* content, int padding, QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->setSpacing(0);
    layout->addWidget(content);
}

QWidget* SectionCard::titled(const QString& title, QWidget* card, int cardStretch) {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto* heading =
        new TextLabel(title, DesignFont::smallHeading(), Theme::Colour::onSurfaceVariant);
    heading->setContentsMargins(4, 0, 0, 0);
    layout->addWidget(heading);
    layout->addWidget(card, cardStretch);
    return box;
}

void SectionCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 12, 12);
    painter.fillPath(path, Theme::Colour::card.resolved());
}
