// Gallery pictures of the notice about the store file: the window whose saves fail (a folder
// stands where the store file should be), the window showing lists from a newer Tallybird, the
// window whose sync could not reach its server, and the band alone for each trouble it tells
// of (a store file copied aside because it did not read in full, was upgraded or holds a later
// build's data among them), for changes kept in a file of their own when the program last
// ended, for a sync that could not be done, and for a settings file moved aside.
#include "GalleryShot.h"
#include "NoUpdates.h"

#include "model/TextScale.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "ui/theme/Theme.h"
#include "ui/window/MainWindow.h"
#include "ui/window/StoreNoticeBanner.h"
#include "ui/window/StoreNoticeModel.h"
#include "ui/window/UpdateChecker.h"
#include "ui/window/WindowContent.h"
#include "ui/window/WindowMetrics.h"
#include "ui/window/WindowNavigation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <functional>
#include <memory>

namespace {

// A store in trouble, owned by the picture's widget; the store goes before its folder. It opens
// `file`, or a store file of its own made by `prepare`.
class TroubledStore : public QObject {
public:
    TroubledStore(const std::function<void(const QString& file)>& prepare, QObject* parent,
                  const QString& file = QString())
        : QObject(parent) {
        const QString opened = file.isEmpty() ? dir.filePath(QStringLiteral("store.json")) : file;
        prepare(opened);
        store = std::make_unique<ListStore>(opened, false, false, Defaults::standard());
        notice = new StoreNoticeModel(*store, this);
    }
    // A healthy store whose settings file, beside it, is not JSON: it is moved aside when read.
    explicit TroubledStore(QObject* parent) : QObject(parent) {
        const QString path = dir.filePath(QStringLiteral("defaults.json"));
        QFile broken(path);
        if (broken.open(QIODevice::WriteOnly))
            broken.write("{\"textScale\": ");
        broken.close();
        settings = std::make_unique<FileDefaults>(path);
        store = std::make_unique<ListStore>(dir.filePath(QStringLiteral("store.json")), false,
                                            false, *settings);
        notice = new StoreNoticeModel(*store, this);
    }
    // A change whose failed save is reported before the picture is taken.
    void change() {
        store->addList(QStringLiteral("Groceries"));
        store->flushSaves();
    }

