#pragma once

#include "intents/IntentOutcome.h"
#include "intents/IntentRequest.h"
#include "intents/ListEntity.h"

#include <QList>

#include <QByteArray>
#include <QString>

#include <optional>

// The messages on the program's socket: one JSON object per message, one message each way.
// Whatever arrives is untrusted, so decoding accepts only the known shapes within fixed
// bounds and refuses everything else.
namespace RequestCodec {

// Room for a text at its longest even when most of its characters take several bytes.
constexpr qsizetype maxMessageBytes = 256 * 1024;
// One text in a request, in user-perceived characters like every other text limit.
constexpr qsizetype maxTextLength = 10'000;
// An answer repeats texts of the request and adds names and item texts from the store, so it
// may be longer than any request; it is bounded as a whole.
constexpr qsizetype maxAnswerBytes = 4 * 1024 * 1024;
constexpr qsizetype maxIdLength = 128;
constexpr qsizetype maxChoices = 1'000;

// Ids are the program's own identifiers: letters, digits, "-", "_", "." and ":".
bool isValidId(const QString& id);

// Whether the request's text is within the limit and the request fits in one message.
bool fits(const IntentRequest& request);

QByteArray encode(const IntentRequest& request);
std::optional<IntentRequest> decodeRequest(const QByteArray& message);

QByteArray encode(const IntentOutcome& outcome);
std::optional<IntentOutcome> decodeOutcome(const QByteArray& message);

// The program's first line back once it has taken a request: from then on the request may have
// been carried out, so the sender must not send it again.
QByteArray taken();
bool isTaken(const QByteArray& message);

// Asking the running program for every list, in display order.
QByteArray listsQuery();
bool isListsQuery(const QByteArray& message);
QByteArray encode(const QList<ListEntity>& lists);
std::optional<QList<ListEntity>> decodeLists(const QByteArray& message);

} // namespace RequestCodec
