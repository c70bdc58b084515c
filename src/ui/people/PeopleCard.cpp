// The people screens' cards.
#include "PeopleCard.h"

#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

PeopleCard::PeopleCard(int spacing, QWidget* parent) : QWidget(parent) {
    column_ = new QVBoxLayout(this);
    column_->setContentsMargins(18, 18, 18, 18);
    column_->setSpacing(spacing);
}

QWidget* PeopleCard::section(const QString& title, PeopleCard* card) {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto* heading =
        new TextLabel(title, DesignFont::smallHeading(), Theme::Colour::onSurfaceVariant);
    heading->setContentsMargins(4, 0, 0, 0);
    layout->addWidget(heading);
    layout->addWidget(card);
    return box;
}

void PeopleCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 12, 12);
    painter.fillPath(path, Theme::Colour::card.resolved());
}
