#pragma once

#include "AccessibleSpec.h"

#include <QAbstractButton>
#include <QPainterPath>

// The base of the theme's buttons: each paints itself in design colours at paint time. Titles
// are painted as plain text (never through setText(), which would read "&" as a mnemonic), the
// press dims the button, and keyboard focus shows a ring around its shape.
class PaintedButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit PaintedButton(QWidget* parent = nullptr);

    // What assistive technology says of the button (its label names the action).
    void setAccessible(const AccessibleSpec& spec);

protected:
    // Paints the button's face in `painter`, already antialiased and dimmed while pressed.
    virtual void paintFace(QPainter& painter) = 0;
    // The outline the focus ring follows; the whole rectangle unless overridden.
    virtual QPainterPath focusShape() const;

    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool keyboardFocus_ = false;
};
