#pragma once

#include "ui/components/PaintedButton.h"

// A setting that is on or off: its title at the leading edge and a switch at the trailing edge.
// The whole row takes clicks; the switch is tinted with the theme's primary colour when on.
class SwitchRow : public PaintedButton {
    Q_OBJECT
public:
    explicit SwitchRow(const QString& title, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintFace(QPainter& painter) override;
    void checkStateSet() override;

private:
    void updateAccessible();

    QString title_;
};
