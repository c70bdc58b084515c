#include "intents/ListEntityQuery.h"

#include "lexicon/VoiceResolution.h"
#include "store/ListStore.h"

#include <QSet>

#include <utility>

namespace {
ListEntity entityOf(const TBList& list) {
    return ListEntity{list.id, list.name};
}
} // namespace

ListEntityQuery::ListEntityQuery(SharedStore::Source source, Defaults& defaults)
    : source_(std::move(source)), defaults_(defaults) {}

QList<TBList> ListEntityQuery::sortedLists() const {
    // A reading store takes no lock and never writes, so a look-up never disturbs a program
    // that holds the store.
    ListStore store(source_.fileURL(), source_.cloudSync, false, defaults_, Clock::shared(),
                    ListStore::Access::readOnly);
    store.rebuildDerivedCacheIfNeeded();
    return store.sortedListsCache();
}

QList<ListEntity> ListEntityQuery::allLists() const {
    QList<ListEntity> entities;
    for (const TBList& list : sortedLists())
        entities.append(entityOf(list));
    return entities;
}

QList<ListEntity> ListEntityQuery::entities(const QStringList& ids) const {
    const QSet<QString> wanted(ids.begin(), ids.end());
    QList<ListEntity> found;
    QSet<QString> seen;
    for (const ListEntity& entity : allLists()) {
        if (wanted.contains(entity.id) && !seen.contains(entity.id)) {
            seen.insert(entity.id);
            found.append(entity);
        }
    }
    return found;
}

QList<ListEntity> ListEntityQuery::entitiesMatching(const QString& spoken) const {
    const ListMatch match = VoiceResolution::resolve(spoken, sortedLists());
    QList<ListEntity> found;
    for (const TBList& list : match.lists)
        found.append(entityOf(list));
    return found;
}

QList<ListEntity> ListEntityQuery::suggestedEntities() const {
    return allLists();
}

std::optional<ListEntity> ListEntityQuery::defaultResult() const {
    const QList<ListEntity> all = allLists();
    if (all.isEmpty())
        return std::nullopt;
    return all.first();
}
