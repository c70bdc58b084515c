#pragma once

#include "PaintedButton.h"

// The round add button with a shadow that sits in a corner of a page. Inactive only greys it:
// a press still runs its action.
class FloatingAddButton : public PaintedButton {
    Q_OBJECT
public:
    FloatingAddButton(const QString& accessibleLabel, bool inactive = false,
                      QWidget* parent = nullptr);

    bool isInactive() const { return inactive_; }
    void setInactive(bool inactive);
    QSize sizeHint() const override { return {56, 56}; }

protected:
    void paintFace(QPainter& painter) override;
    QPainterPath focusShape() const override;
    bool fillsFocusShape() const override { return true; }

private:
    bool inactive_;
};
