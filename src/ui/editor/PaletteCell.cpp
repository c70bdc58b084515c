// The icon and colour cells of the list editor.
#include "PaletteCell.h"

#include "ui/theme/ListPalette.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int iconCell = 44;
constexpr int colourCell = 36;
constexpr double bodySymbol = 17;
} // namespace

PaletteCell::PaletteCell(Kind kind, const QString& value, const QString& label,
                         const ListColour& colour)
    : kind_(kind), value_(value), label_(label), colour_(colour) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusGround(Theme::Colour::card); // the cells stand in the editor's section cards
    setChosen(false, colour);
}

PaletteCell* PaletteCell::icon(const QString& symbol, const QString& accessibleLabel) {
    return new PaletteCell(Kind::icon, symbol, accessibleLabel, ListColour::blue());
}

PaletteCell* PaletteCell::colour(const ListColour& colour) {
    return new PaletteCell(Kind::colour, colour.id, colour.name, colour);
}

void PaletteCell::setChosen(bool chosen, const ListColour& tint) {
    chosen_ = chosen;
    if (kind_ == Kind::icon)
        colour_ = tint;
    AccessibleSpec spec{label_, {}, {}, {}, {}};
    if (chosen)
        spec.traits |= AccessibleTrait::selected;
    setAccessible(spec);
    update();
}

QSize PaletteCell::sizeHint() const {
    const int side = kind_ == Kind::icon ? iconCell : colourCell;
    return {side, side};
}

QPainterPath PaletteCell::focusShape() const {
    QPainterPath path;
    const QRectF box = QRectF(rect()).adjusted(1, 1, -1, -1);
    if (kind_ == Kind::icon)
        path.addRoundedRect(box, 8, 8);
    else
        path.addEllipse(box);
    return path;
}

void PaletteCell::paintFace(QPainter& painter) {
    const QRectF box(rect());
    if (kind_ == Kind::icon) {
        QPainterPath shape;
        shape.addRoundedRect(box, 8, 8);
        painter.fillPath(shape, chosen_ ? ListPalette::colour(colour_).resolved()
                                        : Theme::Colour::chip.resolved());
        Symbols::paint(painter, box, value_, bodySymbol,
                       chosen_ ? QColor(Qt::white) : Theme::Colour::onSurface.resolved());
        return;
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(ListPalette::colour(colour_).resolved());
    painter.drawEllipse(box);
    if (chosen_)
        Symbols::paint(painter, box, QStringLiteral("checkmark"), 15, QColor(Qt::white));
}
