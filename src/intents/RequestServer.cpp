#include "intents/RequestServer.h"

#include "intents/RequestCodec.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QVariant>

#include <utility>

namespace {
// Set on a socket once its request has been taken, so later bytes are ignored.
constexpr const char* takenProperty = "tallybirdRequestTaken";
} // namespace

RequestServer::RequestServer(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    server_->setMaxPendingConnections(maxConnections);
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

void RequestServer::accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (open_ >= maxConnections) {
            emit refused(QStringLiteral("too many connections"));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++open_;
        socket->setReadBufferSize(RequestCodec::maxMessageBytes + 1);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this] { --open_; });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        // A connection may not hold its place for long without sending its request.
        QTimer::singleShot(idleTimeoutMs, socket, [socket] {
            if (!socket->property(takenProperty).toBool())
                socket->abort();
        });
        readFrom(socket);
    }
}

void RequestServer::readFrom(QLocalSocket* socket) {
    if (socket->property(takenProperty).toBool()) {
        socket->readAll();
        return;
    }
    // Peek, so that nothing beyond the bound is ever buffered here.
    const QByteArray pending = socket->peek(RequestCodec::maxMessageBytes + 1);
    const qsizetype end = pending.indexOf('\n');
    if (end < 0) {
        if (pending.size() > RequestCodec::maxMessageBytes) {
            emit refused(QStringLiteral("message too long"));
            socket->setProperty(takenProperty, true);
            answer(socket, IntentOutcome::failed(refusal()));
        }
        return;
    }
    socket->setProperty(takenProperty, true);
    socket->read(end + 1);
    const std::optional<IntentRequest> request = RequestCodec::decodeRequest(pending.left(end));
    if (!request) {
        emit refused(QStringLiteral("unknown request shape"));
        answer(socket, IntentOutcome::failed(refusal()));
        return;
    }
    QPointer<QLocalSocket> guarded(socket);
    handler_(*request, [this, guarded](const IntentOutcome& outcome) {
        if (guarded)
            answer(guarded, outcome);
    });
}

void RequestServer::answer(QLocalSocket* socket, const IntentOutcome& outcome) {
    socket->write(RequestCodec::encode(outcome) + '\n');
    socket->flush();
    socket->disconnectFromServer();
}
