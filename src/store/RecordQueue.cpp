#include "RecordQueue.h"

#include "CloudLayout.h"
#include "ListStore.h"
#include "MarkScan.h"

#include <QSet>

#include <utility>

RecordQueue::RecordQueue(const ListStore& store) : store_(store) {}

const RecordQueue::Route& RecordQueue::route(const QString& listID) {
    const auto known = routes_.constFind(listID);
    if (known != routes_.cend())
        return *known;
    const bool shared = store_.isShared(listID);
    Route route{store_.zoneID(listID), shared ? store_.sharedEngine() : store_.privateEngine()};
    // Someone else's zone is theirs to make.
    if (!shared && store_.privateEngine())
        store_.privateEngine()->saveZone(route.zone);
    return *routes_.insert(listID, route);
}

void RecordQueue::saveList(const QString& listID) {
    const Route& to = route(listID);
    if (to.engine)
        (to.engine == store_.privateEngine() ? privateSaves_ : sharedSaves_)
            .push_back(RecordRef{CloudLayout::listRecordName, to.zone});
}

void RecordQueue::saveItem(const TBItem& item) {
    const Route& to = route(item.listID);
    if (to.engine)
        (to.engine == store_.privateEngine() ? privateSaves_ : sharedSaves_)
            .push_back(RecordRef{item.id, to.zone});
}

// One by one, at once: the engine may be sending, and takes in at once what its events queue.
void RecordQueue::flush() {
    const auto hand = [](EngineQueue* engine, std::vector<RecordRef>& saves) {
        if (engine) {
            for (const RecordRef& record : saves)
                engine->saveRecord(record);
        }
        saves.clear();
    };
    hand(store_.privateEngine(), privateSaves_);
    hand(store_.sharedEngine(), sharedSaves_);
}

namespace {

// Where an item's record goes, by its list, worked out on the store's thread.
struct ListZone {
    ZoneRef zone;
    bool shared = false;
    bool zoneQueued = false; // the zone save is already queued
};
using ListZones = QHash<QString, ListZone>;

EngineQueue::Saves markedItemSaves(MarkScan& scan, const ListZones& lists, bool shared) {
    scan.run();
    EngineQueue::Saves saves;
    saves.records.reserve(scan.marked().size());
    QSet<QString> zoned;
    for (const auto& [itemID, listID] : scan.marked()) {
        const auto list = lists.constFind(listID);
        if ((list != lists.cend() && list->shared) != shared)
            continue;
        const ZoneRef zone = list != lists.cend()
                                 ? list->zone
                                 : ZoneRef{CloudLayout::listZoneName(listID), currentUserOwnerName};
        if (!shared && (list == lists.cend() || !list->zoneQueued) && !zoned.contains(listID)) {
            zoned.insert(listID);
            saves.zones.push_back(zone);
        }
        saves.records.push_back(RecordRef{itemID, zone});
    }
    return saves;
}

} // namespace

void RecordQueue::saveMarkedItems(const std::shared_ptr<MarkScan>& scan,
                                  const QList<TBList>& lists) {
    flush();
    auto zones = std::make_shared<ListZones>();
    bool anyShared = false;
    for (const TBList& list : lists) {
        if (zones->contains(list.id))
            continue; // the first list of an id is the one found
        const bool shared = list.zoneOwnerName.has_value();
        anyShared = anyShared || shared;
        zones->insert(list.id, ListZone{ZoneRef{CloudLayout::listZoneName(list.id),
                                                list.zoneOwnerName.value_or(currentUserOwnerName)},
                                        shared, routes_.contains(list.id)});
    }
    const std::shared_ptr<const ListZones> fixed = std::move(zones);
    if (EngineQueue* engine = store_.privateEngine())
        engine->queueSaves([scan, fixed] { return markedItemSaves(*scan, *fixed, false); });
    if (EngineQueue* engine = store_.sharedEngine(); engine && anyShared)
        engine->queueSaves([scan, fixed] { return markedItemSaves(*scan, *fixed, true); });
}
