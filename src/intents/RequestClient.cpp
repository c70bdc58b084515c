// Sending one message to the running program and reading its answer.
#include "intents/RequestClient.h"

#include "intents/RequestCodec.h"

#include <QLocalSocket>
#include <QThread>

#include <algorithm>

namespace RequestClient {

namespace {

// How long one attempt at connecting may take before the next one.
constexpr int connectSliceMs = 1'000;

bool nobodyListens(QLocalSocket::LocalSocketError error) {
    return error == QLocalSocket::ServerNotFoundError ||
           error == QLocalSocket::ConnectionRefusedError;
}

int remainingMs(const QDeadlineTimer& deadline, int atMost) {
    const qint64 left = deadline.isForever() ? atMost : deadline.remainingTime();
    return int(std::clamp<qint64>(left, 1, atMost));
}

// Reads one line, without its line break, by the deadline; absent when the connection ended
// or the time ran out first. The answer is untrusted as well: bounded in size.
std::optional<QByteArray> readLine(QLocalSocket& socket, QByteArray& buffer,
                                   const QDeadlineTimer& deadline) {
    for (;;) {
        const qsizetype end = buffer.indexOf('\n');
        if (end >= 0) {
            const QByteArray line = buffer.left(end);
            buffer.remove(0, end + 1);
            return line;
        }
        if (buffer.size() > RequestCodec::maxAnswerBytes)
            return std::nullopt;
        if (socket.bytesAvailable() == 0) {
            if (deadline.hasExpired() || !socket.waitForReadyRead(remainingMs(deadline, 120'000)))
                return std::nullopt;
        }
        buffer += socket.read(RequestCodec::maxAnswerBytes + 2 - buffer.size());
    }
}

struct Exchange {
    Result::Reach reach = Result::Reach::noProgram;
    QByteArray answer;
};

// Sends `message` and returns the answer line. With `acknowledged`, the program first says it
// has taken the message, and only a connection lost before that is tried again; without, the
// message changes nothing and is tried again whenever the connection is lost.
Exchange exchange(const QString& name, const QByteArray& message, bool acknowledged,
                  const QDeadlineTimer& wait, int answerTimeoutMs) {
    for (int attempt = 0;; ++attempt) {
        if (attempt > 0) {
            if (wait.hasExpired())
                return {Result::Reach::busy, {}};
            // Spread the retries of many senders a little.
            QThread::msleep(5 + (attempt * 7) % 20);
        }
        QLocalSocket socket;
        socket.connectToServer(name);
        if (!socket.waitForConnected(remainingMs(wait, connectSliceMs))) {
            if (nobodyListens(socket.error()))
                return {Result::Reach::noProgram, {}};
            continue; // the program's queue is full for now
        }
        socket.write(message + '\n');
        if (!socket.waitForBytesWritten(remainingMs(wait, connectSliceMs)) &&
            socket.bytesToWrite() > 0)
            continue;

        QByteArray buffer;
        if (acknowledged) {
            const std::optional<QByteArray> first = readLine(socket, buffer, wait);
            if (!first)
                continue; // dropped before it was taken: nothing was done
            if (!RequestCodec::isTaken(*first))
                return {Result::Reach::answered, *first}; // refused before it was taken
        }
        const std::optional<QByteArray> answer =
            readLine(socket, buffer, QDeadlineTimer(answerTimeoutMs));
        if (answer)
            return {Result::Reach::answered, *answer};
        if (acknowledged)
            return {Result::Reach::lost, {}};
        // A question that changes nothing may simply be asked again.
    }
}

} // namespace

bool programAnswers(const QString& name, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (socket.waitForConnected(timeoutMs)) {
        socket.abort();
        return true;
    }
    return !nobodyListens(socket.error());
}

Result send(const QString& name, const IntentRequest& request, QDeadlineTimer wait,
            int answerTimeoutMs) {
    const Exchange sent =
        exchange(name, RequestCodec::encode(request), true, wait, answerTimeoutMs);
    if (sent.reach != Result::Reach::answered)
        return {sent.reach, {}};
    const std::optional<IntentOutcome> outcome = RequestCodec::decodeOutcome(sent.answer);
    if (!outcome)
        return {Result::Reach::lost, {}};
    return {Result::Reach::answered, *outcome};
}

std::optional<QList<ListEntity>> lists(const QString& name, QDeadlineTimer wait) {
    const Exchange sent = exchange(name, RequestCodec::listsQuery(), false, wait, 30'000);
    if (sent.reach != Result::Reach::answered)
        return std::nullopt;
    return RequestCodec::decodeLists(sent.answer);
}

} // namespace RequestClient
