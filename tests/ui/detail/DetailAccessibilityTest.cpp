// What a screen reader finds on a list's rows and is told when they change, how the share
// look-up's answers reach the people badge, and the pane as the window builds it.
#include "DetailPaneTest.h"
#include "ui/components/AccessibleRows.h"
#include "ui/detail/CloudShareLookup.h"
#include "ui/lists/RelativeDueText.h"

#include <QAccessible>

#include <functional>
#include <utility>

namespace {

using DetailAccessibilityTest = DetailPaneTest;

// What the rows tell a screen reader, as Qt would hand it to the desktop's bridge: one
// line per event about a painted row or a control inside one, "what: name" with the element's
// name when it was sent ("went: Milk, not ticked", "checked: Milk, ticked", "name: Untick Milk").
class HeardFromRows {
public:
    HeardFromRows() {
        heard_ = this;
        AccessibleRows::setAnnouncer(&hear);
    }
    ~HeardFromRows() {
        AccessibleRows::setAnnouncer({});
        heard_ = nullptr;
    }
    QStringList take() { return std::exchange(said_, {}); }

private:
    static void hear(QAccessibleEvent* event) {
        QString what;
        switch (event->type()) {
        case QAccessible::ObjectCreated:
            what = "came";
            break;
        case QAccessible::ObjectDestroyed:
            what = "went";
            break;
        case QAccessible::ObjectReorder:
            what = "children";
            break;
        case QAccessible::NameChanged:
            what = "name";
            break;
        case QAccessible::DescriptionChanged:
            what = "description";
            break;
        case QAccessible::StateChanged: {
            const QAccessible::State changed =
                static_cast<QAccessibleStateChangeEvent*>(event)->changedStates();
            what = changed.checked ? "checked" : changed.disabled ? "disabled" : "state";
            break;
        }
        default:
            return;
        }
        QAccessibleInterface* element = event->accessibleInterface();
        if (heard_ && element)
            heard_->said_.append(what + ": " + element->text(QAccessible::Name));
    }

    static inline HeardFromRows* heard_ = nullptr;
    QStringList said_;
};

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

TEST_F(DetailAccessibilityTest, ATickAnAddADeleteOrNewRightsAreToldAsTheyHappen) {
    struct Shown {
        TBList list;
        QString milk;
    };
    const auto oneOff = [](DetailTestStore& t) {
        const TBList list = t.list("Shop");
        const QString milk = t.item(list, "Milk").id;
        t.item(list, "Eggs");
        return Shown{list, milk};
    };
    const auto chores = [](DetailTestStore& t) {
        const TBList list = t.list("Chores", TBListKind::ongoing);
        const QString sweep = t.item(list, "Sweep").id;
        t.item(list, "Dust", true);
        t.item(list, "Mop", true);
        return Shown{list, sweep};
    };
    const auto theirs = [](TBSharePermission permission) {
        return [permission](DetailTestStore& t) {
            const TBList list = t.list("Theirs");
            const QString milk = t.item(list, "Milk").id;
            t.shareFromOwner(list.id, permission);
            return Shown{list, milk};
        };
    };
    const auto find = [](DetailTestStore& t, const TBList& list, const QString& text) {
        for (const TBItem& item : t.store->items(list.id))
            if (item.text == text)
                return item.id;
        return QString();
    };
    const struct {
        const char* what;
        std::function<Shown(DetailTestStore&)> make;
        std::function<void(ListDetailModel&, DetailTestStore&, const Shown&)> change;
        QStringList said;
    } rows[] = {
        {"a tick that leaves the row in place",
         oneOff,
         [](ListDetailModel& m, DetailTestStore&, const Shown& s) { m.tick(s.milk); },
         {"name: Milk, ticked", "checked: Milk, ticked", "name: Untick Milk"}},
        {"a tick that moves the row to the completed section",
         chores,
         [](ListDetailModel& m, DetailTestStore&, const Shown& s) { m.tick(s.milk); },
         {"went: Sweep, not ticked", "name: Completed, 3 items", "came: Sweep, ticked"}},
        {"an untick that moves the row out of the completed section",
         chores,
         [&](ListDetailModel& m, DetailTestStore& t, const Shown& s) {
             m.tick(find(t, s.list, "Dust"));
         },
         {"went: Dust, ticked", "name: Completed, 1 item", "came: Dust, not ticked"}},
        {"a star",
         oneOff,
         [](ListDetailModel& m, DetailTestStore&, const Shown& s) { m.toggleStar(s.milk); },
         {"name: Milk, not ticked, starred", "name: Unstar Milk", "state: Unstar Milk"}},
        {"an add",
         oneOff,
         [](ListDetailModel&, DetailTestStore& t, const Shown& s) {
             t.store->addItem(s.list.id, "Bread");
         },
         {"came: Bread, not ticked"}},
        {"a delete",
         oneOff,
         [](ListDetailModel& m, DetailTestStore&, const Shown& s) { m.deleteItem(s.milk); },
         {"went: Milk, not ticked"}},
        {"a list made read-only",
         theirs(TBSharePermission::readWrite),
         [](ListDetailModel&, DetailTestStore& t, const Shown& s) {
             t.permissionChanged(s.list.id, TBSharePermission::readOnly);
         },
         {"description: Milk, not ticked", "disabled: Tick Milk", "children: Milk, not ticked"}},
        {"a list made read-write",
         theirs(TBSharePermission::readOnly),
         [](ListDetailModel&, DetailTestStore& t, const Shown& s) {
             t.permissionChanged(s.list.id, TBSharePermission::readWrite);
         },
         {"description: Milk, not ticked", "disabled: Tick Milk", "came: Star Milk"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const Shown shown = row.make(t);
        open(shown.list);
        if (model.snapshot().completedHeader)
            model.toggleCompleted();
        t.turn();
        view->items().doItemsLayout();
        HeardFromRows heard;
        row.change(model, t, shown);
        t.turn();
        EXPECT_EQ(heard.take(), row.said);
    }
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
