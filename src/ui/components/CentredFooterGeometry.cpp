// The footer row's arithmetic.
#include "CentredFooterGeometry.h"

namespace CentredFooterGeometry {

QSizeF sizeThatFits(const QList<QSizeF>& ideal, double gap, std::optional<double> width) {
    double natural = 0;
    double height = 0;
    for (const QSizeF& size : ideal) {
        natural += size.width();
        height = qMax(height, size.height());
    }
    if (!ideal.isEmpty())
        natural += gap * double(ideal.size() - 1);
    return {width ? *width : natural, height};
}

Placement place(const QRectF& bounds, double gap, int count, QSizeF lastIdeal,
                const std::function<QSizeF(double offeredWidth)>& firstSizeFor) {
    Placement placement;
    if (count <= 0)
        return placement;
    const double midY = bounds.center().y();
    placement.last = QRectF(bounds.right() - lastIdeal.width(), midY - lastIdeal.height() / 2,
                            lastIdeal.width(), lastIdeal.height());
    if (count < 2)
        return placement;
    const double available = qMax(bounds.width() - lastIdeal.width() - gap, 0.0);
    const QSizeF answer = firstSizeFor(available);
    const double firstWidth = qMin(available, answer.width());
    // Centred in the whole row, not in the part beside the last item.
    const double centred = (bounds.width() - firstWidth) * 0.5;
    const double offset = qMax(0.0, qMin(centred, available - firstWidth));
    placement.first =
        QRectF(bounds.left() + offset, midY - answer.height() / 2, firstWidth, answer.height());
    return placement;
}

} // namespace CentredFooterGeometry
