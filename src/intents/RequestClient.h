#pragma once

#include "intents/IntentOutcome.h"
#include "intents/IntentRequest.h"
#include "intents/ListEntity.h"

#include <QDeadlineTimer>
#include <QList>
#include <QString>

#include <optional>

// The sending side of the program's socket, for the command line: blocking, one request per
// connection. A program that is busy with many requests may leave a connection waiting or drop
// it before it has taken the request; the request is then sent again until the wait is over.
// Once the program has said it took the request, it is never sent again.
namespace RequestClient {

struct Result {
    enum class Reach {
        answered,  // `outcome` holds the program's answer
        noProgram, // nothing listens: the request was not sent
        busy,      // a program listens but did not take the request in time: it was not made
        lost       // taken, but no valid answer came back: the change may or may not be made
    };
    Reach reach = Reach::noProgram;
    IntentOutcome outcome;
};

// Whether a program listens on `name` (a program too busy to accept at once counts).
bool programAnswers(const QString& name, int timeoutMs = 500);

Result send(const QString& name, const IntentRequest& request,
            QDeadlineTimer wait = QDeadlineTimer(5'000), int answerTimeoutMs = 120'000);

// Every list of the running program in display order; absent when no program gave them.
std::optional<QList<ListEntity>> lists(const QString& name,
                                       QDeadlineTimer wait = QDeadlineTimer(5'000));

} // namespace RequestClient
