// Gallery picture of the About box, as the menu item opens it.
#include "GalleryShot.h"

#include "platform/BundleInfo.h"
#include "ui/window/AboutBox.h"

namespace {

QWidget* aboutBox() {
    auto* box = new AboutBox(AboutContent::of({"0.4.1", "57", "1a2b3c4"}), nullptr);
    box->setWindowModality(Qt::NonModal);
    return box;
}

// The box keeps the size it gives itself at each text scale.
const GalleryShot::Add about{{"window-about", AboutBox::baseWidth, 0, aboutBox}};

} // namespace
