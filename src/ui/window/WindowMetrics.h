#pragma once

#include "ui/theme/PlatformChrome.h"

#include <QSize>

// The window's own sizes, in design points (one point is one device-independent pixel here).
// The sidebar's widths are PlatformChrome's.
namespace WindowMetrics {
// A new window opens at this size.
inline constexpr QSize defaultSize{1180, 800};
// The window cannot be made smaller than its content's minimum.
inline constexpr QSize minimumContentSize{PlatformChrome::windowMinimumWidth,
                                          PlatformChrome::windowMinimumHeight};
// The open list's column is never narrower than this.
inline constexpr int detailMinimumWidth = 400;
} // namespace WindowMetrics
