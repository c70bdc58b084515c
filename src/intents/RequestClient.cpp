#include "intents/RequestClient.h"

#include "intents/RequestCodec.h"

#include <QDeadlineTimer>
#include <QLocalSocket>

bool RequestClient::programAnswers(const QString& name, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name);
    const bool connected = socket.waitForConnected(timeoutMs);
    socket.abort();
    return connected;
}

RequestClient::Result RequestClient::send(const QString& name, const IntentRequest& request,
                                          int connectTimeoutMs, int answerTimeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(connectTimeoutMs))
        return {Result::Reach::noProgram, {}};

    socket.write(RequestCodec::encode(request) + '\n');
    if (!socket.waitForBytesWritten(connectTimeoutMs * 4))
        return {Result::Reach::lost, {}};

    // The answer is untrusted as well: bounded, and only the known shapes.
    QByteArray received;
    qsizetype end = -1;
    const QDeadlineTimer deadline(answerTimeoutMs);
    while (end < 0 && received.size() <= RequestCodec::maxAnswerBytes) {
        if (socket.bytesAvailable() == 0 &&
            !socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
        const qsizetype searched = received.size();
        received += socket.read(RequestCodec::maxAnswerBytes + 1 - received.size());
        end = received.indexOf('\n', searched);
        if (deadline.hasExpired())
            break;
    }
    if (end < 0)
        return {Result::Reach::lost, {}};
    const std::optional<IntentOutcome> outcome = RequestCodec::decodeOutcome(received.left(end));
    if (!outcome)
        return {Result::Reach::lost, {}};
    return {Result::Reach::answered, *outcome};
}
