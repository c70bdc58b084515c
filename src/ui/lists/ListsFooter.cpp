// The lists page's bottom row and its centred layout.
#include "ListsFooter.h"

#include "ListsScreenModel.h"
#include "NewGroupPill.h"
#include "ui/components/FloatingAddButton.h"
#include "ui/theme/ThemeColour.h"

#include <QPainter>

ListsFooter::ListsFooter(QWidget* parent)
    : QWidget(parent), pill_(new NewGroupPill(this)),
      add_(new FloatingAddButton(ListsScreenModel::newListLabel(), false, this)) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(pill_, &QAbstractButton::clicked, this, &ListsFooter::newGroupRequested);
    connect(add_, &QAbstractButton::clicked, this, &ListsFooter::newListRequested);
}

QMargins ListsFooter::padding() const {
    return floating_ ? QMargins(16, 16, 16, 16) : QMargins(16, 8, 16, 8);
}

QSize ListsFooter::sizeHint() const {
    const QMargins m = padding();
    const int height = std::max(add_->sizeHint().height(), pill_->sizeHint().height());
    return {pill_->fullWidth() + gap + add_->sizeHint().width() + m.left() + m.right(),
            height + m.top() + m.bottom()};
}

void ListsFooter::setPillShown(bool shown) {
    pill_->setVisible(shown);
    place();
}

void ListsFooter::setFloating(bool floating) {
    floating_ = floating;
    updateGeometry();
    place();
    update();
}

void ListsFooter::resizeEvent(QResizeEvent*) {
    place();
}

void ListsFooter::place() {
    const QRect row = rect().marginsRemoved(padding());
    const QSize last = add_->sizeHint();
    add_->setGeometry(row.right() + 1 - last.width(), row.center().y() - last.height() / 2 + 1,
                      last.width(), last.height());
    if (pill_->isHidden())
        return;
    // The pill is offered the width beside the add button; the full form when it fits there.
    const int available = std::max(row.width() - last.width() - gap, 0);
    pill_->setIconOnly(pill_->fullWidth() > available);
    const int width = std::min(available, pill_->sizeHint().width());
    // Centred in the whole row, but never into the gap before the add button.
    const int centred = (row.width() - width) / 2;
    const int offset = std::max(0, std::min(centred, available - width));
    const int height = pill_->sizeHint().height();
    pill_->setGeometry(row.left() + offset, row.center().y() - height / 2 + 1, width, height);
}

void ListsFooter::paintEvent(QPaintEvent*) {
    if (floating_)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), Theme::Colour::sidebarSurface.resolved());
    QColor hairline = Theme::Colour::outlineVariant.resolved();
    hairline.setAlphaF(0.4);
    painter.setPen(QPen(hairline, 1));
    painter.drawLine(0, 0, width(), 0);
}
