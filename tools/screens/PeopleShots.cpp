// Gallery pictures of the people screens: the circles (some, and none), one circle with its
// members, the person name sheet at its start and with a nickname, the sharing set-up sheet, and
// the sheet sharing opens into.
#include "GalleryShot.h"

#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "ui/people/CirclesPage.h"
#include "ui/people/CloudSharingSheetView.h"
#include "ui/people/PersonAliasSheet.h"
#include "ui/people/SharingSetupSheet.h"

#include <QTemporaryDir>

namespace {

// A store of sample people in a temporary folder; it lives as long as the widget that shows it.
class SamplePeople : public QObject {
public:
    SamplePeople()
        : clock(Date::fromUnixSeconds(1'796'000'000)),
          store(dir.filePath("store.json"), false, false, defaults, clock) {}

    QString household() {
        const QString id = store.addCircle(QStringLiteral("Household")).id;
        store.addPerson(QStringLiteral("Ann Smith"), QStringLiteral("ann.smith@example.com"), id);
        store.addPerson(QStringLiteral("Sam"), QStringLiteral("+61 400 123 456"), id);
        store.addPerson(QString(), QStringLiteral("grandma@example.com"), id);
        return id;
    }
    void more() {
        const QString climbing = store.addCircle(QStringLiteral("Tuesday climbing crew")).id;
        store.addPerson(QStringLiteral("Jo"), QStringLiteral("jo@example.com"), climbing);
        store.addCircle(QStringLiteral("Book club"));
    }
    template <typename W> W* own(W* widget) {
        setParent(widget);
        return widget;
    }

    QTemporaryDir dir;
    MemoryDefaults defaults;
    FixedClock clock;
    ListStore store;
};

QWidget* circles(bool filled) {
    auto* sample = new SamplePeople;
    if (filled) {
        sample->household();
        sample->more();
    }
    return sample->own(new CirclesPage(sample->store, QStringLiteral("Settings")));
}

QWidget* circle() {
    auto* sample = new SamplePeople;
    const QString id = sample->household();
    auto* page = sample->own(new CirclesPage(sample->store, QStringLiteral("Settings")));
    page->openCircle(id);
    return page;
}

template <typename Sheet> Sheet* unblocking(Sheet* sheet) {
    sheet->setWindowModality(Qt::NonModal);
    return sheet;
}

QWidget* person(bool kept) {
    auto* sample = new SamplePeople;
    if (kept)
        sample->store.setAlias(
            {QStringLiteral("_sam"), QStringLiteral("Sammy"), std::nullopt, std::nullopt, {}});
    return unblocking(sample->own(
        new PersonAliasSheet(sample->store, QStringLiteral("_sam"), QStringLiteral("Sam Jones"))));
}

QWidget* sharingSetup() {
    auto* sample = new SamplePeople;
    return unblocking(sample->own(new SharingSetupSheet(sample->defaults, {})));
}

QWidget* cloudSharing() {
    CloudSharingSheet sheet{cloud::Record::zoneWideShare(cloud::ZoneID{"TB-1"}),
                            nullptr,
                            QStringLiteral("Weekend shop"),
                            {}};
    return unblocking(new CloudSharingSheetView(std::move(sheet)));
}

const GalleryShot::Add circlesShot{{"people-circles", 460, 620, [] { return circles(true); }}};
const GalleryShot::Add noCircles{{"people-circles-empty", 460, 560, [] { return circles(false); }}};
const GalleryShot::Add circleShot{{"people-circle", 460, 700, circle}};
const GalleryShot::Add personStart{{"people-person-start", 440, 520, [] { return person(false); }}};
const GalleryShot::Add personKept{
    {"people-person-nickname", 440, 640, [] { return person(true); }}};
const GalleryShot::Add sharing{{"people-sharing-setup", 460, 300, sharingSetup}};
// At the sheet's least width, where the second line wraps.
const GalleryShot::Add cloudSharingShot{{"people-cloud-sharing", 320, 0, cloudSharing}};

} // namespace
