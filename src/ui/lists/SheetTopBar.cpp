// The editor sheets' top bar.
#include "SheetTopBar.h"

#include "LabelButton.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QHBoxLayout>
#include <QPainter>

SheetTopBar::SheetTopBar(const Titles& titles, QWidget* parent) : QWidget(parent) {
    using namespace Theme;
    cancel_ = new LabelButton(titles.cancel,
                              {DesignFont::system(17), Colour::primary, QMargins(8, 0, 8, 0), 44});
    confirm_ = new LabelButton(titles.confirm, {DesignFont::system(17, QFont::DemiBold),
                                                Colour::primary, QMargins(8, 0, 8, 0), 44});
    cancel_->setAccessible({titles.cancel, {}, {}, {}, {}});
    confirm_->setAccessible({titles.confirmLabel, {}, {}, {}, {}});
    auto* title =
        new TextLabel(titles.title, DesignFont::system(17, QFont::DemiBold), Colour::onSurface);
    title->setAlignment(Qt::AlignCenter);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(cancel_);
    layout->addWidget(title, 1);
    layout->addWidget(confirm_);
}

void SheetTopBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(Theme::Colour::outlineVariant.resolved(), 1));
    painter.drawLine(0, height() - 1, width(), height() - 1);
}
