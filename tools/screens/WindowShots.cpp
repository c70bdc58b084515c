// Gallery pictures of the program's window at its default size: the empty window as it first
// opens, with no list open, and a window with lists and one of them open.
#include "GalleryShot.h"
#include "NoUpdates.h"

#include "model/TextScale.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "ui/theme/Theme.h"
#include "ui/window/MainWindow.h"
#include "ui/window/UpdateChecker.h"
#include "ui/window/WindowContent.h"
#include "ui/window/WindowMetrics.h"
#include "ui/window/WindowNavigation.h"

#include <QTemporaryDir>

#include <memory>

namespace {

// What the window needs, kept for the whole run.
struct Sample {
    QTemporaryDir dir;
    ListStore store{dir.filePath("store.json"), false, false, Defaults::standard()};
    UpdateChecker updater{std::make_shared<NoUpdates>()};
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

// A store of its own, with a few lists and items, one of them ticked.
struct OpenListSample : Sample {
    OpenListSample() {
        const QString groceries = store.addList("Groceries").id;
        for (const char* text :
             {"Oat milk #dairy", "Sourdough loaf #bakery", "Eggs #dairy", "Tomatoes #produce"})
            store.addItem(groceries, QString::fromUtf8(text));
        store.setDone(store.items(groceries).at(2).id, true);
        store.addItem(store.addList("Packing").id, "Socks");
        store.addList("Garden");
        openListID = groceries;
    }
    QString openListID;
};

QWidget* windowWithAListOpen() {
    static OpenListSample* sample = new OpenListSample;
    for (TextScale scale : TextScale::allCases()) {
        if (scale.factor() == Theme::textScaleFactor())
            TextScale::store(Defaults::standard(), scale);
    }
    auto* window = new MainWindow(sample->store, sample->updater);
    window->navigation().setOpenListID(sample->openListID);
    window->content()->refreshDetailNow();
    return window;
}

const GalleryShot::Add empty{{"window-empty", WindowMetrics::defaultSize.width(),
                              WindowMetrics::defaultSize.height(), emptyWindow}};
const GalleryShot::Add open{{"window-open-list", WindowMetrics::defaultSize.width(),
                             WindowMetrics::defaultSize.height(), windowWithAListOpen}};

} // namespace
