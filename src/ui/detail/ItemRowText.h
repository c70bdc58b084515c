#pragma once

#include "model/TBItem.h"

#include <QString>

// The spoken texts of one item's row and the names of its actions. Every spoken text carries
// the item's full text, tags included, while the row shows it without tags.
namespace ItemRowText {

QString tickAction(const TBItem& item);  // "Tick" / "Untick": the row's accessible action
QString tickLabel(const TBItem& item);   // "Tick Bread #bakery" / "Untick …"
QString textLabel(const TBItem& item);   // "Bread #bakery, not ticked, starred"
QString textHint(bool canEdit);          // "Press to open" / "View only"
QString starLabel(const TBItem& item);   // "Star …" / "Unstar …"
QString starAction(const TBItem& item);  // "Star" / "Unstar": menu entry and swipe button
QString deleteLabel(const TBItem& item); // "Delete …"
QString deleteAction();                  // "Delete": menu entry, swipe button, accessible action

} // namespace ItemRowText
