// Finding every list from the quickest place that is current.
#include "intents/ListDirectory.h"

#include "intents/ListEntityIndex.h"
#include "intents/RequestClient.h"
#include "intents/StoreNotice.h"
#include "store/ListStore.h"

#include <utility>

ListDirectory::ListDirectory(Settings settings, Defaults& defaults)
    : settings_(std::move(settings)), defaults_(defaults) {
    if (settings_.indexPath.isEmpty())
        settings_.indexPath = ListEntityIndex::defaultPath();
}

std::optional<QList<ListEntity>> ListDirectory::readableLists() const {
    if (!settings_.serverName.isEmpty()) {
        if (std::optional<QList<ListEntity>> running = RequestClient::lists(settings_.serverName))
            return *running;
    }
    const QString storeFile = settings_.source.fileURL();
    // Taken before the store is read: should the file change meanwhile, the index written
    // below names the older version and is not trusted.
    const QString stamp = ListEntityIndex::storeStamp(storeFile);
    if (std::optional<QList<ListEntity>> indexed =
            ListEntityIndex::read(stamp, settings_.indexPath))
        return *indexed;

    // A reading store takes no lock and never writes the store, so a look-up never disturbs
    // a program or a request that holds it.
    ListStore store(storeFile, settings_.source.cloudSync, false, defaults_, Clock::shared(),
                    ListStore::Access::readOnly);
    StoreNotice::tell(store, settings_.notice);
    if (store.openError())
        return std::nullopt;
    QList<ListEntity> lists;
    for (const TBList& list : store.sortedLists())
        lists.append(ListEntity{list.id, list.name});
    // A damaged file is left for the next reader to find, and to say so, again; a newer
    // program's file, with its index, to that program.
    if (!store.unreadableCopy() && !store.editRefusal() && !stamp.isEmpty())
        ListEntityIndex::refresh(store.sortedLists(), settings_.indexPath, stamp);
    return lists;
}
