// The About box's texts.
#include "ui/window/AboutContent.h"

#include "platform/BundleInfo.h"
#include "ui/window/WindowMenus.h"

AboutContent AboutContent::of(const BundleInfo& bundle) {
    AboutContent content;
    content.windowTitle = WindowMenus::aboutTitle();
    content.name = QStringLiteral("Tallybird");
    content.version = QStringLiteral("Version ") + bundle.versionLine();
    content.promise = QStringLiteral("Free forever. No account, no ads, nothing collected.");
    content.privacy =
        QStringLiteral("Your lists live in your own iCloud. They are never sent to us.");
    content.closeTitle = QStringLiteral("Done");
    return content;
}
