// The lists page's bottom row.
#include "ListsFooter.h"

#include "ListsScreenModel.h"
#include "ui/components/CentredFooterLayout.h"
#include "ui/components/FloatingAddButton.h"
#include "ui/components/NewGroupPill.h"
#include "ui/theme/ThemeColour.h"

#include <QPainter>

ListsFooter::ListsFooter(QWidget* parent)
    : QWidget(parent), pill_(new NewGroupPill(false, this)),
      add_(new FloatingAddButton(ListsScreenModel::newListLabel(), false, this)) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* layout = new CentredFooterLayout(gap, this);
    layout->setContentsMargins(16, 8, 16, 8);
    layout->addWidget(pill_);
    layout->addWidget(add_);
    // The pill takes its full form where the width it is offered holds it, else its icon.
    layout->setFirstSize([this](double offered) {
        pill_->setIconOnly(pill_->fullWidth() > offered);
        return QSizeF(pill_->sizeHint());
    });
    connect(pill_, &QAbstractButton::clicked, this, &ListsFooter::newGroupRequested);
    connect(add_, &QAbstractButton::clicked, this, &ListsFooter::newListRequested);
}

void ListsFooter::setPillShown(bool shown) {
    pill_->setVisible(shown);
}

void ListsFooter::setFloating(bool floating) {
    floating_ = floating;
    layout()->setContentsMargins(floating ? QMargins(16, 16, 16, 16) : QMargins(16, 8, 16, 8));
    update();
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
