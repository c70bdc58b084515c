// Three devices (two of Ann's, and Bob with read-write access to one of Ann's lists) make
// random edits with random offline spells, faults and restarts, then sync until nothing is
// left to send, and must then agree. SYNC_SEED=n runs seed n alone; SYNC_SEEDS=n runs seeds
// 1 to n (100 by default).
#include "SyncTestSupport.h"

#include "model/ItemNotes.h"
#include "support/PostgresTestServer.h"
#include "sync/CloudRefresh.h"

#include <QRegularExpression>

#include <map>
#include <random>
#include <set>

namespace synctest {
namespace {

using namespace cloud;
using Code = CloudError::Code;

// What each device last wrote to each field, to tell a lost edit from one overwritten by
// another device's edit of the same field.
using FieldKey = std::pair<QString, QString>; // (element id, field)

// The lines of `a` that `b` lacks, so that a failure shows only what differs.
QStringList difference(const QStringList& a, const QStringList& b) {
    QStringList out;
    for (const QString& line : a) {
        if (!b.contains(line))
            out.append(line);
    }
    return out;
}

class World {
public:
    // How a person's device reaches the container: on a server, as that person's role.
    using Reach = std::function<std::shared_ptr<Container>(const QString& user)>;

    World(std::shared_ptr<Container> container, unsigned seed, const Reach& reach = {})
        : container_(container), random_(seed) {
        container->createUser("ann", std::nullopt);
        container->createUser("bob", std::nullopt);
        for (const char* id : {"annLaptop", "annPhone"})
            container->signIn(id, "ann");
        container->signIn("bobLaptop", "bob");
        for (const char* id : {"annLaptop", "annPhone", "bobLaptop"}) {
            const QString user = QString::fromLatin1(id).startsWith("ann") ? "ann" : "bob";
            devices_.push_back(std::make_unique<Device>(reach ? reach(user) : container, id));
        }
        sharedList_ = ann().store().addList("Shared").id;
        written("annLaptop", sharedList_, "name", "Shared");
        EXPECT_FALSE(ann().syncNow());
        EXPECT_FALSE(container->shareZone("ann", "TB-" + sharedList_, "bob",
                                          ParticipantPermission::readWrite));
        EXPECT_FALSE(container->acceptShare("ann", "TB-" + sharedList_, "bob"));
        for (auto& d : devices_)
            EXPECT_FALSE(d->syncNow());
    }

    void play(int steps) {
        for (int step = 0; step < steps; ++step)
            randomStep(*devices_[pick(devices_.size())]);
    }

    // Everyone online and without faults, syncing until nothing is left to send.
    bool settle() {
        container_->clearFaults();
        for (auto& d : devices_)
            container_->setOffline(d->id(), false);
        int quietRounds = 0;
        for (int round = 0; round < 30 && quietRounds < 2; ++round) {
            bool quiet = true;
            for (auto& d : devices_) {
                quiet = !d->syncNow() && quiet;
                if (unsent(*d) && idle(*d)) {
                    // Marks whose saves failed for good wait for the next engine start.
                    d->restart();
                    quiet = false;
                }
                quiet = quiet && !unsent(*d) && idle(*d);
            }
            quietRounds = quiet ? quietRounds + 1 : 0;
        }
        return quietRounds >= 2;
    }

    void check() {
        ListStore& mac = ann().store();
        ListStore& phone = devices_[1]->store();
        ListStore& bob = devices_[2]->store();
        EXPECT_EQ(difference(contents(mac), contents(phone)), QStringList());
        EXPECT_EQ(difference(contents(phone), contents(mac)), QStringList());
        // A filing saved by one device while another deleted its list can outlive the list
        // on some devices; such a filing names nothing and shows nowhere.
        const auto liveFilings = [](ListStore& store) {
            QMap<QString, QString> live;
            for (const TBList& list : store.lists()) {
                if (store.filings().contains(list.id))
                    live.insert(list.id, store.filings().value(list.id));
            }
            return live;
        };
        EXPECT_EQ(liveFilings(mac), liveFilings(phone));

        // Bob's view of the shared list is Ann's; groups are each user's own.
        const auto sharedPart = [&](ListStore& store) {
            QStringList lines;
            for (QString line : contents(store)) {
                if (line.contains(sharedList_))
                    lines.append(line.remove(QRegularExpression(" group=.*$")));
            }
            return lines;
        };
        const QStringList annShared = sharedPart(mac);
        const QStringList bobShared = sharedPart(bob);
        EXPECT_EQ(difference(annShared, bobShared), QStringList());
        EXPECT_EQ(difference(bobShared, annShared), QStringList());
        for (const TBList& list : bob.lists())
            EXPECT_EQ(list.zoneOwnerName, "ann");

        for (auto& d : devices_) {
            for (const TBItem& item : d->store().allItems()) {
                EXPECT_FALSE(deleted_.contains(item.id))
                    << d->id().toStdString() << " brought back " << item.text.toStdString();
                // An edit that had not yet learned that its list was deleted elsewhere
                // re-creates the list's zone (the zone is missing, so it is made again), and
                // the edited item lives on without its list. Nothing else comes back.
                if (deletedWithList_.contains(item.id)) {
                    EXPECT_TRUE(editedUnaware_.contains(item.id))
                        << d->id().toStdString() << " brought back " << item.text.toStdString()
                        << " of a deleted list although nobody edited it";
                }
                checkField(item.id, "text", item.text);
                checkField(item.id, "done", QString::number(item.done));
                checkField(item.id, "pinned", QString::number(item.pinned));
                // A note is never lost once its item syncs.
                const auto notes = ItemNotes::parse(item.notes);
                for (const QString& note : notes_[item.id]) {
                    EXPECT_TRUE(std::any_of(notes.begin(), notes.end(),
                                            [&](const auto& e) { return e.text == note; }))
                        << "note " << note.toStdString() << " lost on " << d->id().toStdString();
                }
            }
            for (const TBList& list : d->store().lists())
                checkField(list.id, "name", list.name);
        }
    }

private:
    Device& ann() { return *devices_[0]; }
    size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }
    bool chance(int percent) { return int(pick(100)) < percent; }

