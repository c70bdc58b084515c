#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QVariant>

#include <optional>

// What the desktop says about dark mode: the "color-scheme" setting of the desktop portal's
// "org.freedesktop.appearance" namespace (1 prefers dark, 2 prefers light, 0 no preference).
enum class ColourScheme { noPreference, preferDark, preferLight };

// Reads the desktop's colour scheme over the session D-Bus and follows its changes. Qt 6.4 has
// no colour-scheme API of its own. Without a session bus, or without a portal that knows the
// setting, the scheme stays "no preference", which the screens show as light. Main thread only.
class ColourSchemePortal : public QObject {
    Q_OBJECT
public:
    static inline const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
    static inline const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
    static inline const QString interface = QStringLiteral("org.freedesktop.portal.Settings");
    static inline const QString settingNamespace = QStringLiteral("org.freedesktop.appearance");
    static inline const QString settingKey = QStringLiteral("color-scheme");

    explicit ColourSchemePortal(QObject* parent = nullptr);

    // The scheme in a portal reply or change signal. The value may arrive wrapped in one or
    // more D-Bus variants (the older Read method wraps it twice). An unknown number means no
    // preference; a value that is no unsigned number gives none.
    static std::optional<ColourScheme> parse(const QVariant& value);

    // Reads the setting once, waiting at most a quarter of a second so that the first window
    // paints in the right appearance, then follows the portal's change signal.
    void start();

    ColourScheme scheme() const { return scheme_; }
    bool prefersDark() const { return scheme_ == ColourScheme::preferDark; }

signals:
    void schemeChanged();

private slots:
    void onSettingChanged(const QDBusMessage& message);

private:
    void setScheme(ColourScheme scheme);

    ColourScheme scheme_ = ColourScheme::noPreference;
    bool started_ = false;
};
