#pragma once

#include "intents/IntentFrame.h"

// Starts a new list with a spoken name, unless a list already answers to that name.
namespace CreateListIntent {
QString title();
QString namePrompt(); // asked when the name is missing
void outcome(const IntentFrame& frame, const QString& listName, const OutcomeHandler& done);
} // namespace CreateListIntent