    // An item of a list deleted elsewhere was edited by a device that did not know yet.
    void edited(const QString& itemID) {
        if (deletedWithList_.contains(itemID))
            editedUnaware_.insert(itemID);
    }

    void written(const QString& device, const QString& id, const QString& field,
                 const QString& value) {
        lastWrites_[{id, field}][device] = value;
    }

    // A field ends with the last value one of the devices wrote to it, or one the server
    // gave everyone before anyone wrote it.
    void checkField(const QString& id, const QString& field, const QString& value) {
        const auto found = lastWrites_.find({id, field});
        if (found == lastWrites_.end())
            return;
        bool some = false;
        for (const auto& [device, last] : found->second)
            some = some || last == value;
        EXPECT_TRUE(some) << field.toStdString() << " of " << id.toStdString() << " is "
                          << value.toStdString() << ", which no device wrote last";
    }

    static bool unsent(Device& d) {
        ListStore& s = d.store();
        if (CloudRefresh::hasUnsentChanges(s.dirtyLists(), s.dirtyItems(), s.dirtyFilings(),
                                           s.dirtyTombstones()) ||
            !s.pendingZoneDeletions().isEmpty())
            return true;
        // A deletion whose list zone went away in the meantime has nothing left to delete.
        for (const QString& id : s.pendingItemDeletions()) {
            if (s.tombstones().contains(id))
                return true;
        }
        return false;
    }

    static bool idle(Device& d) {
        for (EngineScope scope : {EngineScope::privateDatabase, EngineScope::sharedDatabase}) {
            CloudEngine* engine = d.sync().engine(scope);
            if (engine)
                engine->settle();
            if (engine && (!engine->engine().state().pendingRecordZoneChanges().empty() ||
                           !engine->engine().state().pendingDatabaseChanges().empty()))
                return false;
        }
        return true;
    }

    // The lists a device may edit: Bob only the one shared with him.
    QStringList editable(Device& d) {
        QStringList ids;
        for (const TBList& list : d.store().lists()) {
            if (&d != devices_[2].get() || list.id == sharedList_)
                ids.append(list.id);
        }
        return ids;
    }

