// The brand header.
#include "BrandHeader.h"

#include "Accessibility.h"
#include "SymbolButton.h"
#include "TextLabel.h"
#include "ui/theme/BrandMark.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QtMath>

namespace {

// The mark, 21 points high, in the foreground colour of the bar.
class BrandMarkView : public QWidget {
public:
    explicit BrandMarkView(QWidget* parent) : QWidget(parent) {
        setFixedSize(qCeil(BrandMark::widthForHeight(21)), 21);
        Accessibility::hide(this);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        BrandMark::paint(painter, QRectF(rect()), Theme::Colour::onBrand.resolved());
    }
};

} // namespace

BrandHeader::BrandHeader(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 10, 8, 10);
    layout->setSpacing(10);
    layout->addWidget(new BrandMarkView(this), 0, Qt::AlignVCenter);
    auto* name = new TextLabel(tr("Tallybird"), DesignFont::brand(21, FontScaling::fixed),
                               Theme::Colour::onBrand, this);
    Accessibility::apply(name, {name->text(), {}, {}, AccessibleTrait::staticText, {}});
    layout->addWidget(name, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    auto* gear = new SymbolButton(QStringLiteral("gearshape"), 20, Theme::Colour::onBrand,
                                  tr("Settings"), this);
    // The usual ring would hardly show on the brand colour.
    gear->setFocusRingColour(Theme::Colour::onBrand);
    gear_ = gear;
    connect(gear_, &QAbstractButton::clicked, this, &BrandHeader::settingsRequested);
    layout->addWidget(gear_, 0, Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // A heading is found by its name: the program's, as the bar shows it.
    Accessibility::apply(this, {name->text(), {}, {}, AccessibleTrait::header, {}});
}

void BrandHeader::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::Colour::brand.resolved());
}
