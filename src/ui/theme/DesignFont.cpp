// Design sizes to Qt fonts, with the text scale applied where the design says it scales.
#include "DesignFont.h"

#include "BrandFont.h"
#include "Theme.h"

#include <QFontDatabase>

namespace DesignFont {

double qtPointSize(double designPoints) {
    return designPoints * designDpi / qtLogicalDpi;
}

double designSize(double base, FontScaling scaling) {
    return scaling == FontScaling::scaled ? base * Theme::textScaleFactor() : base;
}

double styleSize(TextStyle style) {
    switch (style) {
    case TextStyle::largeTitle:
        return 26;
    case TextStyle::title:
        return 22;
    case TextStyle::title2:
        return 17;
    case TextStyle::title3:
        return 15;
    case TextStyle::headline:
    case TextStyle::body:
        return 13;
    case TextStyle::callout:
        return 12;
    case TextStyle::subheadline:
        return 11;
    case TextStyle::footnote:
    case TextStyle::caption:
        break;
    }
    return 10;
}

void setDesignSize(QFont& font, double designPoints) {
    font.setPointSizeF(qtPointSize(designPoints));
}

QFont system(double base, QFont::Weight weight, FontScaling scaling) {
    QFont font;
    setDesignSize(font, designSize(base, scaling));
    font.setWeight(weight);
    return font;
}

QString monospacedFamily() {
    return QStringLiteral("DejaVu Sans Mono");
}

QFont monospaced(double base, QFont::Weight weight, FontScaling scaling) {
    // Chosen by name: the system's fixed font is fontconfig's "monospace", which resolves to
    // another face on every desktop, on some not even to a fixed-pitch one.
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFamilies({monospacedFamily(), font.family()});
    font.setStyleHint(QFont::Monospace);
    setDesignSize(font, designSize(base, scaling));
    font.setWeight(weight);
    return font;
}

QFont style(TextStyle textStyle, std::optional<QFont::Weight> weight) {
    const QFont::Weight standard =
        textStyle == TextStyle::headline ? QFont::DemiBold : QFont::Normal;
    return system(styleSize(textStyle), weight.value_or(standard), FontScaling::fixed);
}

QFont smallHeading() {
    return monospaced(12, QFont::Medium);
}

QFont brand(double base, FontScaling scaling) {
    const std::optional<QString> family = BrandFont::family();
    if (!family)
        return system(base, QFont::DemiBold, scaling);
    QFont font(*family);
    setDesignSize(font, designSize(base, scaling));
    font.setWeight(QFont::DemiBold);
    return font;
}

} // namespace DesignFont
