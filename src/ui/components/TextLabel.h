#pragma once

#include "ui/theme/DynamicColour.h"

#include <QLabel>

// A label for any text, always plain (never HTML), in a design colour resolved when painted.
// Word wrap and height-for-width come from QLabel.
class TextLabel : public QLabel {
    Q_OBJECT
public:
    TextLabel(const QString& text, const QFont& font, DynamicColour colour,
              QWidget* parent = nullptr);

    void setColour(DynamicColour colour);
    DynamicColour colour() const { return colour_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    DynamicColour colour_;
};
