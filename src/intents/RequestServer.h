#pragma once

#include "intents/IntentOutcome.h"
#include "intents/IntentRequest.h"

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;
class QLocalSocket;

// The listening side of the program's socket. Each connection carries one request, a JSON
// object ended by a line break, and gets one answer back the same way. A message that is too
// long, malformed or of an unknown shape is refused without reaching the handler, and a
// connection that stays silent is closed.
class RequestServer : public QObject {
    Q_OBJECT
public:
    // Makes the request's change and hands over how it ended; may answer later.
    using Handler = std::function<void(const IntentRequest& request, OutcomeHandler answer)>;

    static constexpr int maxConnections = 8;
    static constexpr int idleTimeoutMs = 5'000;

    explicit RequestServer(Handler handler, QObject* parent = nullptr);
    ~RequestServer() override;

    // Listens on `name`, for this user only. A socket file left by a program that is gone is
    // removed first, so callers check that no program answers there before they call this.
    bool listen(const QString& name);
    QString errorString() const;

    static QString refusal() { return QStringLiteral("The request was refused."); }

signals:
    // A message was refused; for the log.
    void refused(const QString& why);

private:
    void accept();
    void readFrom(QLocalSocket* socket);
    void answer(QLocalSocket* socket, const IntentOutcome& outcome);

    Handler handler_;
    QLocalServer* server_;
    int open_ = 0;
};
