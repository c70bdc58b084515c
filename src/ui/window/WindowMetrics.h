#pragma once

#include <QSize>

// The window's sizes, in design points (one point is one device-independent pixel here).
namespace WindowMetrics {
// A new window opens at this size.
inline constexpr QSize defaultSize{1180, 800};
// The window cannot be made smaller than its content's minimum.
inline constexpr QSize minimumContentSize{820, 560};
// The lists column beside the open list: it starts at its ideal width and stays within its
// minimum and maximum while the divider is dragged.
inline constexpr int sidebarMinimumWidth = 260;
inline constexpr int sidebarIdealWidth = 300;
inline constexpr int sidebarMaximumWidth = 420;
// The open list's column is never narrower than this.
inline constexpr int detailMinimumWidth = 400;
} // namespace WindowMetrics
