#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRectF>

class QPainter;

// The program's own mark: a small bird whose wing is a tick. One colour, drawn in whatever
// colour the caller gives (the brand header draws it white).
namespace BrandMark {

// The mark's outline, with the eye and the tick cut out, in its own units.
const QPainterPath& path();
// Width over height of the mark.
double aspectRatio();
// Draws the mark as large as fits in `box`, centred, keeping its proportions.
void paint(QPainter& painter, const QRectF& box, const QColor& colour);
// The width the mark takes when drawn `height` high.
double widthForHeight(double height);

} // namespace BrandMark
