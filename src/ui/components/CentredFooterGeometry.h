#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>

#include <functional>
#include <optional>

// Where the two controls of a footer row go: the last at the trailing edge, the first centred
// in the whole row as long as it stays `gap` clear of the last, else pushed towards the leading
// edge, and offered only the width left beside the last (a first control that adapts to its
// offered width may then take a narrower form). Items between the first and the last are not
// placed.
namespace CentredFooterGeometry {

// The ideal widths plus one gap between neighbours (the proposed width instead, when given) by
// the tallest ideal height.
QSizeF sizeThatFits(const QList<QSizeF>& ideal, double gap, std::optional<double> width);

struct Placement {
    std::optional<QRectF> first;
    std::optional<QRectF> last;
};
// `count` items; `lastIdeal` is the last item's ideal size; `firstSizeFor` answers the first
// item's size when offered a width (a fixed item returns its ideal size whatever the offer).
Placement place(const QRectF& bounds, double gap, int count, QSizeF lastIdeal,
                const std::function<QSizeF(double offeredWidth)>& firstSizeFor);

} // namespace CentredFooterGeometry
