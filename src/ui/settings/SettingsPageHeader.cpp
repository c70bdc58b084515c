// The bar of a pushed settings page.
#include "SettingsPageHeader.h"

#include "ui/components/Accessibility.h"
#include "ui/components/SymbolButton.h"
#include "ui/components/TextLabel.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QGridLayout>
#include <QPainter>

SettingsPageHeader::SettingsPageHeader(const QString& title, QWidget* parent) : QWidget(parent) {
    // Title and button share one cell, so the title stays centred whatever the button's width.
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    auto* text = new TextLabel(title, DesignFont::system(17, QFont::DemiBold),
                               Theme::Colour::onSurface, this);
    Accessibility::apply(text, {title, {}, {}, AccessibleTrait::header, {}});
    layout->addWidget(text, 0, 0, Qt::AlignCenter);
    auto* back = new SymbolButton(QStringLiteral("chevron.backward"), 17, Theme::Colour::primary,
                                  tr("Back"), this);
    connect(back, &QAbstractButton::clicked, this, &SettingsPageHeader::backRequested);
    layout->addWidget(back, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SettingsPageHeader::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::Colour::background.resolved());
    QColor line = Theme::Colour::outlineVariant.resolved();
    line.setAlphaF(0.4);
    painter.fillRect(QRectF(0, height() - 0.5, width(), 0.5), line);
}
