#pragma once

#include "model/TBItem.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <vector>

// The JSON text of each item as last written, beside a copy of the item it was written from,
// in the order the items were written: a save encodes only the items that changed since. It
// is filled when the file is read, and each save takes over the entries it can use.
struct StoreEncodingCache {
    struct Entry {
        TBItem item;
        QByteArray text;
    };
    std::vector<Entry> entries;
    // Entries the last save let go of. They share texts with the store's items, so the writer
    // thread hands them back to the store's thread to be dropped there (see StoreWriter.h).
    std::vector<Entry> dropped;

    // An entry for each item, encoded now.
    static StoreEncodingCache of(const QList<TBItem>& items);
};
