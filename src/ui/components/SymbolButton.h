#pragma once

#include "PaintedButton.h"
#include "ui/theme/DynamicColour.h"

#include <optional>

// An icon button: a symbol centred in a 44 by 44 square that takes clicks over its whole area,
// optionally on a filled circle. Its accessible label names the action.
class SymbolButton : public PaintedButton {
    Q_OBJECT
public:
    SymbolButton(const QString& symbol, double designPoints, DynamicColour colour,
                 const QString& accessibleLabel, QWidget* parent = nullptr);

    void setSymbol(const QString& symbol);
    void setColour(DynamicColour colour);
    // A filled circle behind the symbol, or none.
    void setCircle(std::optional<DynamicColour> fill);

    QSize sizeHint() const override;

protected:
    void paintFace(QPainter& painter) override;
    QPainterPath focusShape() const override;
    bool fillsFocusShape() const override { return circle_.has_value(); }

private:
    QString symbol_;
    double designPoints_;
    DynamicColour colour_;
    std::optional<DynamicColour> circle_;
};
