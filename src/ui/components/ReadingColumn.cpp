// The reading column.
#include "ReadingColumn.h"

#include "ui/theme/PlatformChrome.h"

#include <QPainter>

ReadingColumn::ReadingColumn(QWidget* content, DynamicColour background, QWidget* parent)
    : QWidget(parent), content_(content), background_(background) {
    content_->setParent(this);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QRect ReadingColumn::columnRect(const QRect& outer) {
    const int width = qMin(outer.width(), PlatformChrome::readingColumnWidth);
    return {outer.left() + (outer.width() - width) / 2, outer.top(), width, outer.height()};
}

QSize ReadingColumn::sizeHint() const {
    return content_->sizeHint();
}

QSize ReadingColumn::minimumSizeHint() const {
    return content_->minimumSizeHint();
}

void ReadingColumn::resizeEvent(QResizeEvent*) {
    content_->setGeometry(columnRect(rect()));
}

void ReadingColumn::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), background_.resolved());
}
