// The reading column.
#include "ReadingColumn.h"

#include "ui/theme/PlatformChrome.h"

#include <QEvent>
#include <QPainter>

ReadingColumn::ReadingColumn(QWidget* content, DynamicColour background, QWidget* parent)
    : QWidget(parent), content_(content), background_(background) {
    content_->setParent(this);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // QScrollArea asks the policy, not hasHeightForWidth(), of a widget without a layout.
    policy.setHeightForWidth(content_->hasHeightForWidth());
    setSizePolicy(policy);
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

bool ReadingColumn::hasHeightForWidth() const {
    return content_->hasHeightForWidth();
}

int ReadingColumn::heightForWidth(int width) const {
    return content_->heightForWidth(qMin(width, PlatformChrome::readingColumnWidth));
}

bool ReadingColumn::event(QEvent* event) {
    // The content's size changed (a text unfolded): whoever lays the column out asks again.
    if (event->type() == QEvent::LayoutRequest)
        updateGeometry();
    return QWidget::event(event);
}

void ReadingColumn::resizeEvent(QResizeEvent*) {
    content_->setGeometry(columnRect(rect()));
}

void ReadingColumn::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), background_.resolved());
}
