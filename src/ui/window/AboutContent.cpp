// The About box's texts.
#include "ui/window/AboutContent.h"

#include "platform/BundleInfo.h"
#include "ui/window/WindowMenus.h"

AboutContent AboutContent::of(const BundleInfo& bundle) {
    const QString dash = QStringLiteral("—");
    AboutContent content;
    content.windowTitle = WindowMenus::aboutTitle();
    content.name = QStringLiteral("Tallybird");
    content.version = QStringLiteral("Version ") + bundle.shortVersion.value_or(dash) +
                      QStringLiteral(" (") + bundle.buildNumber.value_or(dash) +
                      QStringLiteral(") · ") + bundle.commit.value_or(QStringLiteral("unknown"));
    content.promise = QStringLiteral("Free forever. No account, no ads, nothing collected.");
    content.privacy =
        QStringLiteral("Your lists live in your own iCloud. They are never sent to us.");
    content.closeTitle = QStringLiteral("Done");
    return content;
}
