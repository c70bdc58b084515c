// Filling the encoding cache from the items just read.
#include "StoreEncodingCache.h"

#include "DiskV2.h"

StoreEncodingCache StoreEncodingCache::of(const QList<TBItem>& items) {
    StoreEncodingCache cache;
    cache.entries.reserve(size_t(items.size()));
    for (const TBItem& item : items) {
        QByteArray text = DiskV2::encodeItem(item);
        // Kept for as long as the item is unchanged: without the room its encoding reserved.
        text.squeeze();
        cache.entries.push_back({item, std::move(text)});
    }
    return cache;
}
