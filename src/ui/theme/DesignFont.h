#pragma once

#include <QFont>

#include <optional>

// The platform's named text styles. Their sizes never follow the text scale.
enum class TextStyle {
    largeTitle,
    title,
    title2,
    title3,
    headline,
    body,
    callout,
    subheadline,
    footnote,
    caption
};

// Whether a design size is multiplied by the text-scale factor.
enum class FontScaling { scaled, fixed };

// Fonts from design sizes. A design size is in points of a 72-dpi design, where one point is one
// logical pixel; Qt's point sizes assume 96 logical dpi, so a 15-point design size is a Qt point
// size of 11.25. Every font of the screens is made here so that conversion happens once.
namespace DesignFont {

inline constexpr double designDpi = 72.0;
inline constexpr double qtLogicalDpi = 96.0;

// The Qt point size that draws a design size at its design height.
double qtPointSize(double designPoints);
// The design size after the text scale: base × Theme::textScaleFactor() when scaled.
double designSize(double base, FontScaling scaling);
// The design size of a text style (the desktop platform's sizes: body 13, title 22, …).
double styleSize(TextStyle style);

// The system font at a design size; the size is read from the text scale when called, so a
// widget sizes its fonts when it is built.
QFont system(double base, QFont::Weight weight = QFont::Normal,
             FontScaling scaling = FontScaling::scaled);
// The monospaced faces are this family (installed with the program's fonts), else the system's
// fixed font.
QString monospacedFamily();
QFont monospaced(double base, QFont::Weight weight = QFont::Normal,
                 FontScaling scaling = FontScaling::scaled);
// A text style; headline is semibold unless a weight is given.
QFont style(TextStyle style, std::optional<QFont::Weight> weight = std::nullopt);
// The small headings of the screens (group names, "COMPLETED", section titles): 12 points ×
// the text scale, medium, monospaced.
QFont smallHeading();
// The brand font (Hanken Grotesk SemiBold) when it is installed, else the system font semibold.
QFont brand(double base, FontScaling scaling);

// Sets a design size on any font.
void setDesignSize(QFont& font, double designPoints);

} // namespace DesignFont
