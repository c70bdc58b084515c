#pragma once

#include "intents/IntentFrame.h"

#include <optional>

// Ticks one item off a list by its spoken text, asking which one when several open items
// answer to it.
namespace CompleteItemIntent {
QString title();
QString itemPrompt(); // asked when the item is missing, and when several items answer

// Without `chosenItemID`: matches `spoken` among the list's items. With it: ticks that item,
// read afresh, and `spoken` is the chosen item's text.
void outcome(const IntentFrame& frame, const QString& listID, const QString& spoken,
             const std::optional<QString>& chosenItemID, const OutcomeHandler& done);
} // namespace CompleteItemIntent
