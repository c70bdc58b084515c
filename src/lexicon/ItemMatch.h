#pragma once

#include "model/TBItem.h"

#include <QList>

// The outcome of matching a spoken item text among one list's items.
struct ItemMatch {
    enum class Kind { matched, alreadyDone, ambiguous, none };

    Kind kind = Kind::none;
    // matched: the one open item; alreadyDone: the first done item that matched; ambiguous: the
    // open items that matched, in the order they were given; none: empty.
    QList<TBItem> items;

    static ItemMatch matched(const TBItem& item) { return {Kind::matched, {item}}; }
    static ItemMatch alreadyDone(const TBItem& item) { return {Kind::alreadyDone, {item}}; }
    static ItemMatch ambiguous(const QList<TBItem>& items) { return {Kind::ambiguous, items}; }
    static ItemMatch none() { return {}; }

    bool operator==(const ItemMatch&) const = default;
};
