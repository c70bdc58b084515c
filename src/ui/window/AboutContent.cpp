// The About box's texts.
#include "ui/window/AboutContent.h"

#include "platform/BundleInfo.h"
#include "platform/PlatformWording.h"
#include "ui/window/WindowMenus.h"

AboutContent AboutContent::of(const BundleInfo& bundle) {
    AboutContent content;
    content.windowTitle = WindowMenus::aboutTitle();
    content.name = QStringLiteral("Tallybird");
    content.version = QStringLiteral("Version ") + bundle.versionLine();
    content.promise = QStringLiteral("Free forever. No account, no ads, nothing collected.");
    content.privacy = PlatformWording::privacyNote();
    content.closeTitle = QStringLiteral("Done");
    return content;
}
