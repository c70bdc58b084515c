// The settings sheet's header bar.
#include "SettingsHeaderBar.h"

#include "Accessibility.h"
#include "TextButton.h"
#include "TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QGridLayout>
#include <QPainter>

SettingsHeaderBar::SettingsHeaderBar(QWidget* parent) : QWidget(parent) {
    // Title and button share one grid cell: the title centred in the whole bar, the button
    // at its trailing edge over it.
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    auto* title = new TextLabel(tr("Settings"), DesignFont::system(22, QFont::DemiBold),
                                Theme::Colour::onBrand, this);
    Accessibility::apply(title, {title->text(), {}, {}, AccessibleTrait::header, {}});
    layout->addWidget(title, 0, 0, Qt::AlignCenter);
    auto* done = new TextButton(tr("Done"),
                                {DesignFont::system(15, QFont::DemiBold), Theme::Colour::brand,
                                 QMargins(16, 6, 16, 6), 0, Theme::Colour::onBrand},
                                this);
    // The primary ring would hardly show on the bar: a white one, apart from the white capsule
    // by a band of the bar's colour.
    done->setFocusRingColour(Theme::Colour::onBrand);
    done->setFocusGround(Theme::Colour::brand);
    connect(done, &QAbstractButton::clicked, this, &SettingsHeaderBar::doneRequested);
    layout->addWidget(done, 0, 0, Qt::AlignRight | Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SettingsHeaderBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::Colour::brand.resolved());
}
