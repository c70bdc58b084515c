// The item editor's header bar.
#include "ItemHeaderBar.h"

#include "SymbolButton.h"
#include "TextButton.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QHBoxLayout>
#include <QPainter>

ItemHeaderBar::ItemHeaderBar(bool canDelete, QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(8);
    // The chevron keeps its size at every text scale.
    auto* back = new SymbolButton(QStringLiteral("chevron.backward"), 20, Theme::Colour::primary,
                                  tr("Back"), this);
    back->setCircle(Theme::Colour::chip);
    connect(back, &QAbstractButton::clicked, this, &ItemHeaderBar::backRequested);
    layout->addWidget(back, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    delete_ = new TextButton(tr("Delete item"),
                             {DesignFont::system(15, QFont::DemiBold), Theme::Colour::error,
                              QMargins(16, 0, 16, 0), 44, std::nullopt},
                             this);
    connect(delete_, &QAbstractButton::clicked, this, &ItemHeaderBar::deleteRequested);
    layout->addWidget(delete_, 0, Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCanDelete(canDelete);
}

void ItemHeaderBar::setCanDelete(bool canDelete) {
    delete_->setVisible(canDelete);
}

bool ItemHeaderBar::canDelete() const {
    return !delete_->isHidden();
}

void ItemHeaderBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::Colour::background.resolved());
}
