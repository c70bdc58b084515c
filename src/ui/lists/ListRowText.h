#pragma once

#include "model/ListUrgency.h"
#include "model/TBList.h"

#include <QString>

#include <optional>

class RelativeDueText;

// How many of a list's items there are and how many are not done.
struct ItemCounts {
    qint64 open = 0;
    qint64 all = 0;
    bool operator==(const ItemCounts&) const = default;
};

// The text rules of a list's row on the lists page, shared with the list's own header: the
// count line, the due chip's words and the spoken label.
namespace ListRowText {

// Someone else's list, or an own list shared with others.
bool isShared(const TBList& list);
// Whether this person may change the list's name and pin here: another person's list shared
// read-only refuses such changes on the server, so they are not offered at all.
bool canEditHere(const TBList& list);

// "Empty"; "2 of 5 left" for a one-off list; "1 item", "0 items" for an ongoing one.
QString countSummary(TBListKind kind, ItemCounts counts);
// None for ongoing lists and lists without a due date; "Overdue" once the date has passed;
// otherwise the date relative to now ("tomorrow", "in 3 days").
std::optional<QString> dueSummary(const TBList& list, Date now, const RelativeDueText& relative);
// The row's label: name, count, "due …", "shared", "pinned", joined with ", ".
QString accessibilityLabel(const TBList& list, const QString& countSummary,
                           const std::optional<QString>& dueSummary);

// The word a screen reader adds to a due chip: "On track", "Getting close", "Due very soon",
// "Overdue"; empty for no urgency.
QString urgencyWord(ListUrgency urgency);
QString dueChipAccessibilityLabel(const QString& text, ListUrgency urgency);

} // namespace ListRowText
