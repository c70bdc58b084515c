// Fitting the kept window to the screens.
#include "ui/window/WindowPlacement.h"

#include "ui/theme/PlatformChrome.h"
#include "ui/window/WindowMetrics.h"

#include <algorithm>

namespace WindowPlacement {

int screenFor(const QRect& frame, const QList<QRect>& screens) {
    if (screens.isEmpty())
        return -1;
    for (qsizetype i = 0; i < screens.size(); ++i)
        if (screens[i].contains(frame.center()))
            return int(i);
    int best = 0;
    qint64 bestArea = 0;
    for (qsizetype i = 0; i < screens.size(); ++i) {
        const QRect shared = screens[i].intersected(frame);
        const qint64 area = qint64(shared.width()) * shared.height();
        if (area > bestArea) {
            best = int(i);
            bestArea = area;
        }
    }
    return best;
}

namespace {

// One axis: the extent no larger than the room but at least `least`, and the start moved the
// least so that the span lies in the room (its start in it when it is too long).
std::pair<int, int> fit(int start, int extent, int roomStart, int roomExtent, int least) {
    extent = std::max(std::min(extent, roomExtent), least);
    const int roomEnd = roomStart + roomExtent;
    if (start + extent > roomEnd)
        start = roomEnd - extent;
    if (start < roomStart)
        start = roomStart;
    return {start, extent};
}

} // namespace

QRect fitted(const QRect& frame, const QRect& available, const QSize& minimum) {
    if (!available.isValid())
        return frame;
    const auto [x, width] =
        fit(frame.x(), frame.width(), available.x(), available.width(), minimum.width());
    const auto [y, height] =
        fit(frame.y(), frame.height(), available.y(), available.height(), minimum.height());
    return {x, y, width, height};
}

int sidebarWidth(int kept, int splitWidth, int handleWidth) {
    const int room = splitWidth - handleWidth - WindowMetrics::detailMinimumWidth;
    const int most = std::min(PlatformChrome::sidebarMaximumWidth, room);
    return std::max(std::min(kept, most), PlatformChrome::sidebarMinimumWidth);
}

} // namespace WindowPlacement
