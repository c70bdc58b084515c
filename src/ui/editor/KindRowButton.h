#pragma once

#include "ui/components/PaintedButton.h"

class TextLabel;

// One row of the Kind section: a radio mark, the kind's name and its explanation, which wraps
// and is never cut off. The whole padded row takes clicks.
class KindRowButton : public PaintedButton {
    Q_OBJECT
public:
    KindRowButton(const QString& name, const QString& explanation, QWidget* parent = nullptr);

    void setChosen(bool chosen);
    bool isChosen() const { return chosen_; }

protected:
    void paintFace(QPainter& painter) override;

private:
    bool chosen_ = false;
};
