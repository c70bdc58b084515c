// What a screen reader finds on a list's rows, how the share look-up's answers reach the people
// badge, and the pane as the window builds it.
#include "DetailPaneTest.h"
#include "ui/detail/CloudShareLookup.h"
#include "ui/lists/RelativeDueText.h"

#include <QAccessible>

namespace {

using DetailAccessibilityTest = DetailPaneTest;

TEST_F(DetailAccessibilityTest, ItemRowsOfferTheirMenuSwipeAndTickActions) {
    const TBList list = t.list("Shop");
    const TBItem milk = t.item(list, "Milk #dairy");
    open(list);
    QAccessibleInterface* items = QAccessible::queryAccessibleInterface(&view->items());
    ASSERT_TRUE(items);
    EXPECT_EQ(items->role(), QAccessible::List);
    QAccessibleInterface* row = items->child(rowOf(milk.id));
    ASSERT_TRUE(row);
    EXPECT_EQ(row->text(QAccessible::Name), "Milk #dairy, not ticked");
    EXPECT_EQ(row->text(QAccessible::Description), "Press to open");
    QAccessibleActionInterface* actions = row->actionInterface();
    ASSERT_TRUE(actions);
    EXPECT_EQ(actions->actionNames(),
              QStringList({QAccessibleActionInterface::pressAction(), "Tick", "Star", "Delete"}));

    actions->doAction("Star");
    QCoreApplication::processEvents();
    EXPECT_TRUE(t.store->items(list.id).first().pinned);
    // The same row, found again after the change, offers the opposite.
    row = items->child(rowOf(milk.id));
    EXPECT_TRUE(row->actionInterface()->actionNames().contains("Unstar"));
    row->actionInterface()->doAction("Tick");
    QCoreApplication::processEvents();
    EXPECT_TRUE(t.store->items(list.id).first().done);
    EXPECT_EQ(sound->played, QStringList({"Glass"}));
    row = items->child(rowOf(milk.id));
    row->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(model.state().openItem, (ItemRoute{milk.id, list.id}));
    row->actionInterface()->doAction("Delete");
    QCoreApplication::processEvents();
    EXPECT_TRUE(t.store->items(list.id).isEmpty());
}

TEST_F(DetailAccessibilityTest, AReadOnlyListsRowsOnlyOpen) {
    const TBList list = t.list("Theirs");
    const TBItem milk = t.item(list, "Milk");
    t.shareFromOwner(list.id, TBSharePermission::readOnly);
    open(list);
    QAccessibleInterface* row =
        QAccessible::queryAccessibleInterface(&view->items())->child(rowOf(milk.id));
    ASSERT_TRUE(row);
    EXPECT_EQ(row->actionInterface()->actionNames(),
              QStringList({QAccessibleActionInterface::pressAction()}));
    EXPECT_EQ(row->text(QAccessible::Description), "View only");
}

TEST(CloudShareLookup, AnswersFromTheCloud) {
    const cloud::ZoneID zone{"TB-L1", "_me"};
    auto withPeople = [&](std::vector<cloud::ParticipantRole> roles) {
        cloud::Record record = cloud::Record::zoneWideShare(zone);
        for (cloud::ParticipantRole role : roles) {
            cloud::ShareParticipant participant;
            participant.role = role;
            record.share()->participants.push_back(participant);
        }
        return record;
    };
    using Role = cloud::ParticipantRole;
    const struct {
        const char* what;
        std::optional<cloud::Record> share;
        std::optional<CloudSync::ShareError> error;
        std::optional<int> others;
        bool failed;
    } rows[] = {
        {"no share", std::nullopt, std::nullopt, std::nullopt, false},
        {"only the owner", withPeople({Role::owner}), std::nullopt, 0, false},
        {"owner and two", withPeople({Role::owner, Role::privateUser, Role::publicUser}),
         std::nullopt, 2, false},
        {"a record that is no share", cloud::Record("TB_List", {"list", zone}), std::nullopt,
         std::nullopt, false},
        {"a failure", std::nullopt, CloudSync::ShareError(SharingError::unknownList), std::nullopt,
         true},
    };
    for (const auto& row : rows) {
        const ListDetailModel::ShareAnswer answer = CloudShareLookup::answer(row.share, row.error);
        EXPECT_EQ(answer.otherParticipants, row.others) << row.what;
        EXPECT_EQ(answer.failed, row.failed) << row.what;
    }
}

TEST_F(DetailAccessibilityTest, TheScreenTellsTheDueDayInWordsAndWithoutTheCloudLooksUpNothing) {
    TBList list = t.list("Party");
    list.dueDate = t.clock.now().addingSeconds(86400);
    list.hasShare = true;
    t.store->updateList(list);
    ListDetailModel screen(*t.store, t.clock); // as the window makes it
    screen.show(list.id);
    ASSERT_TRUE(screen.snapshot().hero);
    EXPECT_EQ(screen.snapshot().hero->dueText,
              "Due " + RelativeDueText().text(*list.dueDate, t.clock.now()));
    EXPECT_EQ(screen.shareLookups(), 1);
    // No cloud half: the look-up fails, silently, and the count stays unknown.
    ASSERT_TRUE(screen.snapshot().badge);
    EXPECT_EQ(screen.share(), std::nullopt);
    EXPECT_EQ(screen.state().message, std::nullopt);
}

} // namespace
