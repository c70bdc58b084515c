// The flow layout's arithmetic.
#include "FlowGeometry.h"

#include <limits>

namespace FlowGeometry {

QSizeF sizeThatFits(const QList<QSizeF>& ideal, double spacing, std::optional<double> width) {
    const double maxWidth = width.value_or(std::numeric_limits<double>::infinity());
    double x = 0;
    double y = 0;
    double lineHeight = 0;
    for (const QSizeF& size : ideal) {
        if (x > 0 && x + size.width() > maxWidth) {
            y += lineHeight + spacing;
            x = 0;
            lineHeight = 0;
        }
        x += size.width() + spacing;
        lineHeight = qMax(lineHeight, size.height());
    }
    return {width ? *width : x, y + lineHeight};
}

QList<QRectF> place(const QList<QSizeF>& ideal, double spacing, const QRectF& bounds) {
    QList<QRectF> frames;
    frames.reserve(ideal.size());
    double x = bounds.left();
    double y = bounds.top();
    double lineHeight = 0;
    for (const QSizeF& size : ideal) {
        if (x > bounds.left() && x + size.width() > bounds.right()) {
            x = bounds.left();
            y += lineHeight + spacing;
            lineHeight = 0;
        }
        frames.append(QRectF(QPointF(x, y), size));
        x += size.width() + spacing;
        lineHeight = qMax(lineHeight, size.height());
    }
    return frames;
}

} // namespace FlowGeometry
