// Gallery pictures of the program's window: the empty window as it first opens, with no list
// open, at its default size.
#include "GalleryShot.h"

#include "model/TextScale.h"
#include "platform/Defaults.h"
#include "platform/UpdateBackEnd.h"
#include "store/ListStore.h"
#include "ui/theme/Theme.h"
#include "ui/window/MacUpdater.h"
#include "ui/window/MainWindow.h"
#include "ui/window/WindowMetrics.h"

#include <QTemporaryDir>

#include <memory>

namespace {

// An update back end of a build without a feed: the check stays greyed out.
class NoUpdates final : public UpdateBackEnd {
public:
    void start() override { emit canCheckForUpdatesChanged(false); }
    bool canCheckForUpdates() const override { return false; }
    void checkForUpdates() override {}
};

// What the window needs, kept for the whole run.
struct Sample {
    QTemporaryDir dir;
    ListStore store{dir.filePath("store.json"), false, false, Defaults::standard()};
    MacUpdater updater{std::make_shared<NoUpdates>()};
};

QWidget* emptyWindow() {
    static Sample* sample = new Sample;
    // The window sizes its fonts from the stored scale: store the one this picture is for.
    for (TextScale scale : TextScale::allCases()) {
        if (scale.factor() == Theme::textScaleFactor())
            TextScale::store(Defaults::standard(), scale);
    }
    return new MainWindow(sample->store, sample->updater);
}

const GalleryShot::Add empty{{"window-empty", WindowMetrics::defaultSize.width(),
                              WindowMetrics::defaultSize.height(), emptyWindow}};

} // namespace
