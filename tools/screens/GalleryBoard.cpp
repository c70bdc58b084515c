// The gallery's page of captioned samples.
#include "GalleryBoard.h"

#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

GalleryBoard::GalleryBoard(DynamicColour background)
    : background_(background), layout_(new QVBoxLayout(this)) {
    layout_->setContentsMargins(16, 16, 16, 16);
    layout_->setSpacing(6);
}

void GalleryBoard::add(const QString& caption, QWidget* sample, Qt::Alignment alignment) {
    auto* label = new QLabel(caption.toUpper(), this);
    label->setTextFormat(Qt::PlainText);
    label->setFont(DesignFont::monospaced(10, QFont::Medium, FontScaling::fixed));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Theme::Colour::outline.resolved());
    label->setPalette(palette);
    if (layout_->count() > 0)
        layout_->addSpacing(10);
    layout_->addWidget(label);
    layout_->addWidget(sample, 0, alignment);
}

void GalleryBoard::addStretch() {
    layout_->addStretch(1);
}

void GalleryBoard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), background_.resolved());
}
