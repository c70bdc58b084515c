// The program's socket: accepting, reading, queueing and answering requests.
#include "intents/RequestServer.h"

#include "intents/RequestCodec.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <utility>

RequestServer::RequestServer(Handler handler, ListsHandler lists, QObject* parent,
                             int requestTimeoutMs)
    : QObject(parent), handler_(std::move(handler)), lists_(std::move(lists)),
      server_(new QLocalServer(this)), requestTimeoutMs_(requestTimeoutMs) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    server_->setListenBacklogSize(listenBacklog);
    // Connections beyond the open ones stay with the system until there is room.
    server_->setMaxPendingConnections(1);
    connect(server_, &QLocalServer::newConnection, this, &RequestServer::accept);
}

RequestServer::~RequestServer() = default;

bool RequestServer::listen(const QString& name) {
    QLocalServer::removeServer(name);
    return server_->listen(name);
}

QString RequestServer::errorString() const {
    return server_->errorString();
}

void RequestServer::stopTaking() {
    if (!taking_)
        return;
    taking_ = false;
    server_->close();
    // Those still arriving were never said to be taken: their senders try again, find nobody
    // listening and make the change themselves.
    const QList<QLocalSocket*> arriving = received_.keys();
    for (QLocalSocket* socket : arriving) {
        received_.remove(socket);
        socket->abort();
        socket->deleteLater();
    }
}

void RequestServer::flushAnswers(int waitMs) {
    const QDeadlineTimer deadline(waitMs);
    for (QLocalSocket* socket : findChildren<QLocalSocket*>()) {
        while (socket->bytesToWrite() > 0 && !deadline.hasExpired())
            socket->waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime())));
    }
}

void RequestServer::accept() {
    while (taking_ && open_ < maxOpenConnections) {
        QLocalSocket* socket = server_->nextPendingConnection();
        if (!socket)
            return;
        ++open_;
        received_.insert(socket, QByteArray());
        socket->setReadBufferSize(RequestCodec::maxMessageBytes + 1);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this, socket] { finished(socket); });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        // Its whole request must arrive in time, however it trickles in.
        QTimer::singleShot(requestTimeoutMs_, socket, [this, socket] {
            if (received_.contains(socket)) {
                socket->abort();
                socket->deleteLater();
            }
        });
        readFrom(socket);
    }
}

void RequestServer::finished(QLocalSocket* socket) {
    received_.remove(socket);
    --open_;
    // Room for one more: take the next connection the system holds.
    QTimer::singleShot(0, this, &RequestServer::accept);
}

void RequestServer::readFrom(QLocalSocket* socket) {
    const auto pending = received_.find(socket);
    if (pending == received_.end() || !taking_) {
        // The request has been taken; anything after it is ignored.
        socket->readAll();
        return;
    }
    QByteArray& bytes = *pending;
    const qsizetype searched = bytes.size();
    bytes += socket->read(RequestCodec::maxMessageBytes + 1 - bytes.size());
    const qsizetype end = bytes.indexOf('\n', searched);
    if (end < 0) {
        if (bytes.size() > RequestCodec::maxMessageBytes) {
            received_.erase(pending);
            emit refused(QStringLiteral("message too long"));
            ready(enqueue(socket),
                  RequestCodec::encode(IntentOutcome::failed(refusal(), ExitCode::refused)));
        }
        return;
    }
    const QByteArray message = bytes.left(end);
    received_.erase(pending);
    take(socket, message);
}

void RequestServer::take(QLocalSocket* socket, const QByteArray& message) {
    const qint64 ticket = enqueue(socket);
    if (lists_ && RequestCodec::isListsQuery(message)) {
        ready(ticket, RequestCodec::encode(lists_()));
        return;
    }
    const std::optional<IntentRequest> request = RequestCodec::decodeRequest(message);
    if (!request) {
        emit refused(QStringLiteral("unknown request shape"));
        ready(ticket, RequestCodec::encode(IntentOutcome::failed(refusal(), ExitCode::refused)));
        return;
    }
    // Said before the change is made: a sender that loses the connection before this line
    // knows nothing was done and may send the request again.
    socket->write(RequestCodec::taken() + '\n');
    socket->flush();
    QPointer<RequestServer> self(this);
    handler_(*request, [self, ticket](const IntentOutcome& outcome) {
        if (self)
            self->ready(ticket, RequestCodec::encode(outcome));
    });
}

qint64 RequestServer::enqueue(QLocalSocket* socket) {
    answers_.push_back(Answer{socket, std::nullopt});
    return firstTicket_ + qint64(answers_.size()) - 1;
}

void RequestServer::ready(qint64 ticket, const QByteArray& line) {
    const qint64 index = ticket - firstTicket_;
    if (index < 0 || index >= qint64(answers_.size()))
        return;
    answers_[size_t(index)].line = line;
    sendReadyAnswers();
}

void RequestServer::sendReadyAnswers() {
    while (!answers_.empty() && answers_.front().line) {
        const Answer answer = std::move(answers_.front());
        answers_.pop_front();
        ++firstTicket_;
        if (QLocalSocket* socket = answer.socket) {
            socket->write(*answer.line + '\n');
            socket->flush();
            socket->disconnectFromServer();
        }
    }
}
