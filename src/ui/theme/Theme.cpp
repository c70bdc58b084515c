// The current appearance and text scale, and the application-wide palette and style.
#include "Theme.h"

#include "BrandFont.h"
#include "DesignFont.h"
#include "Symbols.h"
#include "ThemeColour.h"
#include "ThemeStyle.h"

#include <QApplication>
#include <QWidget>

namespace {
bool dark = false;
double scaleFactor = 1.0;

void applyPalette() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return;
    QApplication::setPalette(Theme::palette(dark));
    // Painted widgets resolve their colours in paintEvent; make sure each one paints again even
    // where the palette change does not reach it (widgets with a palette of their own).
    for (QWidget* widget : QApplication::allWidgets())
        widget->update();
}
} // namespace

namespace Theme {

bool isDark() {
    return dark;
}

void setDark(bool value) {
    if (dark == value)
        return;
    dark = value;
    applyPalette();
}

double textScaleFactor() {
    return scaleFactor;
}

void setTextScaleFactor(double factor) {
    scaleFactor = factor;
}

QPalette palette(bool isDark) {
    auto c = [isDark](const DynamicColour& colour) { return colour.in(isDark); };
    QPalette p;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Window, c(Colour::background));
        p.setColor(group, QPalette::WindowText, c(Colour::onSurface));
        p.setColor(group, QPalette::Base, c(Colour::card));
        p.setColor(group, QPalette::AlternateBase, c(Colour::cardMuted));
        p.setColor(group, QPalette::Text, c(Colour::onSurface));
        p.setColor(group, QPalette::PlaceholderText, c(Colour::onSurfaceVariant));
        p.setColor(group, QPalette::Button, c(Colour::chip));
        p.setColor(group, QPalette::ButtonText, c(Colour::onSurface));
        p.setColor(group, QPalette::BrightText, c(Colour::error));
        p.setColor(group, QPalette::Highlight, c(Colour::primary));
        p.setColor(group, QPalette::HighlightedText, c(Colour::onPrimary));
        p.setColor(group, QPalette::Link, c(Colour::primary));
        p.setColor(group, QPalette::ToolTipBase, c(Colour::card));
        p.setColor(group, QPalette::ToolTipText, c(Colour::onSurface));
        p.setColor(group, QPalette::Light, c(Colour::card));
        p.setColor(group, QPalette::Midlight, c(Colour::chip));
        p.setColor(group, QPalette::Mid, c(Colour::outlineVariant));
        p.setColor(group, QPalette::Dark, c(Colour::outline));
        p.setColor(group, QPalette::Shadow, QColor(0, 0, 0));
    }
    p.setColor(QPalette::Disabled, QPalette::Window, c(Colour::background));
    p.setColor(QPalette::Disabled, QPalette::Base, c(Colour::card));
    p.setColor(QPalette::Disabled, QPalette::Button, c(Colour::chip));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, c(Colour::outline));
    return p;
}

void applyToApplication() {
    // Fusion paints the same on every desktop and takes the palette whole; the program's own
    // focus ring goes on the buttons it paints.
    QApplication::setStyle(new ThemeStyle);
    BrandFont::ensureRegistered();
    Symbols::ensureFontRegistered();
    QApplication::setFont(DesignFont::style(TextStyle::body));
    QApplication::setPalette(palette(dark));
}

} // namespace Theme