    void randomStep(Device& d) {
        ListStore& s = d.store();
        const QStringList lists = editable(d);
        const QString listID = lists.isEmpty() ? QString() : lists[int(pick(lists.size()))];
        const QList<TBItem> items = listID.isEmpty() ? QList<TBItem>() : s.items(listID);
        const TBItem* item = items.isEmpty() ? nullptr : &items[int(pick(items.size()))];
        const bool isBob = &d == devices_[2].get();
        const QString tag = QStringLiteral("%1-%2").arg(d.id()).arg(++counter_);
        d.clock.advance(double(pick(5)));

        const int action = int(pick(16));
        if (qEnvironmentVariableIsSet("SYNC_TRACE"))
            qInfo("%s action %d list %s item %s", qPrintable(tag), action, qPrintable(listID),
                  item ? qPrintable(item->id) : "-");
        switch (action) {
        case 0:
        case 1:
            if (!listID.isEmpty()) {
                const TBItem added = s.addItem(listID, "item " + tag).value();
                written(d.id(), added.id, "text", added.text);
                written(d.id(), added.id, "done", "0");
                written(d.id(), added.id, "pinned", "0");
            }
            break;
        case 2:
            if (item) {
                s.renameItem(item->id, "renamed " + tag);
                edited(item->id);
                written(d.id(), item->id, "text", "renamed " + tag);
            }
            break;
        case 3:
            if (item) {
                const bool done = !item->done;
                s.setDone(item->id, done);
                edited(item->id);
                written(d.id(), item->id, "done", QString::number(done));
            }
            break;
        case 4:
            if (item) {
                s.setItemPinned(item->id, !item->pinned);
                edited(item->id);
                written(d.id(), item->id, "pinned", QString::number(!item->pinned));
            }
            break;
        case 5:
            if (item && s.addNote("note " + tag, item->id, d.id(), d.id())) {
                notes_[item->id].insert("note " + tag);
                edited(item->id);
            }
            break;
        case 6:
            if (item) {
                deleted_.insert(item->id);
                s.deleteItem(item->id);
            }
            break;
        case 7:
            if (items.size() > 1) {
                QStringList visible;
                for (const TBItem& each : items) {
                    visible.append(each.id);
                    edited(each.id); // a drag marks every item of the list
                }
                s.moveItems(listID, visible, {int(pick(items.size()))},
                            int(pick(items.size() + 1)));
            }
            break;
        case 8:
            if (!isBob) {
                const TBList added = s.addList("list " + tag);
                written(d.id(), added.id, "name", added.name);
            }
            break;
        case 9:
            if (!isBob && !listID.isEmpty() && listID != sharedList_ && chance(50)) {
                for (const TBItem& each : items) {
                    deletedWithList_.insert(each.id);
                    // An edit another device has not sent yet counts as made unaware.
                    for (auto& other : devices_) {
                        if (other.get() != &d &&
                            !other->store().dirtyItems().value(each.id).isEmpty())
                            editedUnaware_.insert(each.id);
                    }
                }
                s.deleteList(listID);
            }
            break;
        case 10:
            if (!listID.isEmpty()) {
                TBList renamed = *std::find_if(s.lists().begin(), s.lists().end(),
                                               [&](const TBList& l) { return l.id == listID; });
                renamed.name = "named " + tag;
                s.updateList(renamed);
                written(d.id(), listID, "name", renamed.name);
            }
            break;
        case 11:
            if (!listID.isEmpty()) {
                const QStringList groups{"Home", "Work", ""};
                const QString group = groups[int(pick(3))];
                s.setCollection(group.isEmpty() ? std::nullopt : std::optional(group), listID);
            }
            break;
        case 12:
        case 13:
            d.syncNow();
            break;
        case 14:
            container_->setOffline(d.id(), chance(50));
            break;
        case 15:
            switch (pick(4)) {
            case 0:
                container_->injectFault(d.id(), "", Code::networkUnavailable, 1);
                break;
            case 1:
                container_->injectFault(d.id(), "*", Code::unknownItem, 1);
                break;
            case 2:
                container_->injectFault(d.id(), "*", Code::zoneNotFound, 1);
                break;
            default:
                d.restart();
                break;
            }
            break;
        }
    }

    std::shared_ptr<Container> container_;
    std::mt19937 random_;
    std::vector<std::unique_ptr<Device>> devices_;
    QString sharedList_;
    int counter_ = 0;
    std::set<QString> deleted_;         // items deleted one by one: never come back
    std::set<QString> deletedWithList_; // items whose list was deleted
    std::set<QString> editedUnaware_;   // of those, items edited by a device not yet told
    std::map<QString, std::set<QString>> notes_;
    std::map<FieldKey, std::map<QString, QString>> lastWrites_;
};

std::vector<unsigned> seeds(const char* countVariable = "SYNC_SEEDS", unsigned count = 100) {
    if (const QByteArray one = qgetenv("SYNC_SEED"); !one.isEmpty())
        return {one.toUInt()};
    const QByteArray given = qgetenv(countVariable);
    const unsigned n = given.isEmpty() ? count : given.toUInt();
    std::vector<unsigned> all;
    for (unsigned seed = 1; seed <= n; ++seed)
        all.push_back(seed);
    return all;
}

TEST(Convergence, RandomEditsOnThreeDevicesEndTheSameEverywhere) {
    ensureApplication();
    for (unsigned seed : seeds()) {
        SCOPED_TRACE("SYNC_SEED=" + std::to_string(seed));
        World world(Container::inMemory(), seed);
        world.play(160);
        ASSERT_TRUE(world.settle()) << "still sending after 30 rounds";
        world.check();
        if (::testing::Test::HasFailure())
            break;
    }
}

// The same on a PostgreSQL server, where Ann's devices and Bob's connect as their own roles and
// the server's policies hold each to what is theirs. Fewer seeds by default (SYNC_SERVER_SEEDS):
// each takes a database of its own and real round trips.
TEST(Convergence, RandomEditsOnThreeDevicesOfTwoRolesEndTheSameOnAServer) {
    ensureApplication();
    TALLYBIRD_REQUIRE_POSTGRES();
    for (unsigned seed : seeds("SYNC_SERVER_SEEDS", 10)) {
        SCOPED_TRACE("SYNC_SEED=" + std::to_string(seed));
        testsupport::PostgresTestDatabase db;
        ASSERT_TRUE(db.ok()) << db.error().toStdString();
        std::map<QString, std::shared_ptr<Container>> roles;
        {
            World world(db.admin(), seed, [&](const QString& user) {
                auto& made = roles[user];
                if (!made)
                    made = Container::openServer(db.uri(user)).value();
                return made;
            });
            world.play(160);
            ASSERT_TRUE(world.settle()) << "still sending after 30 rounds";
            world.check();
        }
        roles.clear();
        if (::testing::Test::HasFailure())
            break;
    }
}

} // namespace
} // namespace synctest
