#pragma once

#include "model/TBList.h"

#include <QList>

// The outcome of matching a spoken list name.
struct ListMatch {
    enum class Kind { matched, ambiguous, none };

    Kind kind = Kind::none;
    // matched: the one list; ambiguous: two or more, in the order they were given; none: empty.
    QList<TBList> lists;

    static ListMatch matched(const TBList& list) { return {Kind::matched, {list}}; }
    static ListMatch ambiguous(const QList<TBList>& lists) { return {Kind::ambiguous, lists}; }
    static ListMatch none() { return {}; }

    bool operator==(const ListMatch&) const = default;
};
