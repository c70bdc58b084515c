#pragma once

#include "model/TBList.h"
#include "platform/Date.h"

#include <QString>

#include <functional>
#include <optional>

// The words of a list's header: its status line, the sentence a screen reader speaks for it, and
// the due text of its chip.
namespace ListHeroText {

struct Progress {
    int done = 0;
    int total = 0;
    bool operator==(const Progress&) const = default;
};

// "75% done · 1 left", "All done", "3 items", "Nothing on it yet". The percentage is rounded to
// the nearest whole number, halves away from zero.
QString statusLine(const std::optional<Progress>& progress, int itemCount);
// The percentage the status line shows; only for a progress with at least one item.
int percent(const Progress& progress);
// Name, status and "pinned" when pinned, joined with ", ".
QString accessibleSummary(const QString& name, const QString& statusLine, bool pinned);
// What a screen reader calls the rows of the list's items: "Items of Groceries".
QString itemsLabel(const QString& name);

// Describes a due date relative to now ("tomorrow", "in 3 days").
using RelativeWords = std::function<QString(Date due, Date now)>;
// "Overdue" or "Due " and the relative words, for a one-off list with a due date; none otherwise.
std::optional<QString> dueText(const TBList& list, Date now, const RelativeWords& relative);

} // namespace ListHeroText
