#pragma once

#include "intents/IntentFrame.h"

// Says what is left on a list, asking first when there is much.
namespace ReadListIntent {
QString title();
// Never changes the store and never syncs; the question, when there is one, comes back as a
// confirmation with the follow-up to say after a yes.
void outcome(const IntentFrame& frame, const QString& listID, const OutcomeHandler& done);
} // namespace ReadListIntent
