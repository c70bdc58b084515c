#pragma once

// Small fixed facts of the desktop window that the screens share.

// Whether the lists are being rearranged; the lists screen owns the value, rows read it.
enum class EditMode { inactive, active };

namespace PlatformChrome {

// The sidebar column of the split window.
inline constexpr int sidebarMinimumWidth = 260;
inline constexpr int sidebarIdealWidth = 300;
inline constexpr int sidebarMaximumWidth = 420;
// The smallest window content; its height is otherwise free.
inline constexpr int windowMinimumWidth = 820;
inline constexpr int windowMinimumHeight = 560;
// Icon buttons take clicks over this square, larger than their symbol.
inline constexpr int hitSide = 44;
// Content keeps to a column this wide at most, centred in wider windows.
inline constexpr int readingColumnWidth = 640;

} // namespace PlatformChrome
