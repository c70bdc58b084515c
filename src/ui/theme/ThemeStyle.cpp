// Fusion with the program's focus ring on push buttons.
#include "ThemeStyle.h"

#include "ThemeColour.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

ThemeStyle::ThemeStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

void ThemeStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const {
    // Rung whenever it has the focus: an alert opens with the keyboard on a button, which Fusion
    // then shows only by the outline of a default button.
    if (element != PE_PanelButtonCommand || !(option->state & State_HasFocus)) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // The face as Fusion paints it without the focus (a default button keeps its look), then
    // the ring along the face's edge.
    if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option)) {
        QStyleOptionButton plain(*button);
        plain.state &= ~State_HasFocus;
        QProxyStyle::drawPrimitive(element, &plain, painter, widget);
    } else {
        QStyleOption plain(*option);
        plain.state &= ~State_HasFocus;
        QProxyStyle::drawPrimitive(element, &plain, painter, widget);
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(Theme::Colour::primary.resolved(), 2));
    // Over Fusion's outline and the pixel within it.
    painter->drawRoundedRect(QRectF(option->rect).adjusted(1, 1, -1, -1), 2, 2);
    painter->restore();
}
