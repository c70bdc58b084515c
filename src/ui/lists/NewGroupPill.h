#pragma once

#include "ui/components/PaintedButton.h"

// The "New group" pill of the lists page: the title with a folder symbol on a card-coloured
// capsule with an outline and a soft shadow, 44 points high. Its icon-only form shows just the
// symbol; either way it is announced as "New group".
class NewGroupPill : public PaintedButton {
    Q_OBJECT

public:
    explicit NewGroupPill(QWidget* parent = nullptr);

    bool isIconOnly() const { return iconOnly_; }
    void setIconOnly(bool iconOnly);
    // The width of each form.
    int fullWidth() const;
    int iconOnlyWidth() const;

    QSize sizeHint() const override;

protected:
    void paintFace(QPainter& painter) override;
    QPainterPath focusShape() const override;

private:
    bool iconOnly_ = false;
};
