#pragma once

#include "ListRowText.h"
#include "store/PageRow.h"

// What one row of the lists page shows, taken from the store in one snapshot. Equal contents
// draw the same, so a refresh repaints only the rows whose content differs.
struct PageRowContent {
    PageRow row;
    ItemCounts counts;      // a list row's items
    bool inGroup = false;   // a list row standing under its group's header
    qint64 memberCount = 0; // a header: the lists filed in the group, shown or not
    bool collapsed = false; // a header: the group shows only its header

    QString id() const { return row.id(); }
    bool isHeader() const { return row.isHeader(); }
    bool operator==(const PageRowContent&) const = default;
};
