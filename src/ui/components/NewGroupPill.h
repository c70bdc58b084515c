#pragma once

#include "PaintedButton.h"

// The "New group" pill of the lists pane's footer: a folder symbol and the title on a card
// capsule with an outline and a soft shadow, or the symbol alone in its icon-only form (the
// title stays its accessible name). Never truncated or wrapped: the pane picks the form that
// fits (fullWidth() against the width it can offer).
class NewGroupPill : public PaintedButton {
    Q_OBJECT
public:
    explicit NewGroupPill(bool iconOnly = false, QWidget* parent = nullptr);

    bool isIconOnly() const { return iconOnly_; }
    void setIconOnly(bool iconOnly);

    // The pill's width in each form at the current text scale.
    int fullWidth() const;
    int iconOnlyWidth() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintFace(QPainter& painter) override;
    QPainterPath focusShape() const override;

private:
    double symbolSize() const;

    bool iconOnly_;
};
