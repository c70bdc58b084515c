// Filling the encoding cache from the items just read.
#include "StoreEncodingCache.h"

#include "DiskV2.h"

StoreEncodingCache StoreEncodingCache::of(const QList<TBItem>& items) {
    StoreEncodingCache cache;
    cache.entries.reserve(size_t(items.size()));
    for (const TBItem& item : items) {
        cache.entries.push_back({item, DiskV2::encodeItem(item)});
    }
    return cache;
}
