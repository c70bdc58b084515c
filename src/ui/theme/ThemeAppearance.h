#pragma once

#include "Appearance.h"
#include "ColourSchemePortal.h"

#include <QObject>

// The appearance the screens are painted in: the stored choice (Appearance) over the desktop's
// colour scheme. Whenever the outcome changes it switches Theme::setDark(), which repaints
// every window and sheet, and announces changed(). Main thread only.
class ThemeAppearance : public QObject {
    Q_OBJECT
public:
    static ThemeAppearance& shared();

    // Reads the stored choice from the standard settings, starts following the desktop and
    // every later change of the choice in those settings, and applies the outcome. Call before
    // the first window is shown, so it paints right at once; again after replacing the
    // standard settings.
    void start();

    Appearance setting() const { return setting_; }
    bool systemPrefersDark() const { return systemPrefersDark_; }
    bool isDark() const;

    // The settings screen's choice: stores it under "appearance" and applies it.
    void choose(Appearance appearance);
    // Reads the stored choice again (after another process changed the settings file).
    void reload();
    // What the desktop prefers; the portal reports it, tests may set it.
    void setSystemPrefersDark(bool prefersDark);

signals:
    void changed();

private:
    ThemeAppearance() = default;
    void apply();

    Appearance setting_ = Appearance::system;
    bool systemPrefersDark_ = false;
    bool lastDark_ = false;
    ColourSchemePortal* portal_ = nullptr;
    QMetaObject::Connection followed_; // to the standard settings' changes
};
