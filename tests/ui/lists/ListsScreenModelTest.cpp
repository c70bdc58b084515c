#include "ListsTestSupport.h"

#include "ui/lists/ListsScreenModel.h"

#include <QSignalSpy>

#include <functional>

namespace {

class ListsScreen : public ListsTest {
protected:
    std::unique_ptr<ListsScreenModel> makeScreen() {
        auto screen = std::make_unique<ListsScreenModel>(
            *store, defaults(), clock, ListNavigation::shared(), SettingsPresentation::shared(),
            nullptr, "en_US", berlin());
        return screen;
    }

    // The page as "Name" for lists and "[Group]" for headers.
    static QStringList page(const ListsScreenModel& screen) {
        QStringList names;
        for (const PageRowContent& row : screen.rows().rows())
            names.append(row.isHeader() ? "[" + row.row.name + "]" : row.row.list.name);
        return names;
    }

    static int rowOfList(const ListsScreenModel& screen, const TBList& list) {
        return screen.rows().rowOf("L#" + list.id);
    }

    static QStringList titles(const RowCommands& commands) {
        QStringList result;
        for (const RowCommand& command : commands)
            result.append(command.action == RowCommand::Action::separator ? "---" : command.title);
        return result;
    }
};

TEST_F(ListsScreen, LaunchOpensTheRequestedTheRememberedOrTheFirstList) {
    const struct {
        const char* what;
        std::optional<QString> remembered; // a list's name, or an unknown id
        std::optional<QString> requested;
        std::optional<QString> opens;
    } cases[] = {
        {"nothing remembered: the first list in display order (pinned first)", {}, {}, "Pinned"},
        {"the remembered list", "Beta", {}, "Beta"},
        {"a remembered list that is gone: the first list", "gone-id", {}, "Pinned"},
        {"a pending request wins over the remembered list", "Beta", "Alpha", "Alpha"},
        {"a request for no list is dropped; the remembered list opens", "Beta", "gone-id", "Beta"},
    };
    for (const auto& c : cases) {
        startAfresh();
        QMap<QString, QString> ids;
        for (const QString name : {"Alpha", "Beta"})
            ids[name] = makeList(name).id;
        ids["Pinned"] = makeList("Pinned", [](TBList& l) { l.pinned = true; }).id;
        const auto idOf = [&](const std::optional<QString>& name) -> std::optional<QString> {
            if (!name)
                return std::nullopt;
            return ids.value(*name, *name);
        };
        if (c.remembered)
            defaults().setString("lastOpenedList", *idOf(c.remembered));
        ListNavigation::shared().setRequestedListID(idOf(c.requested));

        auto screen = makeScreen();
        screen->shown();
        EXPECT_EQ(screen->openListID(), idOf(c.opens)) << c.what;
        EXPECT_EQ(defaults().string("lastOpenedList"), idOf(c.opens)) << c.what;
        EXPECT_EQ(ListNavigation::shared().requestedListID(), std::nullopt) << c.what;
    }
}

TEST_F(ListsScreen, AClaimedRequestDoesNotCountAsTheRestore) {
    const TBList a = makeList("A");
    const TBList b = makeList("B");
    defaults().setString("lastOpenedList", b.id);
    auto screen = makeScreen();
    ListNavigation::shared().setRequestedListID(a.id); // while the window is open
    EXPECT_EQ(screen->openListID(), a.id);
    screen->closeList();
    screen->shown(); // the restore has not run yet, so it runs now
    EXPECT_EQ(screen->openListID(), a.id) << "closing forgot the remembered list";
    EXPECT_EQ(defaults().string("lastOpenedList"), a.id);

    // Two requests before a claim: the last one counts.
    ListNavigation::shared().setRequestedListID(b.id);
    EXPECT_EQ(screen->openListID(), b.id);
    ListNavigation::shared().setRequestedListID("no-such-list");
    EXPECT_EQ(screen->openListID(), b.id);
    EXPECT_EQ(ListNavigation::shared().requestedListID(), std::nullopt);
}

TEST_F(ListsScreen, AFirstListMadeAfterAnEmptyLaunchOpens) {
    auto screen = makeScreen();
    screen->shown();
    EXPECT_EQ(screen->openListID(), std::nullopt);
    EXPECT_FALSE(defaults().contains("lastOpenedList"));
    EXPECT_TRUE(screen->showsEmptyState());
    EXPECT_FALSE(screen->showsNewGroupPill());

    const TBList first = makeList("First");
    settle();
    EXPECT_EQ(screen->openListID(), first.id);
    EXPECT_FALSE(screen->showsEmptyState());
    EXPECT_TRUE(screen->showsNewGroupPill());

    // The restore happens once: closing and adding more lists opens nothing.
    screen->closeList();
    makeList("Second");
    settle();
    EXPECT_EQ(screen->openListID(), std::nullopt);
}

// The window builds a new page at each text size; the page carries on where the one it
// replaces left off, so the remembered list is never restored a second time.
TEST_F(ListsScreen, APageBuiltInPlaceOfAnotherCarriesOnItsRestore) {
    const struct {
        const char* what;
        bool claimFirst;   // the earlier page opened A by a claimed request, not by the restore
        bool removeBefore; // A was removed on the earlier page, before the new one was built
        bool carriesOn;    // the new page is told of the earlier one, as the window does
    } cases[] = {
        {"the restored list is removed on the new page", false, false, true},
        {"the new page is built over the placeholder", false, true, true},
        {"a list a request opened, removed on the new page", true, false, true},
        {"a page told only of the open list", false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        startAfresh();
        const TBList a = makeList("A");
        const TBList b = makeList("B");
        defaults().setString("lastOpenedList", a.id);
        if (c.claimFirst)
            ListNavigation::shared().setRequestedListID(a.id);
        auto earlier = makeScreen();
        earlier->shown();
        ASSERT_EQ(earlier->openListID(), a.id);
        const auto remove = [&](ListsScreenModel& screen) {
            screen.askToRemove(a.id);
            screen.confirmRemoval();
            settle();
        };
        if (c.removeBefore)
            remove(*earlier);

        // As the window builds it: the open list first, then the earlier page's state.
        auto page = makeScreen();
        page->followOpenList(earlier->openListID());
        if (c.carriesOn)
            page->carryOn(*earlier);
        earlier.reset();
        page->shown();
        if (!c.removeBefore)
            remove(*page);
        EXPECT_EQ(page->openListID(), std::nullopt)
            << "the placeholder, not " << b.name.toStdString();
        EXPECT_FALSE(defaults().contains("lastOpenedList"));
    }
}

TEST_F(ListsScreen, APageBuiltOverAnEmptyLaunchStillRestoresTheFirstList) {
    auto earlier = makeScreen();
    earlier->shown();
    auto page = makeScreen();
    page->followOpenList(std::nullopt);
    page->carryOn(*earlier);
    earlier.reset();
    page->shown();
    const TBList first = makeList("First");
    settle();
    EXPECT_EQ(page->openListID(), first.id);
}

TEST_F(ListsScreen, RemovalIsWordedByWhoseListItIs) {
    const struct {
        const char* what;
        std::optional<QString> owner;
        bool hasShare;
        const char* title;
        const char* verb;
        const char* message;
    } cases[] = {
        {"someone else's list", "_owner", false, "Remove “Groceries” from my lists?",
         "Remove from my lists",
         "It stays for the owner and everyone else. You would need a new invitation to get it "
         "back."},
        {"own list with a share", std::nullopt, true, "Delete “Groceries” for everyone?",
         "Delete for everyone",
         "This list will be removed from everyone you have shared it with, not just from your "
         "own lists. This cannot be undone."},
        {"own list", std::nullopt, false, "Delete “Groceries”?", "Delete",
         "This cannot be undone."},
    };
    for (const auto& c : cases) {
        startAfresh();
        const TBList list = makeList("Groceries", [&](TBList& l) {
            l.zoneOwnerName = c.owner;
            l.hasShare = c.hasShare;
        });
        auto screen = makeScreen();
        EXPECT_EQ(screen->removalTitle(), "") << c.what;
        screen->perform("L#" + list.id, RowCommand::Action::remove);
        ASSERT_TRUE(screen->isConfirmingRemoval()) << c.what;
        EXPECT_EQ(screen->removalTitle(), c.title) << c.what;
        EXPECT_EQ(screen->removalVerb(), c.verb) << c.what;
        EXPECT_EQ(screen->removalMessage(), c.message) << c.what;
        const RowCommands swipe = screen->rows().trailingSwipe(rowOfList(*screen, list));
        ASSERT_EQ(swipe.size(), 1);
        EXPECT_EQ(swipe[0].title, c.verb);
        EXPECT_EQ(swipe[0].accessibleLabel, QString(c.verb) + ": Groceries");
        EXPECT_EQ(swipe[0].allowsFullSwipe, c.hasShare == false || c.owner.has_value()) << c.what;
        EXPECT_EQ(screen->rows().listRow(rowOfList(*screen, list)).removeButtonLabel,
                  QString(c.verb) + ": Groceries");
    }
}

TEST_F(ListsScreen, ConfirmedRemovalDeletesAndClosesOnlyTheOpenList) {
    const TBList open = makeList("Open");
    const TBList other = makeList("Other");
    auto screen = makeScreen();
    screen->openList(open.id);

    screen->askToRemove(other.id);
    screen->cancelRemoval();
    EXPECT_FALSE(screen->isConfirmingRemoval());
    EXPECT_EQ(store->lists().size(), 2);

    screen->askToRemove(other.id);
    screen->confirmRemoval();
    EXPECT_EQ(store->lists().size(), 1);
    EXPECT_EQ(screen->openListID(), open.id);

    screen->askToRemove(open.id);
    screen->confirmRemoval();
    EXPECT_TRUE(store->lists().isEmpty());
    EXPECT_EQ(screen->openListID(), std::nullopt);
    EXPECT_FALSE(defaults().contains("lastOpenedList"));
}

TEST_F(ListsScreen, AnOpenListThatGoesAwayStaysOpenByIdAndAPendingRemovalEnds) {
    const TBList a = makeList("A");
    const TBList b = makeList("B");
    auto screen = makeScreen();
    screen->openList(a.id);
    screen->askToRemove(b.id);
    QSignalSpy opened(screen.get(), &ListsScreenModel::openListChanged);

    // Gone on another device: no row and no question about it, but the open list and the
    // remembered one are kept, for the list may come back by sync.
    store->removeListLocally(a.id);
    store->removeListLocally(b.id);
    settle();
    EXPECT_EQ(screen->openListID(), a.id);
    EXPECT_EQ(opened.count(), 0);
    EXPECT_FALSE(screen->isConfirmingRemoval());
    EXPECT_EQ(defaults().string("lastOpenedList"), a.id);

    // Back by sync: its row is the open one again.
    store->applyServerList(a, QByteArray());
    settle();
    EXPECT_EQ(screen->openListID(), a.id);
    ASSERT_EQ(screen->rows().rowCount(), 1);
    EXPECT_TRUE(screen->rows().listRow(0).selected);

    // The window keeps an id that names no list as it is, too.
    screen->followOpenList(QStringLiteral("not-synced-yet"));
    EXPECT_EQ(screen->openListID(), "not-synced-yet");
    EXPECT_EQ(defaults().string("lastOpenedList"), "not-synced-yet");
    store->removeListLocally(a.id);
    settle();

    // Confirming a question whose list went away in the same turn deletes nothing.
    const TBList c = makeList("C");
    settle();
    screen->askToRemove(c.id);
    store->removeListLocally(c.id);
    const auto marksBefore = store->pendingZoneDeletions();
    screen->confirmRemoval();
    EXPECT_EQ(store->pendingZoneDeletions(), marksBefore);
}

TEST_F(ListsScreen, SummaryLineCountsListsItemsAndListsDueToday) {
    const TBList dueToday =
        makeList("Today", [&](TBList& l) { l.dueDate = berlinTime(2025, 3, 10, 23, 59); });
    makeList("Yesterday", [&](TBList& l) { l.dueDate = berlinTime(2025, 3, 9, 18, 0); });
    makeList("Ongoing", [&](TBList& l) {
        l.kind = TBListKind::ongoing;
        l.dueDate = berlinTime(2025, 3, 10, 12, 0);
    });
    makeList("Tomorrow at midnight", [&](TBList& l) { l.dueDate = berlinTime(2025, 3, 11, 0, 0); });
    addItems(dueToday.id, 3, 2);
    addItems(store->lists()[2].id, 1, 0); // ongoing lists count towards the items to go

    auto screen = makeScreen();
    const struct {
        ListsSummary mode;
        const char* text;
        const char* label;
    } cycle[] = {
        {ListsSummary::listCount, "4 lists", "Lists: 4 lists"},
        {ListsSummary::itemCount, "4 items to go", "Items to go: 4 items to go"},
        {ListsSummary::dueToday, "1 due today", "Due today: 1 due today"},
        {ListsSummary::listCount, "4 lists", "Lists: 4 lists"},
    };
    for (const auto& step : cycle) {
        EXPECT_EQ(screen->summaryMode(), step.mode);
        EXPECT_EQ(screen->summaryText(), step.text);
        EXPECT_EQ(screen->summaryAccessibilityLabel(), step.label);
        EXPECT_EQ(defaults().string("listsSummaryView").value_or("listCount"),
                  ListsSummary(step.mode).rawValue());
        screen->advanceSummary();
    }
}

TEST_F(ListsScreen, ANewDayRefreshesDueWordsAndTheListsDueToday) {
    clock.set(berlinTime(2025, 3, 10, 23, 0));
    makeList("Trip", [&](TBList& l) { l.dueDate = berlinTime(2025, 3, 11, 10, 0); });
    defaults().setString("listsSummaryView", "dueToday");
    auto screen = makeScreen();
    EXPECT_EQ(screen->rows().listRow(0).dueText, "in 11 hours");
    EXPECT_EQ(screen->summaryText(), "Nothing due today");

    QSignalSpy repainted(&screen->rows(), &QAbstractItemModel::dataChanged);
    clock.advance(2 * 3600);
    screen->refreshDates();
    EXPECT_EQ(screen->rows().listRow(0).dueText, "in 9 hours");
    EXPECT_EQ(screen->summaryText(), "1 due today");
    EXPECT_EQ(repainted.count(), 1);
}

TEST_F(ListsScreen, SummaryOfAnEmptyStoreAndOfAnUnknownStoredMode) {
    const struct {
        const char* stored;
        const char* text;
        const char* label;
    } cases[] = {
        {"listCount", "No lists yet", "Lists: No lists yet"},
        {"itemCount", "All done", "Items to go: All done"},
        {"dueToday", "Nothing due today", "Due today: Nothing due today"},
        {"weekly", "No lists yet", "Lists: No lists yet"},
    };
    for (const auto& c : cases) {
        defaults().setString("listsSummaryView", c.stored);
        auto screen = makeScreen();
        EXPECT_EQ(screen->summaryText(), c.text) << c.stored;
        EXPECT_EQ(screen->summaryAccessibilityLabel(), c.label) << c.stored;
    }
}

TEST_F(ListsScreen, RowsAndHeadersSayWhatTheyShow) {
    const TBList groceries = makeList("Groceries", [&](TBList& l) {
        l.pinned = true;
        l.hasShare = true;
        l.createdAt = clock.now().addingSeconds(-86400);
        l.dueDate = clock.now().addingSeconds(30 * 3600);
    });
    const TBList packing = makeList("Packing");
    const TBList chores = makeList("Chores", [](TBList& l) { l.kind = TBListKind::ongoing; });
    addItems(groceries.id, 2, 3);
    addItems(chores.id, 1, 1);
    store->setCollection(QString("Home"), packing.id);
    store->setCollection(QString("Home"), chores.id);

    auto screen = makeScreen();
    EXPECT_EQ(page(*screen), (QStringList{"Groceries", "[Home]", "Packing", "Chores"}));

    ListRowPresentation row = screen->rows().listRow(0);
    EXPECT_EQ(row.countSummary, "2 of 5 left");
    EXPECT_EQ(row.dueText, "tomorrow");
    EXPECT_EQ(row.urgency, ListUrgency::relaxed);
    EXPECT_EQ(row.dueChipAccessibilityLabel, "tomorrow, On track");
    EXPECT_TRUE(row.showsSharedMark);
    EXPECT_FALSE(row.inGroup);
    EXPECT_EQ(row.accessibilityLabel, "Groceries, 2 of 5 left, due tomorrow, shared, pinned");
    EXPECT_EQ(row.accessibilityHint, "Press to open");
    EXPECT_EQ(screen->rows().listRow(2).countSummary, "Empty");
    EXPECT_TRUE(screen->rows().listRow(2).inGroup);
    EXPECT_EQ(screen->rows().listRow(3).countSummary, "1 item");

    GroupHeaderPresentation header = screen->rows().header(1);
    EXPECT_EQ(header.title, "HOME");
    EXPECT_EQ(header.countText, "2");
    EXPECT_EQ(header.accessibilityLabel, "Home, 2 lists");
    EXPECT_EQ(header.accessibilityHint, "Press to hide");
    EXPECT_EQ(header.pencilLabel, "Edit group Home");

    // A collapsed group keeps its full count; a group of one says "list".
    screen->activate("H#Home");
    settle();
    EXPECT_EQ(page(*screen), (QStringList{"Groceries", "[Home]"}));
    header = screen->rows().header(1);
    EXPECT_TRUE(header.collapsed);
    EXPECT_EQ(header.countText, "2");
    EXPECT_EQ(header.accessibilityHint, "Press to show");
    store->setCollection(std::nullopt, chores.id);
    settle();
    EXPECT_EQ(screen->rows().header(1).accessibilityLabel, "Home, 1 list");

    // Edit mode: the shared mark hides, the hint changes, a click opens nothing.
    screen->toggleEditing();
    row = screen->rows().listRow(0);
    EXPECT_FALSE(row.showsSharedMark);
    EXPECT_TRUE(row.pinned);
    EXPECT_EQ(row.accessibilityHint, "Drag to reorder");
    screen->activate("L#" + groceries.id);
    EXPECT_EQ(screen->openListID(), std::nullopt);
}

TEST_F(ListsScreen, EditButtonTogglesItsWords) {
    auto screen = makeScreen();
    const struct {
        const char* title;
        const char* label;
    } steps[] = {{"Edit", "Edit lists"}, {"Done", "Done editing lists"}, {"Edit", "Edit lists"}};
    for (const auto& step : steps) {
        EXPECT_EQ(screen->editButtonTitle(), step.title);
        EXPECT_EQ(screen->editButtonAccessibilityLabel(), step.label);
        screen->toggleEditing();
    }
}

TEST_F(ListsScreen, OnlyListsThatCanBeChangedHereOfferRenameAndPin) {
    const struct {
        const char* what;
        std::optional<QString> owner;
        std::optional<TBSharePermission> permission;
        bool pinned;
        QStringList menu;
        QStringList leadingSwipe;
    } cases[] = {
        {"own list", {}, {}, false, {"Rename…", "Pin", "---", "Delete"}, {"Pin"}},
        {"own pinned list", {}, {}, true, {"Rename…", "Unpin", "---", "Delete"}, {"Unpin"}},
        {"shared with me to change",
         "_o",
         TBSharePermission::readWrite,
         false,
         {"Rename…", "Pin", "---", "Remove from my lists"},
         {"Pin"}},
        {"shared with me to read only",
         "_o",
         TBSharePermission::readOnly,
         true,
         {"Remove from my lists"},
         {}},
    };
    for (const auto& c : cases) {
        startAfresh();
        const TBList list = makeList("Tea", [&](TBList& l) {
            l.zoneOwnerName = c.owner;
            l.sharePermission = c.permission;
            l.pinned = c.pinned;
        });
        auto screen = makeScreen();
        EXPECT_EQ(titles(screen->rows().menu(0)), c.menu) << c.what;
        EXPECT_EQ(titles(screen->rows().leadingSwipe(0)), c.leadingSwipe) << c.what;
        QStringList actions = c.menu;
        actions.removeAll("---");
        EXPECT_EQ(titles(screen->rows().accessibleActions(0)), actions) << c.what;

        // Even when asked directly, a read-only list is neither pinned nor renamed.
        screen->perform("L#" + list.id,
                        c.pinned ? RowCommand::Action::unpin : RowCommand::Action::pin);
        screen->perform("L#" + list.id, RowCommand::Action::rename);
        const bool editable = c.permission != TBSharePermission::readOnly;
        EXPECT_EQ(store->lists()[0].pinned, editable ? !c.pinned : c.pinned) << c.what;
        EXPECT_EQ(screen->presentedSheet().has_value(), editable) << c.what;
    }
}

// A store from a newer Tallybird takes no change: the page offers none, and whatever asks for
// one anyway leaves the store unasked. Lists still open and groups still fold.
TEST_F(ListsScreen, AStoreThatTakesNoChangeIsOfferedNone) {
    using Action = RowCommand::Action;
    using Sheet = ListsScreenModel::Sheet;
    const struct {
        const char* what;
        std::function<bool(ListsScreenModel&, const QString& list)> offered;
    } offers[] = {
        {"the Edit button",
         [](ListsScreenModel& s, const QString&) { return s.showsEditButton(); }},
        {"edit mode",
         [](ListsScreenModel& s, const QString&) {
             s.toggleEditing();
             const bool on = s.editing();
             if (on)
                 s.toggleEditing();
             return on;
         }},
        {"the New group pill",
         [](ListsScreenModel& s, const QString&) { return s.showsNewGroupPill(); }},
        {"the add buttons", [](ListsScreenModel& s, const QString&) { return s.offersNewList(); }},
        {"the new list sheet",
         [](ListsScreenModel& s, const QString&) {
             s.requestNewList();
             const bool shown = s.presentedSheet() == Sheet::createList;
             s.dismissSheet();
             return shown;
         }},
        {"the group editor",
         [](ListsScreenModel& s, const QString&) {
             s.perform("H#Home", Action::editGroup);
             s.requestGroupEditor(CollectionEditorMode::create());
             const bool shown = s.presentedSheet() == Sheet::groupEditor;
             s.dismissSheet();
             return shown;
         }},
        {"the rename sheet",
         [](ListsScreenModel& s, const QString& list) {
             s.perform(list, Action::rename);
             const bool shown = s.presentedSheet() == Sheet::editList;
             s.dismissSheet();
             return shown;
         }},
        {"the removal question",
         [](ListsScreenModel& s, const QString& list) {
             s.perform(list, Action::remove);
             const bool asked = s.isConfirmingRemoval();
             s.cancelRemoval();
             return asked;
         }},
        {"a list's menu",
         [](ListsScreenModel& s, const QString& list) {
             return !s.rows().menu(s.rows().rowOf(list)).isEmpty();
         }},
        {"a list's swipes",
         [](ListsScreenModel& s, const QString& list) {
             const int row = s.rows().rowOf(list);
             return !s.rows().leadingSwipe(row).isEmpty() || !s.rows().trailingSwipe(row).isEmpty();
         }},
        {"a list's actions for a screen reader",
         [](ListsScreenModel& s, const QString& list) {
             return !s.rows().accessibleActions(s.rows().rowOf(list)).isEmpty();
         }},
        {"a group's menu, swipe and actions",
         [](ListsScreenModel& s, const QString&) {
             const int row = s.rows().rowOf("H#Home");
             return !s.rows().menu(row).isEmpty() || !s.rows().trailingSwipe(row).isEmpty() ||
                    !s.rows().accessibleActions(row).isEmpty();
         }},
    };
    for (const bool newer : {false, true}) {
        SCOPED_TRACE(newer ? "a store from a newer Tallybird" : "a store that takes changes");
        startAfresh();
        const TBList list = makeList("Tea");
        const TBList grouped = makeList("Hardware");
        store->setCollection(QString("Home"), grouped.id);
        if (newer)
            reopenFromANewerVersion();
        auto screen = makeScreen();
        QSignalSpy refused(store.get(), &ListStore::editRefused);
        for (const auto& offer : offers)
            EXPECT_EQ(offer.offered(*screen, "L#" + list.id), !newer) << offer.what;

        // Asked directly all the same: a drop, a pin, an ungrouping.
        const QStringList before = page(*screen);
        screen->moveRows({0}, 3);
        screen->perform("L#" + list.id, Action::pin);
        screen->perform("H#Home", Action::ungroup);
        settle();
        EXPECT_EQ(page(*screen) != before, !newer);
        EXPECT_EQ(refused.count(), 0) << "the store was asked for a change it cannot make";

        // What changes nothing in the store is still there.
        screen->openList(list.id);
        EXPECT_EQ(screen->openListID(), list.id);
        if (newer) {
            screen->activate("H#Home");
            settle();
            EXPECT_EQ(page(*screen), (QStringList{"Tea", "[Home]"})) << "the group folded";
        }
    }
}

TEST_F(ListsScreen, PinSwipeAndHeaderCommandsNameTheirRow) {
    const TBList list = makeList("Tea");
    store->setCollection(QString("Home"), list.id);
    auto screen = makeScreen();
    const RowCommand pin = screen->rows().leadingSwipe(1)[0];
    EXPECT_EQ(pin.accessibleLabel, "Pin Tea");
    EXPECT_EQ(pin.symbol, "pin");
    EXPECT_TRUE(pin.allowsFullSwipe);

    EXPECT_EQ(titles(screen->rows().menu(0)), (QStringList{"Edit group", "---", "Ungroup lists"}));
    EXPECT_EQ(titles(screen->rows().accessibleActions(0)),
              (QStringList{"Edit group", "Ungroup lists"}));
    const RowCommand ungroup = screen->rows().trailingSwipe(0)[0];
    EXPECT_EQ(ungroup.title, "Ungroup");
    EXPECT_EQ(ungroup.accessibleLabel, "Ungroup Home");
    EXPECT_FALSE(ungroup.allowsFullSwipe);
    EXPECT_TRUE(screen->rows().leadingSwipe(0).isEmpty());

    screen->perform("H#Home", RowCommand::Action::editGroup);
    EXPECT_EQ(screen->presentedSheet(), ListsScreenModel::Sheet::groupEditor);
    EXPECT_EQ(screen->collectionEditor(), CollectionEditorMode::edit("Home"));
    screen->perform("H#Home", RowCommand::Action::ungroup);
    EXPECT_EQ(store->collection(list.id), std::nullopt);
}

TEST_F(ListsScreen, SheetsShowOneAtATimeInTheOrderAsked) {
    const TBList list = makeList("Tea");
    auto screen = makeScreen();
    QSignalSpy sheets(screen.get(), &ListsScreenModel::sheetChanged);
    screen->requestGroupEditor(CollectionEditorMode::create());
    screen->requestSettings();
    screen->requestRename(list.id);
    screen->requestGroupEditor(CollectionEditorMode::create()); // already waiting
    EXPECT_EQ(screen->presentedSheet(), ListsScreenModel::Sheet::groupEditor);

    screen->dismissSheet();
    EXPECT_EQ(screen->collectionEditor(), std::nullopt);
    EXPECT_EQ(screen->presentedSheet(), ListsScreenModel::Sheet::settings);
    screen->dismissSheet();
    EXPECT_FALSE(SettingsPresentation::shared().isOpen());
    EXPECT_EQ(screen->presentedSheet(), ListsScreenModel::Sheet::editList);
    EXPECT_EQ(screen->editingList()->id, list.id);

    // The list being edited goes away: its sheet closes.
    store->deleteList(list.id);
    settle();
    EXPECT_EQ(screen->presentedSheet(), std::nullopt);
    EXPECT_EQ(screen->editingList(), std::nullopt);

    // A sheet closed can be asked for again at once; the menu command opens settings too.
    screen->requestNewList();
    screen->dismissSheet();
    screen->requestNewList();
    EXPECT_EQ(screen->presentedSheet(), ListsScreenModel::Sheet::createList);
    screen->dismissSheet();
    SettingsPresentation::shared().setOpen(true);
    EXPECT_EQ(screen->presentedSheet(), ListsScreenModel::Sheet::settings);
}

TEST_F(ListsScreen, SelectionFollowsTheOpenListInTwoPanesOnly) {
    const TBList a = makeList("A");
    const TBList b = makeList("B");
    auto screen = makeScreen();
    screen->openList(b.id);
    EXPECT_FALSE(screen->rows().listRow(0).selected);
    EXPECT_TRUE(screen->rows().listRow(1).selected);
    screen->setSplit(false);
    EXPECT_FALSE(screen->rows().listRow(1).selected);
    EXPECT_EQ(screen->openListID(), b.id);
    (void)a;
}

TEST_F(ListsScreen, ManyStoreChangesRefreshOnceAndRepaintOnlyTheRowsThatChanged) {
    QList<TBList> lists;
    for (int i = 0; i < 6; ++i)
        lists.append(makeList(QStringLiteral("List %1").arg(i)));
    auto screen = makeScreen();
    QSignalSpy changed(screen.get(), &ListsScreenModel::changed);
    QSignalSpy data(&screen->rows(), &QAbstractItemModel::dataChanged);
    QSignalSpy inserted(&screen->rows(), &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&screen->rows(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy rearranged(&screen->rows(), &QAbstractItemModel::layoutChanged);

    addItems(lists[3].id, 3, 1); // five store changes
    settle();
    EXPECT_EQ(changed.count(), 1);
    ASSERT_EQ(data.count(), 1);
    EXPECT_EQ(data[0][0].value<QModelIndex>().row(), 3);
    EXPECT_EQ(data[0][1].value<QModelIndex>().row(), 3);
    EXPECT_EQ(screen->rows().listRow(3).countSummary, "3 of 4 left");

    store->deleteList(lists[1].id);
    settle();
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed[0][1].toInt(), 1);
    EXPECT_EQ(inserted.count(), 0);

    // Pinning moves a row: its persistent index goes with it.
    const QPersistentModelIndex fifth = screen->rows().index(4);
    screen->perform("L#" + lists[5].id, RowCommand::Action::pin);
    settle();
    EXPECT_EQ(rearranged.count(), 1);
    EXPECT_EQ(fifth.row(), 0);
    EXPECT_EQ(page(*screen), (QStringList{"List 5", "List 0", "List 2", "List 3", "List 4"}));
    EXPECT_EQ(inserted.count() + removed.count(), 1);
}

TEST_F(ListsScreen, ChangesToListsOutOfSightStillCount) {
    const TBList shown = makeList("Shown");
    const TBList hidden = makeList("Hidden");
    store->setCollection(QString("Home"), hidden.id);
    store->setCollectionCollapsed("Home", true);
    defaults().setString("listsSummaryView", "itemCount");
    auto screen = makeScreen();
    ASSERT_EQ(page(*screen), (QStringList{"Shown", "[Home]"}));
    QSignalSpy data(&screen->rows(), &QAbstractItemModel::dataChanged);

    addItems(hidden.id, 2, 1);
    settle();
    EXPECT_EQ(screen->summaryText(), "2 items to go");
    EXPECT_EQ(data.count(), 0) << "no row shows the hidden list";

    TBList renamed = shown;
    renamed.name = "Renamed";
    store->updateList(renamed);
    addItems(shown.id, 1, 0);
    settle();
    ASSERT_EQ(data.count(), 1);
    EXPECT_EQ(screen->rows().listRow(0).name, "Renamed");
    EXPECT_EQ(screen->rows().listRow(0).countSummary, "1 of 1 left");
    EXPECT_EQ(screen->summaryText(), "3 items to go");

    // A pin moves rows and keeps the counts; an item ticked in the same turn is counted.
    store->setListPinned(hidden.id, true);
    store->setDone(store->items(hidden.id).first().id, true);
    store->setCollectionCollapsed("Home", false);
    settle();
    ASSERT_EQ(page(*screen), (QStringList{"[Home]", "Hidden", "Renamed"}));
    EXPECT_EQ(screen->rows().listRow(1).countSummary, "1 of 3 left");
    EXPECT_EQ(screen->rows().listRow(2).countSummary, "1 of 1 left");
    EXPECT_EQ(screen->summaryText(), "2 items to go");
}

TEST_F(ListsScreen, ADropMovesWhatWasDraggedEvenWhenTheStoreChangedMeanwhile) {
    const TBList a = makeList("A");
    const TBList b = makeList("B");
    const TBList c = makeList("C");
    auto screen = makeScreen();
    // The rows shown are A B C; before the drop lands, another device adds a list at the top.
    makeList("New", [](TBList& l) { l.pinned = true; });
    screen->moveRows({2}, 0); // C dragged above A
    settle();
    EXPECT_EQ(page(*screen), (QStringList{"New", "C", "A", "B"}));
    (void)a, (void)b, (void)c;
}

} // namespace
