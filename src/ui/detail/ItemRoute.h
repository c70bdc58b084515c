#pragma once

#include <QString>

// The item whose editor the list screen opens: the item's id and the id of the list it was
// opened from.
struct ItemRoute {
    QString itemID;
    QString listID;

    bool operator==(const ItemRoute&) const = default;
};
