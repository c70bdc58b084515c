#pragma once

#include "intents/IntentOutcome.h"
#include "intents/IntentRequest.h"
#include "intents/ListEntity.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>
#include <functional>
#include <optional>

class QLocalServer;
class QLocalSocket;

// The listening side of the program's socket. Each connection carries one request, a JSON
// object ended by a line break. Once the request is read the server says it has taken it (one
// line), hands it on, and later sends the answer (one more line) and closes the connection.
//
// Many requests may arrive at once: connections are accepted and queued up to a bound on the
// memory they may hold (further ones wait in the system's queue, not refused), every connection
// is served as soon as its whole request has arrived, and answers go out in the order the
// requests arrived. A connection that stays silent or trickles is closed when its time is up and
// meanwhile holds up nobody. A message that is too long, malformed or of an unknown shape is
// refused without reaching the handler. Runs on the thread that owns it.
class RequestServer : public QObject {
    Q_OBJECT
public:
    // Makes the request's change and hands over how it ended; may answer later.
    using Handler = std::function<void(const IntentRequest& request, OutcomeHandler answer)>;
    // Every list, in display order.
    using ListsHandler = std::function<QList<ListEntity>()>;

    // Connections open at once; each holds at most one message, so this bounds the memory.
    static constexpr int maxOpenConnections = 256;
    // Connections the system queues while that many are open.
    static constexpr int listenBacklog = 1024;
    // How long a connection may take to deliver its whole request.
    static constexpr int defaultRequestTimeoutMs = 5'000;

    explicit RequestServer(Handler handler, ListsHandler lists = {}, QObject* parent = nullptr,
                           int requestTimeoutMs = defaultRequestTimeoutMs);
    ~RequestServer() override;

    // Listens on `name`, for this user only. A socket file left by a program that is gone is
    // removed first, so callers check that no program answers there before they call this.
    bool listen(const QString& name);
    QString errorString() const;

    // For quitting: stops listening (the socket file goes) and drops every connection whose
    // request has not been taken, so that its sender knows nothing was done and makes the
    // request itself once the program has gone. The requests already taken are still answered.
    void stopTaking();
    // Taken requests not yet answered.
    int unanswered() const { return int(answers_.size()); }
    // Waits, up to `waitMs` in all, until the answers sent so far have left this process.
    void flushAnswers(int waitMs);

    static QString refusal() { return QStringLiteral("The request was refused."); }

signals:
    // A message was refused; for the log.
    void refused(const QString& why);

private:
    struct Answer {
        QPointer<QLocalSocket> socket;
        std::optional<QByteArray> line; // absent until the answer is ready
    };

    void accept();
    void readFrom(QLocalSocket* socket);
    void take(QLocalSocket* socket, const QByteArray& message);
    // Queues the answer slot for a socket whose request has been read, in arrival order.
    qint64 enqueue(QLocalSocket* socket);
    void ready(qint64 ticket, const QByteArray& line);
    void sendReadyAnswers();
    void finished(QLocalSocket* socket);

    Handler handler_;
    ListsHandler lists_;
    QLocalServer* server_;
    int requestTimeoutMs_;
    int open_ = 0;
    bool taking_ = true;
    QHash<QLocalSocket*, QByteArray> received_; // bytes of requests still arriving
    std::deque<Answer> answers_;                // in arrival order, from `firstTicket_` on
    qint64 firstTicket_ = 0;
};
