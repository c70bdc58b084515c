// The table of design colours by name.
#include "ThemeColour.h"

namespace Theme::Colour {

const QList<Named>& all() {
    static const QList<Named> named = {
        {QStringLiteral("brand"), brand},
        {QStringLiteral("onBrand"), onBrand},
        {QStringLiteral("primary"), primary},
        {QStringLiteral("onPrimary"), onPrimary},
        {QStringLiteral("accent"), accent},
        {QStringLiteral("onAccent"), onAccent},
        {QStringLiteral("accentBold"), accentBold},
        {QStringLiteral("background"), background},
        {QStringLiteral("card"), card},
        {QStringLiteral("cardMuted"), cardMuted},
        {QStringLiteral("chip"), chip},
        {QStringLiteral("onSurface"), onSurface},
        {QStringLiteral("onSurfaceVariant"), onSurfaceVariant},
        {QStringLiteral("outlineVariant"), outlineVariant},
        {QStringLiteral("error"), error},
        {QStringLiteral("outline"), outline},
        {QStringLiteral("sidebarSurface"), sidebarSurface},
        {QStringLiteral("listsPageSurface"), listsPageSurface},
        {QStringLiteral("inputField"), inputField},
    };
    return named;
}

} // namespace Theme::Colour
