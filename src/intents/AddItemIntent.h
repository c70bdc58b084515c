#pragma once

#include "intents/IntentFrame.h"

// Adds one spoken item to a list.
namespace AddItemIntent {
QString title();
QString itemPrompt(); // asked when the item is missing
void outcome(const IntentFrame& frame, const QString& listID, const QString& item,
             const OutcomeHandler& done);
} // namespace AddItemIntent
