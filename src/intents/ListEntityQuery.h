#pragma once

#include "intents/ListDirectory.h"
#include "intents/ListEntity.h"
#include "model/TBList.h"
#include "platform/Defaults.h"
#include "store/StoreLocation.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Finds lists for requests: by ids, by a spoken name, or all of them. Every question takes the
// lists afresh from the directory (the running program, the list index or the store file), so
// it always sees the latest saved names.
class ListEntityQuery {
public:
    explicit ListEntityQuery(SharedStore::Source source = SharedStore::source(),
                             Defaults& defaults = Defaults::standard());
    explicit ListEntityQuery(ListDirectory directory);

    // The lists with these ids that exist, in display order; unknown and repeated ids add nothing.
    QList<ListEntity> entities(const QStringList& ids) const;
    // The lists a spoken name answers to: one when it singles one out, every candidate when
    // several answer, none otherwise.
    QList<ListEntity> entitiesMatching(const QString& spoken) const;
    // The same among lists already found.
    static QList<ListEntity> matching(const QString& spoken, const QList<ListEntity>& lists);
    // Every list, in display order.
    QList<ListEntity> suggestedEntities() const;
    QList<ListEntity> results() const { return suggestedEntities(); }
    // The first list in display order.
    std::optional<ListEntity> defaultResult() const;

private:
    QList<ListEntity> allLists() const;

    ListDirectory directory_;
};
