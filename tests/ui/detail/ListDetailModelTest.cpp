// The list screen's model: edit rights, which items show where, sections, the header's figures
// and words, filter chips, the share badge and its look-up, list switching and the mends.
#include "ui/detail/ListDetailModel.h"
#include "DetailTestStore.h"
#include "ui/detail/ItemRowText.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

QStringList itemTexts(const QList<TBItem>& items) {
    return DetailTestStore::texts(items);
}

QStringList rowKeys(const DetailSnapshot& snapshot) {
    QStringList out;
    for (const DetailRow& row : snapshot.rows) {
        switch (row.kind) {
        case DetailRow::Kind::hero:
            out.append("hero");
            break;
        case DetailRow::Kind::filterBar:
            out.append("filter");
            break;
        case DetailRow::Kind::groupHeading:
            out.append("## " + row.heading);
            break;
        case DetailRow::Kind::item:
            out.append((row.completed ? "done " : "") + row.displayText);
            break;
        case DetailRow::Kind::completedHeader:
            out.append("COMPLETED");
            break;
        case DetailRow::Kind::spacer:
            out.append("spacer");
            break;
        }
    }
    return out;
}

class ListDetailModelTest : public ::testing::Test {
protected:
    DetailTestStore t;
    ListDetailModel model{*t.store, t.clock};
};

