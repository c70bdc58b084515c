// A burst of additions sent at once over raw connections to a running program, and what each
// connection heard back: for the tests that quit the program in the middle of one.
#pragma once

#include "intents/RequestCodec.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <memory>
#include <vector>

namespace testsupport {

class RequestBurst {
public:
    // Connects `count` times and sends "burst k" to be added to the list on each.
    RequestBurst(const QString& serverName, const QString& listID, const QString& listName,
                 int count)
        : listName_(listName) {
        for (int k = 0; k < count; ++k) {
            auto& sent = sockets_.emplace_back(std::make_unique<QLocalSocket>());
            sent->connectToServer(serverName);
            const IntentRequest request{IntentKind::addItem, listID, text(k), std::nullopt};
            sent->write(RequestCodec::encode(request) + '\n');
            sent->flush();
        }
        heard_.resize(size_t(count));
    }

    static QString text(int k) { return QStringLiteral("burst %1").arg(k); }
    int count() const { return int(sockets_.size()); }

    // Turns the event loop (the program may be this process) until the program has said it
    // took one of the requests; false when it never did.
    bool waitUntilOneTaken(int waitMs) {
        const QDeadlineTimer deadline(waitMs);
        while (!deadline.hasExpired()) {
            for (size_t k = 0; k < sockets_.size(); ++k) {
                heard_[k] += sockets_[k]->readAll();
                if (heard_[k].contains('\n'))
                    return true;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            sockets_.front()->waitForReadyRead(5);
        }
        return false;
    }

    // Reads each connection until the program has closed it, or the wait is over.
    void collect(int waitMs) {
        const QDeadlineTimer deadline(waitMs);
        for (size_t k = 0; k < sockets_.size(); ++k) {
            QLocalSocket& socket = *sockets_[k];
            while (socket.state() != QLocalSocket::UnconnectedState && !deadline.hasExpired())
                socket.waitForReadyRead(int(std::clamp<qint64>(deadline.remainingTime(), 1, 100)));
            heard_[k] += socket.readAll();
        }
    }

    int taken() const {
        int count = 0;
        for (const QByteArray& heard : heard_)
            count += RequestCodec::isTaken(heard.split('\n').first()) ? 1 : 0;
        return count;
    }

    // What broke the promise to the senders, given the item texts the store holds: a request
    // taken must be answered with its reply and be in the store once; one never taken must
    // have changed nothing, so that its sender may send it again.
    QStringList broken(const QStringList& storeTexts) const {
        QStringList faults;
        for (int k = 0; k < count(); ++k) {
            const QList<QByteArray> lines = heard_[size_t(k)].split('\n');
            const qsizetype copies = storeTexts.count(text(k));
            const QString what = text(k) + QStringLiteral(": ");
            if (!RequestCodec::isTaken(lines.first())) {
                if (copies != 0)
                    faults.append(what + QStringLiteral("changed without being taken"));
                continue;
            }
            const std::optional<IntentOutcome> outcome =
                lines.size() > 1 ? RequestCodec::decodeOutcome(lines[1]) : std::nullopt;
            const QString reply = QStringLiteral("Added %1 to %2.").arg(text(k), listName_);
            if (!outcome)
                faults.append(what + QStringLiteral("taken but never answered"));
            else if (outcome->kind != IntentOutcome::Kind::reply || outcome->text != reply)
                faults.append(what + QStringLiteral("answered ") + outcome->text);
            if (copies != 1)
                faults.append(what + QStringLiteral("%1 copies in the store").arg(copies));
        }
        return faults;
    }

    // The notes of the replies (a change saved but not synced), each once.
    QSet<QString> notes() const {
        QSet<QString> notes;
        for (const QByteArray& heard : heard_) {
            const QList<QByteArray> lines = heard.split('\n');
            if (lines.size() > 1)
                if (const std::optional<IntentOutcome> outcome =
                        RequestCodec::decodeOutcome(lines[1]))
                    notes.insert(outcome->note);
        }
        return notes;
    }

private:
    QString listName_;
    std::vector<std::unique_ptr<QLocalSocket>> sockets_;
    std::vector<QByteArray> heard_;
};

} // namespace testsupport
