#pragma once

#include "intents/ListEntity.h"
#include "platform/Defaults.h"
#include "store/StoreLocation.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// Where the command line finds every list, in display order, without building a store it does
// not need: the running program's own store when a program runs; else the list index when it
// was written from the store file as it is now; else the store file itself, read by a reading
// store, after which the index is written again. The store is never read twice for one answer.
class ListDirectory {
public:
    struct Settings {
        SharedStore::Source source = SharedStore::source();
        QString serverName; // the program's socket; empty: no program is asked
        QString indexPath;  // empty: the index's usual place
        std::function<void(const QString& note)> notice; // said about the store file
    };

    ListDirectory(Settings settings, Defaults& defaults);

    QList<ListEntity> lists() const { return readableLists().value_or(QList<ListEntity>()); }
    // The same, or nothing when the store file could not be opened at all (the notice has
    // said why): no lists, as opposed to none to show.
    std::optional<QList<ListEntity>> readableLists() const;

private:
    Settings settings_;
    Defaults& defaults_;
};
