#pragma once

#include <QProxyStyle>

// The style of every window: Fusion, which paints the same on every desktop and takes the
// palette whole, with the program's focus ring on the push buttons it paints (an alert's, a
// question's). Fusion shows the button an alert opens on only by the 1-pixel outline of a
// default button, in a darkened highlight that in the dark look stands out less than 3:1 from
// the button's face; the ring every other control wears (2 pixels of the primary colour) stands
// out from the face and from the alert around the button in both looks.
class ThemeStyle : public QProxyStyle {
    Q_OBJECT
public:
    ThemeStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};
