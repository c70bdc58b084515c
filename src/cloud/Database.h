#pragma once

#include "Container.h"

#include <QObject>

#include <functional>
#include <memory>

namespace cloud {

// One of a device's two databases. Calls act for the user the device is signed into.
class Database {
public:
    Database(std::shared_ptr<Container> container, QString deviceID, DatabaseScope scope);

    DatabaseScope databaseScope() const { return scope_; }
    const QString& deviceID() const { return deviceID_; }
    const std::shared_ptr<Container>& container() const { return container_; }

    using RecordResults = std::vector<std::pair<RecordID, Result<Record>>>;

    // Direct look-ups run away from the calling thread; `done` runs on the thread of `context`
    // and is dropped when `context` is gone first.
    void fetchRecord(const RecordID& id, QObject* context,
                     std::function<void(Result<Record>)> done) const;
    void fetchRecords(const std::vector<RecordID>& ids, QObject* context,
                      std::function<void(Result<RecordResults>)> done) const;

    // The same look-ups, waiting for the container (for worker threads and tools).
    Result<Record> recordNow(const RecordID& id) const;
    Result<RecordResults> recordsNow(const std::vector<RecordID>& ids) const;

private:
    std::shared_ptr<Container> container_;
    QString deviceID_;
    DatabaseScope scope_;
};

} // namespace cloud
