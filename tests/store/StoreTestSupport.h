#pragma once

#include "platform/Defaults.h"
#include "platform/JsonRead.h"
#include "store/DiskV2.h"
#include "store/ListStore.h"
#include "support/QStringPrinting.h"

#include <QFile>
#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>

// A change as its non-empty parts, ids sorted: "added{a} items[L]{+b -c ~d reordered}".
inline void PrintTo(const StoreChange& change, std::ostream* os) {
    const auto ids = [](const QSet<QString>& set) {
        QStringList sorted(set.begin(), set.end());
        sorted.sort();
        return "{" + sorted.join(' ').toStdString() + "}";
    };
    const auto part = [&](const char* name, const QSet<QString>& set) {
        if (!set.isEmpty())
            *os << name << ids(set) << ' ';
    };
    part("listsAdded", change.listsAdded);
    part("listsRemoved", change.listsRemoved);
    for (auto it = change.listFields.begin(); it != change.listFields.end(); ++it)
        *os << "fields[" << it.key().toStdString() << "]" << ids(it.value()) << ' ';
    for (auto it = change.items.begin(); it != change.items.end(); ++it)
        *os << "items[" << it.key().toStdString() << "]+" << ids(it->added) << "-"
            << ids(it->removed) << "~" << ids(it->changed) << (it->reordered ? " reordered " : " ");
    part("filings", change.filings);
    part("collapsed", change.collapsedGroups);
    part("vocabulary", change.vocabulary);
    const std::pair<const char*, bool> flags[] = {
        {"circles", change.circles},
        {"aliases", change.aliases},
        {"identity", change.identity},
        {"user", change.lastKnownUserRecordName},
        {"sync", change.syncSwitch},
        {"marked", change.marked},
        {"everything", change.everything}};
    for (const auto& [name, on] : flags) {
        if (on)
            *os << name << ' ';
    }
}

// Records every change a store queues on one engine, as "saveZone TB-x owner" and so on.
class RecordingEngine : public EngineQueue {
public:
    explicit RecordingEngine(QStringList& log, QString scope) : log_(log), scope_(scope) {}
    void saveZone(const ZoneRef& z) override { add("saveZone", z.zoneName, z.ownerName); }
    void deleteZone(const ZoneRef& z) override { add("deleteZone", z.zoneName, z.ownerName); }
    void saveRecord(const RecordRef& r) override {
        add("saveRecord", r.zone.zoneName, r.recordName);
    }
    void deleteRecord(const RecordRef& r) override {
        add("deleteRecord", r.zone.zoneName, r.recordName);
    }

private:
    void add(const char* what, const QString& a, const QString& b) {
        log_.append(scope_ + " " + what + " " + a + " " + b);
    }
    QStringList& log_;
    QString scope_;
};

class RecordingFactory : public EngineFactory {
public:
    std::unique_ptr<EngineQueue> makeEngine(EngineScope scope, const std::optional<QByteArray>&,
                                            bool) override {
        return std::make_unique<RecordingEngine>(
            log, scope == EngineScope::privateDatabase ? "private" : "shared");
    }
    QStringList log;
};

// A temporary store folder, fixed time and in-memory settings.
class StoreTest : public ::testing::Test {
public:
    static constexpr double start = 800'000'000; // seconds since 2001

protected:
    QString path() const { return dir.filePath("store.json"); }

    std::unique_ptr<ListStore> open(bool cloudSync = true,
                                    ListStore::Access access = ListStore::Access::readWrite) {
        auto store = std::make_unique<ListStore>(path(), cloudSync, false, defaults, clock, access);
        opened.append(store.get());
        return store;
    }

    // The stores write on threads of their own: a look at the file waits for what they were
    // asked to write.
    void flushStores() const {
        for (const QPointer<ListStore>& store : opened) {
            if (store)
                store->flushSaves();
        }
    }

    // A store whose engines record what they are given.
    std::unique_ptr<ListStore> openWithEngines() {
        auto store = open();
        store->setEngineFactory(factory);
        store->start();
        factory->log.clear();
        return store;
    }

    QByteArray fileBytes() const {
        flushStores();
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void writeFile(const QByteArray& bytes) const {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    Json fileJson() const { return Json::parse(fileBytes().toStdString()); }

    // Each save replaces the file, so its inode tells whether a write happened.
    ino_t fileIdentity() const {
        flushStores();
        struct stat info {};
        return ::stat(QFile::encodeName(path()).constData(), &info) == 0 ? info.st_ino : 0;
    }

    QTemporaryDir dir;
    QList<QPointer<ListStore>> opened;
    MemoryDefaults defaults;
    FixedClock clock{Date(start)};
    std::shared_ptr<RecordingFactory> factory = std::make_shared<RecordingFactory>();
};
