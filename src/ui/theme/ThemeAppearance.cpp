// Combining the stored appearance and the desktop's colour scheme, and applying the outcome.
#include "ThemeAppearance.h"

#include "Theme.h"
#include "platform/Defaults.h"

ThemeAppearance& ThemeAppearance::shared() {
    static ThemeAppearance* appearance = new ThemeAppearance; // lives as long as the process
    return *appearance;
}

void ThemeAppearance::start() {
    Defaults& defaults = Defaults::standard();
    setting_ = AppearanceSetting::stored(defaults);
    // The choice is followed wherever it is written: the settings sheet, or another process
    // sharing the settings file (whose writes the settings announce when they notice them).
    disconnect(followed_);
    followed_ = connect(&defaults, &Defaults::changed, this, [this](const QString& key) {
        if (key == AppearanceSetting::key)
            reload();
    });
    if (portal_ == nullptr) {
        portal_ = new ColourSchemePortal(this);
        connect(portal_, &ColourSchemePortal::schemeChanged, this,
                [this] { setSystemPrefersDark(portal_->prefersDark()); });
        portal_->start();
        systemPrefersDark_ = portal_->prefersDark();
    }
    apply();
}

bool ThemeAppearance::isDark() const {
    return AppearanceSetting::isDark(setting_, systemPrefersDark_);
}

void ThemeAppearance::choose(Appearance appearance) {
    AppearanceSetting::store(Defaults::standard(), appearance);
    setting_ = appearance;
    apply();
}

void ThemeAppearance::reload() {
    setting_ = AppearanceSetting::stored(Defaults::standard());
    apply();
}

void ThemeAppearance::setSystemPrefersDark(bool prefersDark) {
    systemPrefersDark_ = prefersDark;
    apply();
}

void ThemeAppearance::apply() {
    const bool dark = isDark();
    Theme::setDark(dark);
    if (dark == lastDark_)
        return;
    lastDark_ = dark;
    emit changed();
}
