#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// The running program's second socket, beside the one for requests: a later launch uses it to
// ask the program to bring its window to the front instead of opening a second window. One
// line each way: "raise" asks, "raised" confirms. Nothing else is accepted.
namespace WindowChannel {

// Next to the request socket, so that each profile has its own.
QString name(const QString& requestServerName);

// Asks the program listening on `name` to raise its window; true once it has confirmed.
bool askToRaise(const QString& name, int timeoutMs = 2'000);

} // namespace WindowChannel

// The listening side, in the program that holds the store.
class WindowChannelServer : public QObject {
    Q_OBJECT
public:
    static constexpr int idleTimeoutMs = 2'000;

    explicit WindowChannelServer(QObject* parent = nullptr);

    // Listens for this user only. A socket left by a program that is gone is removed first, so
    // call it only while holding the store.
    bool listen(const QString& name);
    QString errorString() const;

signals:
    void raiseRequested();

private:
    void accept();
    void readFrom(QLocalSocket* socket);

    QLocalServer* server_;
};
