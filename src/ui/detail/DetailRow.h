#pragma once

#include "model/TBItem.h"

#include <QString>

// One row of a list's scrolling content, top to bottom: the header, the filter chips, the
// items (flat, or under tag headings), the completed section's header and rows, and a closing
// spacer.
struct DetailRow {
    enum class Kind { hero, filterBar, groupHeading, item, completedHeader, spacer };

    Kind kind = Kind::spacer;
    TBItem item;            // for an item row
    QString displayText;    // an item's text without its tags
    QString heading;        // a group heading, upper-cased
    bool completed = false; // an item row of the completed section
    bool draggable = false; // an item row of the flat, editable open items
    int openOffset = -1;    // an item row's place among the open items shown

    static DetailRow of(Kind kind) {
        DetailRow row;
        row.kind = kind;
        return row;
    }
    // What stays the same for "the same row" across refreshes.
    QString key() const;
    bool operator==(const DetailRow&) const = default;
};
