#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>

#include <optional>

// Where a flow of items goes: left to right at their ideal sizes, a new line when the next
// item would pass the width. `spacing` is both the gap after each item on a line and the gap
// between lines. An item alone on its line never wraps, even when it is wider than the width:
// it overflows. Items on a line are top-aligned.
namespace FlowGeometry {

// The size needed for `ideal` sizes within `width` (unbounded when none). Unbounded, it is one
// line whose width counts one spacing after every item, the last included.
QSizeF sizeThatFits(const QList<QSizeF>& ideal, double spacing, std::optional<double> width);
// Each item's frame within `bounds`, in order.
QList<QRectF> place(const QList<QSizeF>& ideal, double spacing, const QRectF& bounds);

} // namespace FlowGeometry
