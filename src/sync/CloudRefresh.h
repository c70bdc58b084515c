#pragma once

#include "store/DiskV2.h"

#include <QMap>
#include <QSet>
#include <QString>

// The test the sync trigger applies to a store's marks.
namespace CloudRefresh {

// Whether a list, item, filing or tombstone is still to send. Entries with empty sets do not
// count, nor do pending item and zone deletions.
bool hasUnsentChanges(const QMap<QString, FieldSet>& lists, const QMap<QString, FieldSet>& items,
                      const QSet<QString>& filings, const QSet<QString>& tombstones);

} // namespace CloudRefresh
