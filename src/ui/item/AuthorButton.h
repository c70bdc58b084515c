#pragma once

#include "model/PersonDisplay.h"
#include "ui/components/PaintedButton.h"

#include <QImage>

// Another person's badge beside their note: their photo or initials in a 28-point circle, in a
// 44 by 44 square that takes clicks (it opens the name kept for them).
class AuthorButton : public PaintedButton {
    Q_OBJECT
public:
    AuthorButton(const PersonDisplay::Resolved& display, const QString& accessibleLabel,
                 QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintFace(QPainter& painter) override;
    QPainterPath focusShape() const override;

private:
    PersonDisplay::Resolved display_;
    QImage photo_;
};
