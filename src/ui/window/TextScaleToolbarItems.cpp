#include "ui/window/TextScaleToolbarItems.h"

#include "platform/Defaults.h"
#include "ui/components/SymbolButton.h"
#include "ui/theme/ThemeColour.h"
#include "ui/window/TextScaleControls.h"

#include <QHBoxLayout>

namespace {
// Toolbar symbols keep their size at every text scale.
constexpr double symbolPoints = 18;
} // namespace

TextScaleToolbarItems::TextScaleToolbarItems(Defaults& defaults, QWidget* parent)
    : QWidget(parent), defaults_(defaults) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    QList<QAbstractButton*> made;
    for (const TextScaleControls::Button& button : TextScaleControls::buttons(
             TextScale::stored(defaults_), TextScaleControls::Form::screen)) {
        auto* widget = new SymbolButton(button.symbol, symbolPoints, Theme::Colour::primary,
                                        button.accessibilityLabel, this);
        widget->setToolTip(button.toolTip);
        const TextScaleControls::Direction direction = button.direction;
        connect(widget, &QAbstractButton::clicked, this,
                [this, direction] { TextScaleControls::press(direction, defaults_); });
        layout->addWidget(widget);
        made.append(widget);
    }
    smaller_ = made.at(0);
    bigger_ = made.at(1);
    connect(&defaults_, &Defaults::changed, this, [this](const QString& key) {
        if (key == TextScale::key)
            refresh();
    });
    refresh();
}

TextScaleToolbarItems* TextScaleToolbarItems::make(bool visible, Defaults& defaults,
                                                   QWidget* parent) {
    return visible ? new TextScaleToolbarItems(defaults, parent) : nullptr;
}

void TextScaleToolbarItems::refresh() {
    const QList<TextScaleControls::Button> buttons =
        TextScaleControls::buttons(TextScale::stored(defaults_), TextScaleControls::Form::screen);
    smaller_->setEnabled(buttons.at(0).enabled);
    bigger_->setEnabled(buttons.at(1).enabled);
}
