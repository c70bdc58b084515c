#pragma once

#include "model/ListColour.h"
#include "ui/components/PaintedButton.h"

// A cell of the list editor's icon grid (a symbol on a rounded square: white on the list's
// colour when chosen, plain on the chip colour otherwise) or of its colour grid (a circle of a
// palette colour, with a check mark when chosen).
class PaletteCell : public PaintedButton {
    Q_OBJECT
public:
    static PaletteCell* icon(const QString& symbol, const QString& accessibleLabel);
    static PaletteCell* colour(const ListColour& colour);

    const QString& value() const { return value_; } // the symbol or the colour id
    void setChosen(bool chosen, const ListColour& tint);
    bool isChosen() const { return chosen_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintFace(QPainter& painter) override;
    QPainterPath focusShape() const override;
    // A chosen icon's square and every colour's circle are in list colours, some as dark as the
    // ring: a band of the card keeps them apart.
    bool fillsFocusShape() const override { return true; }

private:
    enum class Kind { icon, colour };
    PaletteCell(Kind kind, const QString& value, const QString& label, const ListColour& colour);

    Kind kind_;
    QString value_;
    QString label_;
    ListColour colour_; // a colour cell's own, or an icon cell's tint when chosen
    bool chosen_ = false;
};
