#include "intents/ListEntityQuery.h"

#include "lexicon/VoiceResolution.h"

#include <QSet>

#include <utility>

ListEntityQuery::ListEntityQuery(SharedStore::Source source, Defaults& defaults)
    : directory_(ListDirectory::Settings{std::move(source), {}, {}, {}}, defaults) {}

ListEntityQuery::ListEntityQuery(ListDirectory directory) : directory_(std::move(directory)) {}

QList<ListEntity> ListEntityQuery::allLists() const {
    return directory_.lists();
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
    return matching(spoken, allLists());
}

QList<ListEntity> ListEntityQuery::matching(const QString& spoken,
                                            const QList<ListEntity>& entities) {
    // The matcher goes by name alone.
    QList<TBList> lists;
    for (const ListEntity& entity : entities) {
        TBList list;
        list.id = entity.id;
        list.name = entity.name;
        lists.append(list);
    }
    QList<ListEntity> found;
    for (const TBList& list : VoiceResolution::resolve(spoken, lists).lists)
        found.append(ListEntity{list.id, list.name});
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
