#pragma once

#include "ui/components/PaintedButton.h"

// The "Group" chip of the tag filter bar: a capsule with the stack symbol and the word, filled
// with the primary colour while the items are grouped by tag.
class GroupChip : public PaintedButton {
    Q_OBJECT

public:
    GroupChip(bool grouping, const QString& accessibilityLabel, QWidget* parent = nullptr);
    // A screen reader is told only of what changed.
    void setGrouping(bool grouping, const QString& accessibilityLabel);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintFace(QPainter& painter) override;
    QPainterPath focusShape() const override;
    bool fillsFocusShape() const override { return grouping_; }

private:
    bool grouping_;
};
