// Asking a running program to bring its window forward, and answering such asks.
#include "WindowChannel.h"

#include "intents/RequestChannel.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

namespace {
const QByteArray raiseLine = "raise\n";
const QByteArray raisedLine = "raised\n";

// The request socket's path leaves room for this after it, within a socket's address.
constexpr char suffix[] = "-window";
static_assert(qsizetype(sizeof suffix) - 1 <= RequestChannel::longestSuffix);
} // namespace

namespace WindowChannel {

QString name(const QString& requestServerName) {
    return requestServerName + QLatin1String(suffix);
}

bool askToRaise(const QString& name, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false;
    socket.write(raiseLine);
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return false;
    QByteArray answer;
    while (answer.size() < raisedLine.size() && !deadline.hasExpired()) {
        if (!socket.waitForReadyRead(int(deadline.remainingTime())))
            break;
        answer += socket.read(raisedLine.size() - answer.size());
    }
    return answer == raisedLine;
}

} // namespace WindowChannel

WindowChannelServer::WindowChannelServer(QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &WindowChannelServer::accept);
}

bool WindowChannelServer::listen(const QString& name) {
    QLocalServer::removeServer(name);
    return server_->listen(name);
}

QString WindowChannelServer::errorString() const {
    return server_->errorString();
}

void WindowChannelServer::accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        // A caller that says nothing is let go.
        QTimer::singleShot(idleTimeoutMs, socket, [socket] { socket->abort(); });
    }
}

void WindowChannelServer::readFrom(QLocalSocket* socket) {
    // Only the one short line is taken; anything else closes the connection.
    if (socket->bytesAvailable() < raiseLine.size()) {
        if (!raiseLine.startsWith(socket->peek(raiseLine.size())))
            socket->abort();
        return;
    }
    if (socket->read(raiseLine.size()) != raiseLine || socket->bytesAvailable() > 0) {
        socket->abort();
        return;
    }
    emit raiseRequested();
    socket->write(raisedLine);
    socket->flush();
    socket->disconnectFromServer();
}
