#pragma once

#include "ui/components/PaintedButton.h"

// An offered starter tag: the tag chip and a small cross, at least 44 high; a click removes it.
class RemovableTagChip : public PaintedButton {
    Q_OBJECT
public:
    RemovableTagChip(const QString& tag, const QString& accessibleLabel, QWidget* parent = nullptr);

    const QString& tag() const { return tag_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintFace(QPainter& painter) override;

private:
    QString tag_;
};
