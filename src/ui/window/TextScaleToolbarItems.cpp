#include "ui/window/TextScaleToolbarItems.h"

#include "ui/components/SymbolButton.h"
#include "ui/theme/ThemeColour.h"
#include "ui/window/TextScaleControls.h"
#include "ui/window/TextScaleSetting.h"

#include <QHBoxLayout>

namespace {
// Toolbar symbols keep their size at every text scale.
constexpr double symbolPoints = 18;
} // namespace

TextScaleToolbarItems::TextScaleToolbarItems(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    QList<QAbstractButton*> made;
    for (const TextScaleControls::Button& button : TextScaleControls::buttons(
             TextScaleSetting::shared().current(), TextScaleControls::Form::screen)) {
        auto* widget = new SymbolButton(button.symbol, symbolPoints, Theme::Colour::primary,
                                        button.accessibilityLabel, this);
        widget->setToolTip(button.toolTip);
        const TextScaleControls::Direction direction = button.direction;
        connect(widget, &QAbstractButton::clicked, this,
                [direction] { TextScaleControls::press(direction); });
        layout->addWidget(widget);
        made.append(widget);
    }
    smaller_ = made.at(0);
    bigger_ = made.at(1);
    connect(&TextScaleSetting::shared(), &TextScaleSetting::changed, this,
            &TextScaleToolbarItems::refresh);
    refresh();
}

TextScaleToolbarItems* TextScaleToolbarItems::make(bool visible, QWidget* parent) {
    return visible ? new TextScaleToolbarItems(parent) : nullptr;
}

void TextScaleToolbarItems::refresh() {
    const QList<TextScaleControls::Button> buttons = TextScaleControls::buttons(
        TextScaleSetting::shared().current(), TextScaleControls::Form::screen);
    smaller_->setEnabled(buttons.at(0).enabled);
    bigger_->setEnabled(buttons.at(1).enabled);
}
