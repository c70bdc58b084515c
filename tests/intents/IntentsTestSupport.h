#pragma once

#include "intents/Console.h"
#include "intents/IntentOutcome.h"
#include "platform/AppPaths.h"
#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "store/StoreLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

// Sockets and event loops need an application object; one lives for the whole test run.
inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "intents_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

// A console with scripted answers that records what each stream received.
class FakeConsole final : public Console {
public:
    bool interactive() const override { return isInteractive; }
    void say(const QString& sentence) override { said.append(sentence); }
    void note(const QString& text) override { notes.append(text); }
    void prompt(const QString& text) override { prompts.append(text); }
    std::optional<QString> readLine() override {
        if (input.isEmpty())
            return std::nullopt;
        return input.takeFirst();
    }

    bool isInteractive = false;
    QStringList input;
    QStringList said;
    QStringList notes;
    QStringList prompts;
};

// A fresh profile folder for each test: the store file, the list index and the settings all
// live in it, and the clock stands still.
class ProfileTest : public ::testing::Test {
public:
    static constexpr double start = 800'000'000;

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

    bool voiceFlag() const {
        return defaults.boolValue(QStringLiteral("siri.voiceCommandHasRun")).value_or(false);
    }

    QTemporaryDir dir;
    MemoryDefaults defaults;
    std::shared_ptr<FixedClock> clock = std::make_shared<FixedClock>(Date(start));
};

// Seeds lists and items, then lets go of the file.
class Seed {
public:
    explicit Seed(std::unique_ptr<ListStore> store) : store_(std::move(store)) {}

    QString list(const QString& name) { return store_->addList(name).id; }
    // Another person's list, shared with the user.
    QString sharedList(const QString& name, std::optional<TBSharePermission> permission) {
        TBList list = store_->addList(name);
        list.zoneOwnerName = QStringLiteral("_someoneElse");
        list.sharePermission = permission;
        store_->updateList(list);
        return list.id;
    }
    QString item(const QString& listID, const QString& text, bool done = false) {
        const QString id = store_->addItem(listID, text).id;
        if (done)
            store_->setDone(id, true);
        return id;
    }
    ListStore& store() { return *store_; }
    void release() { store_.reset(); }

private:
    std::unique_ptr<ListStore> store_;
};
