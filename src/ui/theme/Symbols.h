#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QPixmap>
#include <QRectF>
#include <QString>

class QPainter;

// A glyph of the symbol font, with a slash painted over it for the few symbols the font lacks
// in a slashed form (an unpinned pin, an unstarred star).
struct SymbolGlyph {
    char32_t codepoint = 0;
    bool slashed = false;

    bool operator==(const SymbolGlyph&) const = default;
};

// The screens name their symbols the way the design does ("gearshape", "pin.slash", a list's
// icon such as "cart"); this table gives each its Material Icons glyph. A name the table lacks
// draws as the "checklist" glyph, so a list icon from a newer device still shows something.
namespace Symbols {

inline const QString fontFamily = QStringLiteral("Material Icons");
inline const QString fontPath = QStringLiteral(
    "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf");
inline const QString fallbackName = QStringLiteral("checklist");

const QHash<QString, SymbolGlyph>& table();
bool knows(const QString& name);
// The glyph of a name; the "checklist" glyph for a name the table lacks.
SymbolGlyph glyph(const QString& name);

// Makes sure the symbol font is known to Qt (fontconfig normally has it; this also loads the
// file when it is not in fontconfig's cache). Never fails.
void ensureFontRegistered();
// The symbol font at the size that draws a glyph as large as a design symbol of `designPoints`.
QFont font(double designPoints);

// Draws a symbol centred in `box`.
void paint(QPainter& painter, const QRectF& box, const QString& name, double designPoints,
           const QColor& colour);
// The symbol on a transparent square pixmap, for icons of actions and menus.
QPixmap pixmap(const QString& name, double designPoints, const QColor& colour,
               qreal devicePixelRatio = 1.0);

} // namespace Symbols