    QTemporaryDir dir;
    std::unique_ptr<FileDefaults> settings; // only when the store has settings of its own
    std::unique_ptr<ListStore> store;
    StoreNoticeModel* notice;
    UpdateChecker updater{std::make_shared<NoUpdates>()};
};

void folderInstead(const QString& file) {
    QDir().mkpath(file);
}

void unreadableFile(const QString& file) {
    QFile bytes(file);
    if (bytes.open(QIODevice::WriteOnly))
        bytes.write("{\"version\": 2, \"lists\": [");
}

// A store file of the first layout, which is upgraded; the file as it was is copied aside.
void olderLayoutFile(const QString& file) {
    QFile bytes(file);
    if (bytes.open(QIODevice::WriteOnly))
        bytes.write(R"({"lists":[{"id":"L","name":"Groceries"}],"items":[]})");
}

// A store file of this layout holding a field a later Tallybird wrote.
void laterBuildsFile(const QString& file) {
    QFile bytes(file);
    if (bytes.open(QIODevice::WriteOnly))
        bytes.write(R"({"version":3,"lists":[{"id":"L","name":"Groceries","shade":"teal"}],)"
                    R"("items":[],"dirtyLists":{},"dirtyItems":{},"archivedRecords":{}})");
}

// Changes the program could not save when it last ended, kept beside the store file.
void changesKeptBeside(const QString& file) {
    QFile kept(file + QStringLiteral(".unsaved-20250301T101500.000Z"));
    if (kept.open(QIODevice::WriteOnly))
        kept.write("{}");
}

// A store file written by a newer Tallybird, with a field this version does not know.
void newerFile(const QString& file) {
    QFile bytes(file);
    if (bytes.open(QIODevice::WriteOnly))
        bytes.write(R"({"version":4,"lists":[{"id":"L","name":"Groceries","icon":"cart",)"
                    R"("colourID":"green"}],"items":[{"id":"A","listID":"L","text":"Oat milk",)"
                    R"("order":0},{"id":"B","listID":"L","text":"Bread","order":1}],)"
                    R"("dirtyLists":{},"dirtyItems":{},"archivedRecords":{},"filings":{},)"
                    R"("reminders":[]})");
}

// What the program's sync says of a container file set offline, and of a server that is down.
const QString offlineReason = QStringLiteral("The network is unavailable.");
const QString serverDownReason = QStringLiteral(
    "The cloud server "
    "postgresql://ann@lists.example.org:5432/tallybird: "
    "cannot connect (connection to server at \"lists.example.org\" (192.0.2.10), port 5432 failed: "
    "Connection refused. Is the server running on that host and accepting TCP/IP connections?)");

void storeTheScaleOfThisPicture() {
    for (TextScale scale : TextScale::allCases()) {
        if (scale.factor() == Theme::textScaleFactor())
            TextScale::store(Defaults::standard(), scale);
    }
}

QWidget* windowFailingToSave() {
    storeTheScaleOfThisPicture();
    auto* sample = new TroubledStore(folderInstead, nullptr);
    auto* window = new MainWindow(*sample->store, sample->updater);
    sample->setParent(window);
    sample->change();
    return window;
}

QWidget* windowFromNewerVersion() {
    storeTheScaleOfThisPicture();
    auto* sample = new TroubledStore(newerFile, nullptr);
    auto* window = new MainWindow(*sample->store, sample->updater);
    sample->setParent(window);
    window->navigation().setOpenListID(QStringLiteral("L"));
    return window;
}

// Lists as they were synced last, going on in the window while the server is down.
QWidget* windowSyncFailing() {
    storeTheScaleOfThisPicture();
    auto* sample = new TroubledStore([](const QString&) {}, nullptr);
    ListStore& store = *sample->store;
    const QString groceries = store.addList(QStringLiteral("Groceries")).id;
    for (const char* text : {"Oat milk #dairy", "Sourdough loaf #bakery", "Tomatoes #produce"})
        store.addItem(groceries, QString::fromUtf8(text));
    store.addList(QStringLiteral("Packing"));
    auto* window = new MainWindow(store, sample->updater);
    sample->setParent(window);
    window->navigation().setOpenListID(groceries);
    window->content()->refreshDetailNow();
    window->storeNotice().syncEnded(serverDownReason);
    return window;
}

QWidget* bands() {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto* failing = new TroubledStore(folderInstead, column);
    failing->change();
    auto* copied = new TroubledStore(unreadableFile, column);
    auto* upgraded = new TroubledStore(olderLayoutFile, column);
    auto* later = new TroubledStore(laterBuildsFile, column);
    auto* held = new TroubledStore([](const QString&) {}, column);
    // A second store of the same file is refused the lock the first one holds.
    auto* refused = new TroubledStore([](const QString&) {}, column, held->store->fileURL());
    auto* kept = new TroubledStore(changesKeptBeside, column);
    auto* newer = new TroubledStore(newerFile, column);
    auto* offline = new TroubledStore([](const QString&) {}, column);
    offline->notice->syncEnded(offlineReason);
    auto* settings = new TroubledStore(column);
    for (TroubledStore* sample :
         {failing, copied, upgraded, later, refused, kept, newer, offline, settings})
        layout->addWidget(new StoreNoticeBanner(*sample->notice, column));
    return column;
}

const GalleryShot::Add windowShot{{"window-notice-save-failing", WindowMetrics::defaultSize.width(),
                                   WindowMetrics::defaultSize.height(), windowFailingToSave}};
const GalleryShot::Add newerShot{{"window-notice-newer-store", WindowMetrics::defaultSize.width(),
                                  WindowMetrics::defaultSize.height(), windowFromNewerVersion}};
const GalleryShot::Add syncShot{{"window-notice-sync-failing", WindowMetrics::defaultSize.width(),
                                 WindowMetrics::defaultSize.height(), windowSyncFailing}};
const GalleryShot::Add bandsShot{{"components-store-notice", 720, 0, bands}};

} // namespace