TEST_F(ListDetailModelTest, OnlySomeoneElsesReadOnlyListCannotBeEdited) {
    struct Row {
        const char* what;
        bool exists;
        bool shared;
        std::optional<TBSharePermission> permission;
        bool canEdit;
    };
    const Row rows[] = {
        {"own list", true, false, std::nullopt, true},
        {"own list holding a read-only permission", true, false, TBSharePermission::readOnly, true},
        {"shared read-write", true, true, TBSharePermission::readWrite, true},
        {"shared without a permission", true, true, std::nullopt, true},
        {"shared read-only", true, true, TBSharePermission::readOnly, false},
        {"missing list", false, false, std::nullopt, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TBList list = t.list("L");
        t.item(list, "Milk");
        if (row.shared) {
            t.shareFromOwner(list.id, row.permission);
        } else if (row.permission) {
            list.sharePermission = row.permission;
            t.store->updateList(list);
        }
        model.show(row.exists ? list.id : QStringLiteral("no-such-list"));
        EXPECT_EQ(model.snapshot().canEdit, row.canEdit);
        EXPECT_EQ(model.mayWrite(), row.exists && row.canEdit);
        if (row.exists) {
            EXPECT_EQ(model.snapshot().hero->editable, row.canEdit);
        }
    }
}

TEST_F(ListDetailModelTest, WhichItemsAreOpenAndWhichCompleted) {
    struct Row {
        const char* what;
        TBListKind kind;
        std::optional<QString> filter;
        QStringList open;
        QStringList completed;
    };
    const Row rows[] = {
        {"one-off keeps ticked items in place",
         TBListKind::oneOff,
         std::nullopt,
         {"Bread #bakery", "Milk #dairy", "Buns #bakery", "Soap"},
         {}},
        {"ongoing moves them to the completed section, newest first",
         TBListKind::ongoing,
         std::nullopt,
         {"Bread #bakery", "Soap"},
         {"Buns #bakery", "Milk #dairy"}},
        {"a filter narrows both",
         TBListKind::ongoing,
         "bakery",
         {"Bread #bakery"},
         {"Buns #bakery"}},
        {"a filter on a one-off list", TBListKind::oneOff, "dairy", {"Milk #dairy"}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const TBList list = t.list("Shop", row.kind);
        t.item(list, "Bread #bakery");
        t.item(list, "Milk #dairy", true);
        t.item(list, "Buns #bakery", true);
        t.item(list, "Soap");
        model.show(list.id);
        if (row.filter)
            model.toggleTag(*row.filter);
        EXPECT_EQ(itemTexts(model.snapshot().outstanding), row.open);
        EXPECT_EQ(itemTexts(model.snapshot().completed), row.completed);
        EXPECT_EQ(model.snapshot().completedHeader.has_value(), !row.completed.isEmpty());
    }
}

TEST_F(ListDetailModelTest, RowsFlatGroupedAndWithTheCompletedSection) {
    const TBList list = t.list("Shop", TBListKind::ongoing);
    t.item(list, "Bread #bakery");
    t.item(list, "Soap");
    t.item(list, "Milk #dairy");
    t.item(list, "Cream #dairy", true);
    t.defaults.setStringList("tagOrder." + list.id, {"dairy", "bakery"});
    model.show(list.id);
    EXPECT_EQ(rowKeys(model.snapshot()),
              QStringList({"hero", "filter", "Bread", "Soap", "Milk", "COMPLETED", "spacer"}));
    EXPECT_TRUE(model.snapshot().rows.at(2).draggable);
    EXPECT_EQ(model.snapshot().completedHeader->label, "Completed, 1 item");
    EXPECT_EQ(model.snapshot().completedHeader->hint, "Press to show");

    model.toggleCompleted();
    EXPECT_EQ(model.snapshot().rows.at(model.snapshot().rows.size() - 2).displayText, "Cream");
    EXPECT_EQ(model.snapshot().completedHeader->hint, "Press to hide");

    model.toggleGrouping();
    EXPECT_EQ(rowKeys(model.snapshot()),
              QStringList({"hero", "filter", "## DAIRY", "Milk", "## BAKERY", "Bread",
                           "## EVERYTHING ELSE", "Soap", "COMPLETED", "done Cream", "spacer"}));
    for (const DetailRow& row : model.snapshot().rows)
        EXPECT_FALSE(row.draggable);
    EXPECT_FALSE(model.canDrag());
}

TEST_F(ListDetailModelTest, HeroStatusLines) {
    using ListHeroText::Progress;
    struct Row {
        const char* what;
        std::optional<Progress> progress;
        int itemCount;
        const char* status;
    };
    const Row rows[] = {
        {"three of four", Progress{3, 4}, 1, "75% done \u00B7 1 left"},
        {"12.5 rounds up", Progress{1, 8}, 7, "13% done \u00B7 7 left"},
        {"two thirds", Progress{2, 3}, 1, "67% done \u00B7 1 left"},
        {"99.5 rounds to 100 but is not all done", Progress{199, 200}, 1,
         "100% done \u00B7 1 left"},
        {"all done", Progress{4, 4}, 0, "All done"},
        {"empty one-off list", Progress{0, 0}, 0, "Nothing on it yet"},
        {"ongoing, one item", std::nullopt, 1, "1 item"},
        {"ongoing, two items", std::nullopt, 2, "2 items"},
        {"ongoing, none", std::nullopt, 0, "Nothing on it yet"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(ListHeroText::statusLine(row.progress, row.itemCount), row.status);
    }
    EXPECT_EQ(ListHeroText::accessibleSummary("Groceries", "40% done \u00B7 3 left", true),
              "Groceries, 40% done \u00B7 3 left, pinned");
    EXPECT_EQ(ListHeroText::accessibleSummary("Groceries", "2 items", false), "Groceries, 2 items");
}

TEST_F(ListDetailModelTest, HeroCountsEveryItemWhateverTheFilter) {
    const TBList list = t.list("Trip");
    t.item(list, "Tent #camp", true);
    t.item(list, "Map #camp");
    t.item(list, "Socks #wear");
    t.item(list, "Hat #wear");
    TBList pinned = t.current(list.id);
    pinned.pinned = true;
    t.store->updateList(pinned);
    model.show(list.id);
    model.toggleTag("wear");
    const DetailSnapshot::Hero& hero = *model.snapshot().hero;
    EXPECT_EQ(hero.progress, (ListHeroText::Progress{1, 4}));
    EXPECT_EQ(hero.status, "25% done \u00B7 3 left");
    EXPECT_EQ(hero.accessibleSummary, "Trip, 25% done \u00B7 3 left, pinned");
}

TEST_F(ListDetailModelTest, DueTextOnlyForOneOffListsWithADate) {
    model.setRelativeWords([](Date due, Date now) {
        return QStringLiteral("in %1 days").arg(int(due.secondsSince(now) / 86400));
    });
    struct Row {
        const char* what;
        TBListKind kind;
        std::optional<double> dueIn; // seconds from now
        std::optional<QString> text;
    };
    const Row rows[] = {
        {"future", TBListKind::oneOff, 3 * 86400.0, "Due in 3 days"},
        {"past", TBListKind::oneOff, -3600.0, "Overdue"},
        {"ongoing with a date", TBListKind::ongoing, 3 * 86400.0, std::nullopt},
        {"no date", TBListKind::oneOff, std::nullopt, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TBList list = t.list("Party", row.kind);
        list.createdAt = t.clock.now().addingSeconds(-86400);
        if (row.dueIn)
            list.dueDate = t.clock.now().addingSeconds(*row.dueIn);
        t.store->updateList(list);
        model.show(list.id);
        EXPECT_EQ(model.snapshot().hero->dueText, row.text);
    }
}

TEST_F(ListDetailModelTest, FilterChipsToggleAndSpeak) {
    const TBList list = t.list("Shop");
    t.item(list, "Bread #bakery");
    t.item(list, "Milk #dairy");
    model.show(list.id);
    auto chipLabels = [&] {
        QStringList out;
        for (const DetailSnapshot::FilterChip& chip : model.snapshot().chips)
            out.append(chip.text + (chip.selected ? "*" : "") + " / " + chip.accessibilityLabel);
        return out;
    };
    EXPECT_EQ(chipLabels(), QStringList({"Group / Group by tag", "#bakery / Filter by bakery",
                                         "#dairy / Filter by dairy"}));
    model.toggleGrouping();
    model.toggleTag("bakery");
    EXPECT_EQ(chipLabels(),
              QStringList({"Group* / Stop grouping by tag", "#bakery* / Stop filtering by bakery",
                           "#dairy / Filter by dairy"}));
    model.toggleTag("dairy"); // replaces the filter
    EXPECT_EQ(model.state().selectedTag, "dairy");
    model.toggleTag("dairy"); // and the same chip again removes it
    EXPECT_EQ(model.state().selectedTag, std::nullopt);

    const TBList plain = t.list("Plain");
    t.item(plain, "Nails");
    model.show(plain.id);
    EXPECT_TRUE(model.snapshot().chips.isEmpty());
    EXPECT_EQ(rowKeys(model.snapshot()), QStringList({"hero", "Nails", "spacer"}));
}

TEST_F(ListDetailModelTest, AFilterOrGroupingTheVocabularyNoLongerBacksIsCleared) {
    const TBList list = t.list("Shop");
    const TBItem bread = t.item(list, "Bread #bakery");
    const TBItem milk = t.item(list, "Milk #dairy");
    model.show(list.id);
    model.toggleTag("bakery");
    model.toggleGrouping();
    QSignalSpy stateSpy(&model, &ListDetailModel::stateChanged);

    t.store->deleteItem(bread.id); // the last item tagged bakery
    DetailTestStore::turn();
    EXPECT_EQ(model.state().selectedTag, std::nullopt);
    EXPECT_TRUE(model.state().grouping); // dairy is still there to group by
    EXPECT_GE(stateSpy.count(), 1);
    t.store->addItem(list.id, "Cheese");
    DetailTestStore::turn();
    EXPECT_EQ(itemTexts(model.snapshot().outstanding), QStringList({"Milk #dairy", "Cheese"}));

    t.store->deleteItem(milk.id); // no tag left at all
    DetailTestStore::turn();
    EXPECT_FALSE(model.state().grouping);
    EXPECT_EQ(rowKeys(model.snapshot()), QStringList({"hero", "Cheese", "spacer"}));
}

TEST_F(ListDetailModelTest, ShareBadgeFaces) {
    struct Row {
        const char* what;
        int count;
        bool shared, known, manage;
        const char* symbol;
        ShareBadgeFace::Count shows;
        const char* spoken;
    };
    using C = ShareBadgeFace::Count;
    const Row rows[] = {
        {"managed, one person", 1, true, true, true, "person.2.fill", C::shown,
         "Shared with 1 person. Manage sharing"},
        {"managed, not shared", 0, false, false, true, "person.badge.plus", C::hiddenKeepingWidth,
         "Share this list"},
        {"managed, count unknown", 0, true, false, true, "person.2.fill", C::hiddenKeepingWidth,
         "Shared. Manage sharing"},
        {"as the screen builds it before loading", 0, true, false, false, "person.2.fill",
         C::absent, "Shared"},
        {"as the screen builds it with four", 4, true, true, false, "person.2.fill", C::shown,
         "Shared with 4 people"},
        {"known but nobody", 0, true, true, false, "person.2.fill", C::absent, "Shared"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const ShareBadgeFace face =
            ShareBadgeFace::make(row.count, row.shared, row.known, row.manage);
        EXPECT_EQ(face.symbol, row.symbol);
        EXPECT_EQ(face.count, row.shows);
        EXPECT_EQ(face.accessibilityText, row.spoken);
    }
    EXPECT_EQ(ShareBadgeFace::make(4, true, true, false).countText, "+4");
}

// A share look-up that answers when the test says so.
struct FakeShares {
    QStringList asked;
    QList<std::function<void(ListDetailModel::ShareAnswer)>> replies;
    ListDetailModel::ShareLookup lookup() {
        return [this](const QString& listID, std::function<void(ListDetailModel::ShareAnswer)> r) {
            asked.append(listID);
            replies.append(std::move(r));
        };
    }
};

TEST_F(ListDetailModelTest, TheShareIsLookedUpForOwnListsOnlyAndFillsTheBadge) {
    FakeShares shares;
    model.setShareLookup(shares.lookup());
    const TBList plain = t.list("Never shared");
    TBList sharedOwn = t.list("Shared by me");
    sharedOwn.hasShare = true;
    t.store->updateList(sharedOwn);
    const TBList theirs = t.list("Theirs");
    t.shareFromOwner(theirs.id, TBSharePermission::readWrite);

    model.show(plain.id);
    EXPECT_EQ(model.snapshot().badge, std::nullopt);
    ASSERT_EQ(shares.asked, QStringList({plain.id}));
    shares.replies.last()({std::nullopt, false});
    EXPECT_EQ(model.snapshot().badge, std::nullopt);

    model.show(sharedOwn.id);
    ASSERT_EQ(shares.asked.size(), 2);
    EXPECT_EQ(model.snapshot().badge->accessibilityText, "Shared");
    shares.replies.last()({0, false}); // only the owner
    EXPECT_EQ(model.snapshot().badge->count, ShareBadgeFace::Count::absent);
    model.show(sharedOwn.id);
    shares.replies.last()({3, false});
    EXPECT_EQ(model.snapshot().badge->countText, "+3");
    EXPECT_EQ(model.snapshot().badge->accessibilityText, "Shared with 3 people");
    model.show(sharedOwn.id);
    shares.replies.last()({std::nullopt, true}); // a failure says nothing
    EXPECT_EQ(model.snapshot().badge->accessibilityText, "Shared");
    EXPECT_EQ(model.state().message, std::nullopt);

    model.show(theirs.id);
    EXPECT_EQ(shares.asked.size(), 4); // no look-up for someone else's list
    EXPECT_EQ(model.snapshot().badge->accessibilityText, "Shared");
    model.show("no-such-list");
    EXPECT_EQ(shares.asked.size(), 4);
    EXPECT_EQ(model.snapshot().badge, std::nullopt);
}

TEST_F(ListDetailModelTest, AReplyForAListNoLongerShownIsDropped) {
    FakeShares shares;
    model.setShareLookup(shares.lookup());
    TBList first = t.list("First");
    first.hasShare = true;
    t.store->updateList(first);
    TBList second = t.list("Second");
    second.hasShare = true;
    t.store->updateList(second);
    model.show(first.id);
    model.show(second.id);
    shares.replies.first()({5, false}); // the first list's late answer
    EXPECT_EQ(model.snapshot().badge->accessibilityText, "Shared");
    shares.replies.last()({2, false});
    EXPECT_EQ(model.snapshot().badge->accessibilityText, "Shared with 2 people");
}

TEST_F(ListDetailModelTest, ShowingAnotherListStartsAfresh) {
    const TBList a = t.list("A", TBListKind::ongoing);
    t.item(a, "x #t");
    t.item(a, "y #t", true);
    const TBList b = t.list("B");
    model.show(a.id);
    model.toggleTag("t");
    model.toggleGrouping();
    model.toggleCompleted();
    model.openItem("some-item");
    model.show(b.id);
    EXPECT_EQ(model.state(), ListDetailState());
    EXPECT_EQ(model.listID(), b.id);
}

TEST_F(ListDetailModelTest, ShowingPrunesTickedItemsOfOngoingListsOnly) {
    for (TBListKind kind : {TBListKind::oneOff, TBListKind::ongoing}) {
        SCOPED_TRACE(rawValue(kind).toStdString());
        const TBList list = t.list("L", kind);
        for (int i = 0; i < 52; ++i)
            t.item(list, QStringLiteral("done %1").arg(i), true);
        t.store->setCompletedRetention(CompletedRetention::keep50, list.id);
        model.show(list.id);
        EXPECT_EQ(t.store->items(list.id).size(), kind == TBListKind::ongoing ? 50 : 52);
    }
}

TEST_F(ListDetailModelTest, WhileTheListIsGoneNothingWritesAndTheHostGoesBack) {
    const TBList list = t.list("Soon gone");
    const TBItem milk = t.item(list, "Milk");
    t.item(list, "Eggs");
    model.show(list.id);
    QSignalSpy gone(&model, &ListDetailModel::listGone);
    t.store->deleteList(list.id);
    DetailTestStore::turn();
    EXPECT_EQ(gone.count(), 1);
    EXPECT_FALSE(model.mayWrite());
    EXPECT_FALSE(model.canDrag());
    QSignalSpy changes(t.store.get(), &ListStore::changed);
    model.tick(milk.id);
    model.toggleStar(milk.id);
    model.deleteItem(milk.id);
    model.moveOpenItem(1, 0);
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(ListDetailModelTest, AReadOnlyListsItemsDoNotChange) {
    const TBList list = t.list("Theirs");
    const TBItem milk = t.item(list, "Milk");
    t.item(list, "Eggs");
    t.shareFromOwner(list.id, TBSharePermission::readOnly);
    model.show(list.id);
    QSignalSpy changes(t.store.get(), &ListStore::changed);
    model.tick(milk.id);
    model.toggleStar(milk.id);
    model.deleteItem(milk.id);
    model.moveOpenItem(1, 0);
    model.editList();
    EXPECT_EQ(changes.count(), 0);
    EXPECT_FALSE(model.state().editing);
    for (const DetailRow& row : model.snapshot().rows)
        EXPECT_FALSE(row.draggable);
}

TEST_F(ListDetailModelTest, ADragIsOneStoreCallAndStoreChangesRefreshOncePerTurn) {
    const TBList list = t.list("Order");
    for (const char* text : {"a", "b", "c", "d"})
        t.item(list, text);
    model.show(list.id);
    QSignalSpy changes(t.store.get(), &ListStore::changed);
    QSignalSpy refreshes(&model, &ListDetailModel::refreshed);
    model.moveOpenItem(3, 1);
    EXPECT_EQ(changes.count(), 1); // one store operation
    DetailTestStore::turn();
    EXPECT_EQ(refreshes.count(), 1);
    EXPECT_EQ(itemTexts(model.snapshot().outstanding), QStringList({"a", "d", "b", "c"}));

    const QString b = model.snapshot().outstanding.at(2).id;
    model.tick(b);
    model.toggleStar(b);
    t.store->addItem(list.id, "e");
    DetailTestStore::turn();
    EXPECT_EQ(refreshes.count(), 2);
    const TBItem starred = model.snapshot().outstanding.first(); // starred items come first
    EXPECT_EQ(starred.id, b);
    EXPECT_TRUE(starred.done);
    EXPECT_EQ(model.snapshot().outstanding.size(), 5);
}

TEST_F(ListDetailModelTest, ItemRowWords) {
    TBItem item;
    item.text = "Bread #bakery";
    EXPECT_EQ(ItemRowText::tickLabel(item), "Tick Bread #bakery");
    EXPECT_EQ(ItemRowText::textLabel(item), "Bread #bakery, not ticked");
    EXPECT_EQ(ItemRowText::starLabel(item), "Star Bread #bakery");
    item.done = true;
    item.pinned = true;
    EXPECT_EQ(ItemRowText::tickLabel(item), "Untick Bread #bakery");
    EXPECT_EQ(ItemRowText::textLabel(item), "Bread #bakery, ticked, starred");
    EXPECT_EQ(ItemRowText::starLabel(item), "Unstar Bread #bakery");
    EXPECT_EQ(ItemRowText::deleteLabel(item), "Delete Bread #bakery");
    EXPECT_EQ(ItemRowText::textHint(false), "View only");
}

} // namespace
