#pragma once

#include "AccessibleSpec.h"
#include "ui/theme/DynamicColour.h"

#include <QAbstractButton>
#include <QPainterPath>

#include <optional>

class TextFieldRing;

// The base of the theme's buttons: each paints itself in design colours at paint time. Titles
// are painted as plain text (never through setText(), which would read "&" as a mnemonic), the
// press dims the button, and keyboard focus shows a ring around its shape. A click never gives
// it the focus; Space and Return press it while it has the focus. The ring shows while the focus
// came by the keyboard (or was put there by the program, or by a window opening with the
// keyboard on it), not after a click, and it survives the window going to the back and coming
// again.
class PaintedButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit PaintedButton(QWidget* parent = nullptr);

    // What assistive technology says of the button (its label names the action).
    void setAccessible(const AccessibleSpec& spec);
    // Whether the focus ring is drawn now.
    bool showsFocusRing() const { return hasFocus() && keyboardFocus_; }
    // The ring's colour: the primary colour, unless the button stands on a ground of that hue
    // (the gear on the brand bar).
    void setFocusRingColour(DynamicColour colour);
    // The colour the button stands on: the theme's background unless said otherwise. A face that
    // fills its focus shape keeps a band of it between itself and the ring.
    void setFocusGround(DynamicColour colour);
    // Rings the focus around the button, apart from it, instead of along its edge: for a button
    // whose text reaches its edges (a line of text, a drop-down's value), so that the ring keeps
    // as clear of the text as a text field's does.
    void setFocusRingOutside();

protected:
    // Paints the button's face in `painter`, already antialiased and dimmed while pressed.
    virtual void paintFace(QPainter& painter) = 0;
    // The outline the focus ring follows; the whole rectangle unless overridden.
    virtual QPainterPath focusShape() const;
    // Whether the face fills its focus shape (a disc, a capsule). The ring then keeps a band of
    // the background colour between itself and the fill, so that it shows on any colour.
    virtual bool fillsFocusShape() const { return false; }

    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void followRing();

    bool keyboardFocus_ = false;
    // The focus went with the window or to a menu, and the ring waits for it to come back.
    bool away_ = false;
    std::optional<DynamicColour> ringColour_;
    std::optional<DynamicColour> ground_;
    TextFieldRing* outside_ = nullptr;
};
