#pragma once

#include "intents/CommandLine.h"
#include "intents/Console.h"
#include "intents/IntentDispatch.h"
#include "intents/IntentOutcome.h"
#include "intents/ListEntityIndex.h"
#include "platform/AppPaths.h"
#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "platform/Ids.h"
#include "platform/JsonRead.h"
#include "store/ListStore.h"
#include "store/StoreLocation.h"
#include "support/CompletionWait.h"
#include "support/QStringPrinting.h"
#include "support/TestApplication.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// Sockets and event loops need an application object; one lives for the whole test run.
using testsupport::ensureApplication;

// A console with scripted answers that records what was said and noted.
class FakeConsole final : public Console {
public:
    bool interactive() const override { return isInteractive; }
    void say(const QString& sentence) override { said.append(sentence); }
    void sayFields(const QStringList& fields) override { said.append(fields.join(u'\t')); }
    void note(const QString& text) override { notes.append(text); }
    void prompt(const QString&) override {}
    std::optional<QString> readLine() override {
        return input.isEmpty() ? std::nullopt : std::optional(input.takeFirst());
    }

    bool isInteractive = false;
    QStringList input;
    QStringList said;
    QStringList notes;
};

// Seeds lists and items, each on disk before the next step; the file is let go when the seed
// goes.
class Seed {
public:
    explicit Seed(std::unique_ptr<ListStore> store) : store_(std::move(store)) {}

    QString list(const QString& name) { return saved(store_->addList(name).id); }
    // A list shared with the user, by default another person's.
    QString sharedList(const QString& name, std::optional<TBSharePermission> permission,
                       std::optional<QString> owner = QStringLiteral("_someoneElse")) {
        TBList list = store_->addList(name);
        list.zoneOwnerName = owner;
        list.sharePermission = permission;
        store_->updateList(list);
        return saved(list.id);
    }
    QString item(const QString& listID, const QString& text, bool done = false) {
        if (const std::optional<TBItem> added = store_->addItem(listID, text)) {
            if (done)
                store_->setDone(added->id, true);
            return saved(added->id);
        }
        // A read-only list cannot be added to here: its items arrive from the cloud.
        TBItem item;
        item.id = Ids::newId();
        item.listID = listID;
        item.text = text;
        item.order = double(store_->items(listID).size());
        item.done = done;
        if (done)
            item.completedAt = store_->clock().now();
        store_->applyServerItem(item, QByteArray());
        store_->persist();
        return saved(item.id);
    }
    void rename(const QString& listID, const QString& name) {
        const QList<TBList> lists = store_->lists();
        for (TBList list : lists) {
            if (list.id == listID) {
                list.name = name;
                store_->updateList(list);
            }
        }
        store_->flushSaves();
    }
    ListStore& store() { return *store_; }
    void release() { store_.reset(); }

private:
    // The store writes on a thread of its own; other readers of the file look at it next.
    QString saved(const QString& id) {
        store_->flushSaves();
        return id;
    }
    std::unique_ptr<ListStore> store_;
};

// Performs a request and waits for its answer: a change is answered once it is on disk, which
// the store reports from the event loop.
inline std::optional<IntentOutcome> performAndWait(const IntentRequest& request,
                                                   const IntentFrame& frame) {
    return testsupport::waitForCompletion<IntentOutcome>(
        [&](std::function<void(IntentOutcome)> done) {
            IntentDispatch::perform(request, frame, done);
        },
        std::chrono::seconds(10));
}

// A fresh profile folder for each test: the store file, the list index and the settings all
// live in it, and the clock stands still.
class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        AppPaths::setProfile(dir.path());
        Clock::setShared(clock);
    }
    void TearDown() override {
        AppPaths::setProfile(QString());
        Clock::setShared(nullptr);
    }

    QString storePath() const { return SharedStore::source().fileURL(); }

    // A writing store on the profile's file; release it before a request runs.
    std::unique_ptr<ListStore> openStore() {
        return std::make_unique<ListStore>(storePath(), true, false, defaults, *clock);
    }
    // A look at the file as it is now, without taking the lock.
    std::unique_ptr<ListStore> readStore() {
        return std::make_unique<ListStore>(storePath(), true, false, defaults, *clock,
                                           ListStore::Access::readOnly);
    }

    // The texts of a list's items, ticked ones marked with "✓".
    QStringList itemTexts(const QString& listID) {
        QStringList texts;
        for (const TBItem& item : readStore()->items(listID))
            texts.append(item.done ? item.text + QStringLiteral(" ✓") : item.text);
        return texts;
    }
    // Every list in display order: the names, or "id name" lines.
    QStringList listLines(bool withIds = false) {
        auto store = readStore();
        store->rebuildDerivedCacheIfNeeded();
        QStringList lines;
        for (const TBList& list : store->sortedListsCache())
            lines.append(withIds ? list.id + u' ' + list.name : list.name);
        return lines;
    }
    // The list index file as "id name" lines.
    QStringList indexLines() {
        QFile file(ListEntityIndex::defaultPath());
        if (!file.open(QIODevice::ReadOnly))
            return {QStringLiteral("no index")};
        QStringList lines;
        const Json document = JsonRead::parse(file.readAll());
        for (const Json& entry : document.at("lists"))
            lines.append(JsonRead::requiredString(entry, "id") + u' ' +
                         JsonRead::requiredString(entry, "name"));
        return lines;
    }

    bool voiceFlag() const {
        return defaults.boolValue(QStringLiteral("siri.voiceCommandHasRun")).value_or(false);
    }

    QTemporaryDir dir;
    MemoryDefaults defaults;
    std::shared_ptr<FixedClock> clock = std::make_shared<FixedClock>(Date(800'000'000));
};

// Runs the command line in this process with no program listening, as a user would type it.
class CommandLineTest : public ProfileTest {
protected:
    int typed(const QStringList& words) {
        console.said.clear();
        console.notes.clear();
        RequestRoute::Settings route;
        route.source = SharedStore::source();
        route.serverName = dir.filePath(QStringLiteral("nobody.sock"));
        route.waitMs = 300;
        route.catchUp = catchUp;
        route.sync = sync;
        CommandLineEnvironment environment{
            console,
            defaults,
            route,
            [this](const std::optional<QString>& requested) {
                programRuns.append(requested.value_or(QStringLiteral("(none)")));
                return 0;
            },
        };
        return CommandLine::execute(CommandLine::parse(QStringList{"tallybird"} + words),
                                    environment);
    }

    FakeConsole console;
    QStringList programRuns; // the open request each program start was given
    // What brings the device up to date before a request; absent: nothing.
    RequestRoute::CatchUp catchUp;
    IntentFrame::SyncStep sync = IntentFrame::noSync();
};
