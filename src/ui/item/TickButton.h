#pragma once

#include "ui/components/PaintedButton.h"

// The item editor's round tick: a 24-point ring in the primary colour, filled with a check mark
// when the item is done, in a 44 by 44 square that takes clicks.
class TickButton : public PaintedButton {
    Q_OBJECT
public:
    explicit TickButton(QWidget* parent = nullptr);

    void setDone(bool done, const QString& accessibleLabel);
    bool isDone() const { return done_; }

    QSize sizeHint() const override;

protected:
    void paintFace(QPainter& painter) override;
    QPainterPath focusShape() const override;

private:
    bool done_ = false;
};
