#pragma once

// A store in a temporary folder without cloud sync, in-memory settings, a clock fixed at a
// known local time in Berlin, and helpers to make lists of every kind.
#include "model/ListNavigation.h"
#include "model/SettingsPresentation.h"
#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "support/QStringPrinting.h"
#include "support/TestApplication.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <memory>

inline const QTimeZone& berlin() {
    static const QTimeZone zone("Europe/Berlin");
    return zone;
}

// A local time in Berlin.
inline Date berlinTime(int year, int month, int day, int hour, int minute = 0, int second = 0) {
    const QDateTime local(QDate(year, month, day), QTime(hour, minute, second), berlin());
    return Date::fromUnixSeconds(double(local.toMSecsSinceEpoch()) / 1000.0);
}

class ListsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Queued refreshes need an application object; widget tests make theirs first.
        testsupport::ensureApplication();
        ListNavigation::shared().setRequestedListID(std::nullopt);
        SettingsPresentation::shared().setOpen(false);
        // Cloud sync on (without engines), so removals leave the marks a real store would.
        store =
            std::make_unique<ListStore>(dir.filePath("store.json"), true, false, defaults(), clock);
    }
    // A fresh store and fresh settings, for the next row of a table.
    void startAfresh() {
        store.reset();
        QFile::remove(dir.filePath("store.json"));
        settings = std::make_unique<MemoryDefaults>();
        SetUp();
    }

    // Opens the store again as a newer Tallybird would have left it: what it holds now, in a
    // file of a higher version, which this program shows and never changes.
    void reopenFromANewerVersion() {
        store->flushSaves();
        store.reset();
        QFile file(dir.filePath("store.json"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QJsonObject document = QJsonDocument::fromJson(file.readAll()).object();
        file.close();
        document.insert("version", document.value("version").toInt() + 1);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QJsonDocument(document).toJson());
        file.close();
        store =
            std::make_unique<ListStore>(dir.filePath("store.json"), true, false, defaults(), clock);
        ASSERT_TRUE(store->editRefusal());
    }

    // Makes a list; `edit` adjusts it before it is stored.
    template <typename Edit> TBList makeList(const QString& name, Edit edit) {
        TBList list = store->addList(name);
        edit(list);
        store->updateList(list);
        return list;
    }
    TBList makeList(const QString& name) {
        return makeList(name, [](TBList&) {});
    }
    // Adds `open` items not done and `done` items done.
    void addItems(const QString& listID, int open, int done) {
        for (int i = 0; i < open + done; ++i) {
            const std::optional<TBItem> item =
                store->addItem(listID, QStringLiteral("item %1").arg(i));
            ASSERT_TRUE(item) << "the store refused an item";
            if (i >= open)
                store->setDone(item->id, true);
        }
    }
    // Lets queued refreshes run.
    static void settle() { QCoreApplication::processEvents(); }

    QTemporaryDir dir;
    // Fresh in-memory settings for each row of a table (startAfresh()).
    MemoryDefaults& defaults() { return *settings; }
    std::unique_ptr<MemoryDefaults> settings = std::make_unique<MemoryDefaults>();
    FixedClock clock{berlinTime(2025, 3, 10, 11, 0)};
    std::unique_ptr<ListStore> store;
};
