#include "Database.h"

#include "WorkerPool.h"

#include <QPointer>
#include <QThreadPool>

namespace cloud {

Database::Database(std::shared_ptr<Container> container, QString deviceID, DatabaseScope scope)
    : container_(std::move(container)), deviceID_(std::move(deviceID)), scope_(scope) {}

Result<Database::RecordResults> Database::recordsNow(const std::vector<RecordID>& ids) const {
    return container_->fetchRecords(deviceID_, scope_, ids);
}

Result<Record> Database::recordNow(const RecordID& id) const {
    auto results = recordsNow({id});
    if (!results.ok())
        return results.error();
    return results.value().front().second;
}

namespace {

// Runs work on the cloud's pool (it waits for the container, which Qt's painting must never wait
// behind: see WorkerPool) and hands its result to `done` on the calling thread, through a relay
// object that lives there and that nobody else deletes; `done` is skipped when `context` went
// away meanwhile.
template <typename T>
void runAndReply(QObject* context, std::function<T()> work, std::function<void(T)> done) {
    auto* relay = new QObject;
    QPointer<QObject> guard(context);
    WorkerPool::instance().start([relay, guard, work = std::move(work), done = std::move(done)] {
        T result = work();
        QMetaObject::invokeMethod(
            relay,
            [relay, guard, done, result] {
                if (guard)
                    done(result);
                relay->deleteLater();
            },
            Qt::QueuedConnection);
    });
}

} // namespace

void Database::fetchRecord(const RecordID& id, QObject* context,
                           std::function<void(Result<Record>)> done) const {
    runAndReply<Result<Record>>(
        context, [db = *this, id] { return db.recordNow(id); }, std::move(done));
}

void Database::fetchRecords(const std::vector<RecordID>& ids, QObject* context,
                            std::function<void(Result<RecordResults>)> done) const {
    runAndReply<Result<RecordResults>>(
        context, [db = *this, ids] { return db.recordsNow(ids); }, std::move(done));
}

} // namespace cloud
