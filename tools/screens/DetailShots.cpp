// Gallery pictures of a list's pane: items with tags, a due date and ticked items; grouped;
// filtered; completed section open; chips cut at the edge, and scrolled; read-only; empty; the
// add bar idle, with a proposed tag, with the keyboard on its chips and with chips and a tag
// being named; the list actions menu; the tag order sheet.
#include "GalleryShot.h"
#include "KeyboardFocus.h"

#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "ui/components/SymbolButton.h"
#include "ui/components/TagChip.h"
#include "ui/detail/AddItemBar.h"
#include "ui/detail/ArrangeTagsSheet.h"
#include "ui/detail/DetailItemsView.h"
#include "ui/detail/DetailRowModel.h"
#include "ui/detail/ListDetailModel.h"
#include "ui/detail/ListDetailView.h"
#include "ui/detail/TagChipBar.h"
#include "ui/detail/TagFilterBar.h"
#include "ui/detail/TagSuggester.h"

#include <QLabel>
#include <QMenu>
#include <QScrollBar>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <memory>

namespace {

// A store of sample lists in a temporary folder, with the pane's model; it lives as long as the
// pane that shows it.
class SampleList : public QObject {
public:
    explicit SampleList(QObject* parent = nullptr)
        : QObject(parent), clock(Date::fromUnixSeconds(1'796'000'000)),
          store(dir.filePath("store.json"), false, false, defaults, clock), model(store, clock) {
        model.setRelativeWords([](Date due, Date now) {
            const int days = int(due.secondsSince(now) / 86400);
            return days == 1 ? QStringLiteral("tomorrow") : QStringLiteral("in %1 days").arg(days);
        });
        model.setShareLookup(
            [](const QString&, std::function<void(ListDetailModel::ShareAnswer)> r) {
                r({2, false});
            });
    }

    QString add(const QString& listID, const QString& text, bool done = false,
                bool starred = false) {
        store.addItem(listID, text);
        QString id;
        for (const TBItem& item : store.items(listID))
            if (item.text == text)
                id = item.id;
        if (done) {
            clock.advance(60);
            store.setDone(id, true);
        }
        if (starred)
            store.setItemPinned(id, true);
        return id;
    }

    TBList trip() {
        TBList list = store.addList(QStringLiteral("Weekend in the Lake District"));
        list.icon = QStringLiteral("tent");
        list.colourID = QStringLiteral("green");
        list.pinned = true;
        list.hasShare = true;
        list.createdAt = clock.now().addingSeconds(-10 * 86400);
        list.dueDate = clock.now().addingSeconds(3 * 86400 + 3600);
        store.updateList(list);
        add(list.id, "Tent #camp", true);
        add(list.id, "Sleeping bags for everyone, the warm ones from the loft #camp", false, true);
        const QString stove = add(list.id, "Camping stove and two gas canisters #camp");
        store.addNote("Check the seals before packing", stove, "me", "Me");
        add(list.id, "Walking boots #wear", true);
        add(list.id, "Rain jackets #wear");
        add(list.id, "Ordnance Survey map OL7 #maps");
        add(list.id, "Sandwiches for the drive");
        add(list.id, "Charge the power bank", true);
        return list;
    }

    // A list whose items carry more tags than a pane shows chips at once.
    TBList pantry() {
        TBList list = store.addList(QStringLiteral("Pantry"));
        list.icon = QStringLiteral("cart");
        list.colourID = QStringLiteral("orange");
        list.kind = TBListKind::ongoing;
        store.updateList(list);
        for (const char* tag : {"grains", "tins", "spices", "baking", "breakfast", "drinks",
                                "snacks", "frozen", "sauces", "pasta"})
            add(list.id, QStringLiteral("Some %1 #%1").arg(QLatin1String(tag)));
        return list;
    }

    TBList groceries() {
        TBList list = store.addList(QStringLiteral("Groceries"));
        list.icon = QStringLiteral("cart");
        list.colourID = QStringLiteral("orange");
        list.kind = TBListKind::ongoing;
        store.updateList(list);
        add(list.id, "Sourdough loaf #bakery");
        add(list.id, "Oat milk #dairy", false, true);
        add(list.id, "Greek yoghurt #dairy");
        add(list.id, "Cherry tomatoes #veg");
        add(list.id, "Washing-up liquid");
        add(list.id, "Croissants #bakery", true);
        add(list.id, "Butter #dairy", true);
        add(list.id, "Spinach #veg", true);
        return list;
    }

    QTemporaryDir dir;
    MemoryDefaults defaults;
    FixedClock clock;
    ListStore store;
    ListDetailModel model;
};

QWidget* pane(SampleList* sample, const TBList& list,
              const std::function<void(ListDetailModel&)>& arrange = {}) {
    sample->model.show(list.id);
    if (arrange)
        arrange(sample->model);
    auto* view = new ListDetailView(sample->model);
    sample->setParent(view);
    return view;
}

const GalleryShot::Add list{{"detail-list", 560, 760, [] {
                                 auto* sample = new SampleList;
                                 return pane(sample, sample->trip());
                             }}};

const GalleryShot::Add filtered{{"detail-filtered", 560, 560, [] {
                                     auto* sample = new SampleList;
                                     return pane(sample, sample->trip(), [](ListDetailModel& m) {
                                         m.toggleTag(QStringLiteral("camp"));
                                     });
                                 }}};

const GalleryShot::Add grouped{
    {"detail-grouped", 560, 760, [] {
         auto* sample = new SampleList;
         const TBList list = sample->groceries();
         sample->defaults.setStringList("tagOrder." + list.id, {"veg", "bakery", "dairy"});
         return pane(sample, list, [](ListDetailModel& m) {
             m.toggleGrouping();
             m.toggleCompleted();
         });
     }}};

const GalleryShot::Add completed{{"detail-completed", 560, 700, [] {
                                      auto* sample = new SampleList;
                                      return pane(sample, sample->groceries(),
                                                  [](ListDetailModel& m) { m.toggleCompleted(); });
                                  }}};

// The keyboard on the completed section's header: Space or Return folds it.
const GalleryShot::Add keyboard{
    {"detail-keyboard-completed-header", 560, 700,
     [] {
         auto* sample = new SampleList;
         return pane(sample, sample->groceries(), [](ListDetailModel& m) { m.toggleCompleted(); });
     },
     [](QWidget* shown) {
         DetailItemsView& items = static_cast<ListDetailView*>(shown)->items();
         KeyboardFocus::give(&items);
         items.setCurrentIndex(
             items.rows().index(items.rows().rowOf(DetailRow::Kind::completedHeader)));
     }}};

// Chips cut at the pane's edge: the cut edge fades and shows the cue that scrolls them.
const GalleryShot::Add chipsCut{{"detail-chips-cut", 560, 420, [] {
                                     auto* sample = new SampleList;
                                     return pane(sample, sample->pantry());
                                 }}};

// The chips scrolled part of the way: both edges are cut and show their cues.
const GalleryShot::Add chipsScrolled{
    {"detail-chips-scrolled", 560, 420,
     [] {
         auto* sample = new SampleList;
         return pane(sample, sample->pantry());
     },
     [](QWidget* shown) {
         DetailItemsView& items = static_cast<ListDetailView*>(shown)->items();
         if (TagFilterBar* bar = items.filterBar())
             bar->horizontalScrollBar()->setValue(bar->horizontalScrollBar()->maximum() / 2);
     }}};

const GalleryShot::Add readOnly{{"detail-read-only", 560, 640, [] {
                                     auto* sample = new SampleList;
                                     const TBList list = sample->groceries();
                                     TBList theirs = list;
                                     theirs.name = QStringLiteral("Sam's shopping");
                                     theirs.zoneOwnerName = QStringLiteral("_sam");
                                     theirs.sharePermission = TBSharePermission::readOnly;
                                     sample->store.updateList(theirs);
                                     return pane(sample, theirs);
                                 }}};

const GalleryShot::Add empty{{"detail-empty", 560, 560, [] {
                                  auto* sample = new SampleList;
                                  TBList list =
                                      sample->store.addList(QStringLiteral("Birthday party"));
                                  return pane(sample, list);
                              }}};

// The add bar alone, as the foot of a list's pane shows it.
QWidget* addBar(SampleList* sample, const TBList& list,
                const std::function<void(ListDetailModel&)>& arrange) {
    sample->model.show(list.id);
    auto* bar = new AddItemBar(sample->model);
    sample->setParent(bar);
    arrange(sample->model);
    sample->model.suggester().settle();
    QCoreApplication::processEvents();
    return bar;
}

const GalleryShot::Add addIdle{{"detail-add-idle", 560, 0, [] {
                                    auto* sample = new SampleList;
                                    const TBList list = sample->store.addList("Birthday party");
                                    sample->defaults.setBool("tagsDeclined." + list.id, true);
                                    return addBar(sample, list, [](ListDetailModel&) {});
                                }}};

const GalleryShot::Add addSuggested{{"detail-add-suggested", 560, 0, [] {
                                         auto* sample = new SampleList;
                                         return addBar(sample, sample->groceries(),
                                                       [](ListDetailModel& m) {
                                                           m.setInputFocused(true);
                                                           m.setDraft("Skimmed milk");
                                                       });
                                     }}};

const GalleryShot::Add addChips{{"detail-add-chips", 560, 0, [] {
                                     auto* sample = new SampleList;
                                     return addBar(sample, sample->groceries(),
                                                   [](ListDetailModel& m) {
                                                       m.setInputFocused(true);
                                                       m.setDraft("Frozen peas #veg #offers");
                                                       m.startNamingTag();
                                                   });
                                 }}};

// The keyboard on the add bar's proposed chip, and on its new-tag button: ringed like every
// other control, on the bar's card.
QWidget* addBarProposing() {
    auto* sample = new SampleList;
    return addBar(sample, sample->groceries(), [](ListDetailModel& m) {
        m.setInputFocused(true);
        m.setDraft("Skimmed milk");
    });
}
const GalleryShot::Add addKeyboardOnChip{
    {"detail-add-keyboard-proposed-chip", 560, 0, addBarProposing, [](QWidget* shown) {
         for (TagChip* chip : static_cast<AddItemBar*>(shown)->chipBar()->chips())
             if (chip->isSelected())
                 KeyboardFocus::give(chip);
     }}};
const GalleryShot::Add addKeyboardOnNewTag{
    {"detail-add-keyboard-new-tag", 560, 0, addBarProposing, [](QWidget* shown) {
         KeyboardFocus::give(static_cast<AddItemBar*>(shown)->chipBar()->newTagButton());
     }}};

// The pane with its actions menu open under the menu button (the menu is a window of its own,
// drawn here into the picture).
const GalleryShot::Add actionsMenu{
    {"detail-actions-menu", 560, 520, [] {
         auto* sample = new SampleList;
         auto* view = static_cast<ListDetailView*>(pane(sample, sample->groceries()));
         view->resize(560, 520);
         view->show();
         QCoreApplication::processEvents();
         view->fillActionsMenu();
         QMenu& menu = view->actionsMenu();
         menu.setAttribute(Qt::WA_DontShowOnScreen);
         menu.popup(QPoint(0, 0));
         QCoreApplication::processEvents();
         auto* picture = new QLabel(view);
         picture->setPixmap(menu.grab());
         menu.hide();
         picture->adjustSize();
         const QPoint under = view->actionsButton().mapTo(
             view, QPoint(view->actionsButton().width(), view->actionsButton().height()));
         picture->move(under.x() - picture->width(), under.y());
         picture->raise();
         picture->show();
         return view;
     }}};

const GalleryShot::Add tagOrder{{"detail-tag-order", 420, 520, [] {
                                     return new ArrangeTagsSheet(
                                         {"veg", "bakery", "dairy", "frozen", "household"},
                                         [](const QStringList&) {});
                                 }}};

} // namespace
