#pragma once

#include <optional>

// How wide the window's content is, in the two classes the layout rule needs. A desktop window
// is always regular; compact is kept for a narrow host.
enum class HorizontalSizeClass { compact, regular };

// Two columns (the lists beside the open list) or one stack (the lists, with the open list
// pushed on top of them).
enum class PaneLayout {
    stack,
    split,
};

namespace PaneLayouts {
// Split exactly when the size class is known and regular.
PaneLayout decide(std::optional<HorizontalSizeClass> horizontalSizeClass);
} // namespace PaneLayouts
