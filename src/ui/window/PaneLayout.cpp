#include "ui/window/PaneLayout.h"

namespace PaneLayouts {

PaneLayout decide(std::optional<HorizontalSizeClass> horizontalSizeClass) {
    return horizontalSizeClass == HorizontalSizeClass::regular ? PaneLayout::split
                                                               : PaneLayout::stack;
}

} // namespace PaneLayouts
