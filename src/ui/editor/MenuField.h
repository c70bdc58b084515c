#pragma once

#include "ui/components/PaintedButton.h"

// A drop-down's face: the current value at the leading edge, up-and-down chevrons at the
// trailing edge. A click announces clicked(); the owner opens the menu under it.
class MenuField : public PaintedButton {
    Q_OBJECT
public:
    explicit MenuField(QWidget* parent = nullptr);

    void setValue(const QString& value, const QString& accessibleLabel);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintFace(QPainter& painter) override;

private:
    QString value_;
};
