#pragma once

#include "intents/IntentFrame.h"
#include "intents/IntentRequest.h"

// Runs one resolved request on the frame's store and hands over how it ended.
namespace IntentDispatch {
void perform(const IntentRequest& request, const IntentFrame& frame, const OutcomeHandler& done);
} // namespace IntentDispatch
