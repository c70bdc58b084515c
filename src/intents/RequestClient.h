#pragma once

#include "intents/IntentOutcome.h"
#include "intents/IntentRequest.h"

#include <QString>

// The sending side of the program's socket, for the command line: blocking, one request per
// connection.
namespace RequestClient {

struct Result {
    enum class Reach {
        answered,  // `outcome` holds the program's answer
        noProgram, // nothing listens: the request was not sent
        lost       // sent, but no valid answer came back: the change may or may not be made
    };
    Reach reach = Reach::noProgram;
    IntentOutcome outcome;
};

// Whether a program listens on `name`.
bool programAnswers(const QString& name, int timeoutMs = 500);

Result send(const QString& name, const IntentRequest& request, int connectTimeoutMs = 500,
            int answerTimeoutMs = 120'000);

} // namespace RequestClient
