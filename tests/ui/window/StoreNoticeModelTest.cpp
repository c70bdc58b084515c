// The window's notice about the store file: what it says for each trouble the store signals or
// holds, and of sync passes that could not be done, when it offers to try again, when it goes,
// and when quitting asks first.
#include "ui/window/StoreNoticeModel.h"

#include "intents/StoreNotice.h"
#include "ui/detail/ListDetailModel.h"
#include "ui/editor/ListEditorModel.h"
#include "ui/item/ItemEditorModel.h"
#include "ui/item/NotesThreadModel.h"

#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "support/QStringPrinting.h"
#include "support/SwitchableSink.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <sys/stat.h>

namespace {

class StoreNoticeModelTest : public testing::Test {
protected:
    QString storeFile() const { return dir.filePath(QStringLiteral("store.json")); }
    void open() {
        store = std::make_unique<ListStore>(storeFile(), false, false, defaults);
        store->setFileSink(sink);
        notice = std::make_unique<StoreNoticeModel>(*store);
    }
    // A change, and its save reported.
    void change(const QString& name = QStringLiteral("Groceries")) {
        store->addList(name);
        store->flushSaves();
    }

    QTemporaryDir dir;
    MemoryDefaults defaults;
    std::shared_ptr<SwitchableSink> sink = std::make_shared<SwitchableSink>();
    std::unique_ptr<ListStore> store;
    std::unique_ptr<StoreNoticeModel> notice;
};

TEST_F(StoreNoticeModelTest, AHealthyStoreShowsNothingAndQuitsWithoutAsking) {
    open();
    change();
    EXPECT_FALSE(notice->visible());
    EXPECT_TRUE(notice->title().isEmpty());
    EXPECT_FALSE(notice->canTryAgain());
    EXPECT_FALSE(notice->quitAsksFirst());
}

TEST_F(StoreNoticeModelTest, AFailedSaveIsToldInTheStoresWordsUntilASaveSucceeds) {
    open();
    QString said;
    QObject::connect(store.get(), &ListStore::saveFailed, [&](const QString& m) { said = m; });
    QSignalSpy changed(notice.get(), &StoreNoticeModel::changed);
    sink->failing = true;
    change();
    ASSERT_TRUE(notice->visible());
    EXPECT_EQ(notice->title(), "Your changes are not being saved");
    EXPECT_EQ(notice->message(), said);
    EXPECT_TRUE(notice->message().contains(storeFile())) << "where it failed";
    EXPECT_TRUE(notice->canTryAgain());
    EXPECT_TRUE(notice->quitAsksFirst());
    EXPECT_EQ(changed.count(), 1);

    // Failing again says the same: nothing new to show.
    change(QStringLiteral("Hardware"));
    EXPECT_EQ(changed.count(), 1);

    sink->failing = false;
    notice->tryAgain();
    store->flushSaves();
    EXPECT_FALSE(notice->visible());
    EXPECT_FALSE(notice->quitAsksFirst());
    // Everything made while failing reached the file.
    ListStore reread(storeFile(), false, false, defaults, Clock::shared(),
                     ListStore::Access::readOnly);
    EXPECT_EQ(reread.lists().size(), 2);
}

TEST_F(StoreNoticeModelTest, TheNextChangeSavesAgainAndEndsTheNotice) {
    open();
    sink->failing = true;
    change();
    ASSERT_TRUE(notice->visible());
    sink->failing = false;
    change(QStringLiteral("Hardware"));
    EXPECT_FALSE(notice->visible());
}

TEST_F(StoreNoticeModelTest, TroubleFoundWhenTheStoreOpensIsToldAtOnce) {
    struct Row {
        const char* what;
        std::function<void(const QString& file)> prepare;
        QString title;
        QString mentions; // besides the store file's path
        bool canTryAgain;
    };
    const Row rows[] = {
        {"a file that does not read in full, its copy kept",
         [](const QString& file) {
             QFile f(file);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write("{ not a store");
         },
         "Your lists could not be read in full", ".unreadable-", false},
        {"a file of an older layout, upgraded and its copy kept",
         [](const QString& file) {
             QFile f(file);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write(R"({"lists":[],"items":[]})");
         },
         "Your lists were upgraded", "older layout", false},
        {"a file holding data from a later Tallybird, its copy kept",
         [](const QString& file) {
             QFile f(file);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write(R"({"version":3,"lists":[],"items":[],"dirtyLists":{},"dirtyItems":{},)"
                     R"("archivedRecords":{},"reminders":[]})");
         },
         "Your lists hold data this Tallybird does not read", ".unreadable-", false},
        {"a folder in place of the file",
         [](const QString& file) { ASSERT_TRUE(QDir().mkpath(file)); },
         "Your changes are not being saved", "cannot be opened", false},
        {"a file from a newer Tallybird",
         [](const QString& file) {
             QFile f(file);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write(R"({"version":4,"lists":[],"items":[]})");
         },
         StoreNoticeModel::newerTitle(), "come from a newer version of Tallybird", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QTemporaryDir here;
        const QString file = here.filePath(QStringLiteral("store.json"));
        row.prepare(file);
        ListStore opened(file, false, false, defaults);
        const StoreNoticeModel model(opened);
        EXPECT_TRUE(model.visible());
        EXPECT_EQ(model.title(), row.title);
        EXPECT_TRUE(model.message().contains(file)) << model.message().toStdString();
        EXPECT_TRUE(model.message().contains(row.mentions)) << model.message().toStdString();
        EXPECT_EQ(model.canTryAgain(), row.canTryAgain);
        EXPECT_FALSE(model.quitAsksFirst()) << "nothing was changed yet";
    }
}

TEST_F(StoreNoticeModelTest, TheCopysPathIsNamedAndStaysWhileSavingFailsToo) {
    QFile f(storeFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("{ not a store");
    f.close();
    open();
    ASSERT_TRUE(store->unreadableCopy());
    EXPECT_TRUE(notice->message().contains(*store->unreadableCopy()));
    sink->failing = true;
    change();
    EXPECT_EQ(notice->title(), "Your changes are not being saved");
    const QStringList paragraphs = notice->message().split('\n');
    ASSERT_EQ(paragraphs.size(), 2);
    EXPECT_TRUE(paragraphs[0].contains("could not be saved")) << "the pressing one first";
    EXPECT_TRUE(paragraphs[1].contains(*store->unreadableCopy()));
}

TEST_F(StoreNoticeModelTest, AFolderInPlaceOfTheFileIsToldAndQuittingKeepsChangesWithoutAsking) {
    ASSERT_TRUE(QDir().mkpath(storeFile()));
    open();
    EXPECT_TRUE(notice->visible());
    change();
    EXPECT_EQ(notice->title(), "Your changes are not being saved");
    EXPECT_TRUE(notice->message().contains("cannot be opened")) << notice->message().toStdString();
    EXPECT_FALSE(notice->canTryAgain()) << "the store never writes over what it could not open";
    EXPECT_TRUE(store->holdsUnsavedChanges());
    EXPECT_FALSE(notice->quitAsksFirst()) << "nothing to try again: they are kept aside";
    EXPECT_TRUE(QFileInfo(storeFile()).isDir()) << "nothing was written in its place";
}

TEST_F(StoreNoticeModelTest, ALockHeldElsewhereIsToldAndOnlyChangesOfTheListsAreUnsaved) {
    ListStore holder(storeFile(), false, false, defaults);
    open();
    ASSERT_TRUE(store->lockError());
    EXPECT_TRUE(notice->visible());
    EXPECT_EQ(notice->title(), "Your changes are not being saved");
    EXPECT_EQ(notice->message(), *store->lockError());
    EXPECT_FALSE(notice->canTryAgain()) << "trying again cannot take the lock";
    EXPECT_FALSE(store->holdsUnsavedChanges());
    // A setting is kept elsewhere; a list is not.
    store->announceChange();
    EXPECT_FALSE(store->holdsUnsavedChanges());
    store->addList(QStringLiteral("Unsaved"));
    EXPECT_TRUE(store->holdsUnsavedChanges());
    EXPECT_FALSE(notice->quitAsksFirst()) << "trying again cannot take the lock";
}

TEST_F(StoreNoticeModelTest, ChangesKeptWhenTheProgramLastEndedAreNamedUntilMovedAway) {
    open();
    change();
    ASSERT_FALSE(notice->visible());
    const QString kept = storeFile() + QStringLiteral(".unsaved-20240301T101500.000Z");
    QFile file(kept);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    // Told by the next window, not by one already open.
    EXPECT_FALSE(notice->visible());
    StoreNoticeModel next(*store);
    EXPECT_TRUE(next.visible());
    EXPECT_EQ(next.title(), "Changes kept in a separate file");
    EXPECT_EQ(next.message(), StoreNotice::unsavedCopy(kept));
    EXPECT_FALSE(next.canTryAgain());
    EXPECT_FALSE(next.quitAsksFirst());
    // A failing save is the more pressing news.
    sink->failing = true;
    change(QStringLiteral("Hardware"));
    EXPECT_EQ(next.title(), "Your changes are not being saved");
    EXPECT_EQ(next.message().split('\n').last(), StoreNotice::unsavedCopy(kept));

    ASSERT_TRUE(QFile::remove(kept));
    sink->failing = false;
    change(QStringLiteral("Tools"));
    EXPECT_FALSE(StoreNoticeModel(*store).visible());
}

// A settings file that cannot be read is moved aside when it is read; the window names where,
// in the words the command line uses, after whatever is wrong with the store file itself.
TEST_F(StoreNoticeModelTest, ASettingsFileSetAsideIsToldWithWhereItWent) {
    const auto write = [](const QByteArray& bytes) {
        return [bytes](const QString& path) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        };
    };
    struct Row {
        const char* what;
        std::function<void(const QString& settings)> make;
        std::function<void(const QString& storeFile)> store; // trouble of the store file besides
        QString title;
        int paragraph; // where the settings' words stand
    };
    const Row rows[] = {
        {"not JSON", write("{ \"textScale\": "), {}, StoreNoticeModel::settingsTitle(), 0},
        {"nested too deeply",
         write("{\"a\": " + QByteArray(600, '[') + QByteArray(600, ']') + "}"),
         {},
         StoreNoticeModel::settingsTitle(),
         0},
        {"a named pipe",
         [](const QString& path) {
             ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
         },
         {},
         StoreNoticeModel::settingsTitle(),
         0},
        {"not JSON, and a store file that does not read in full", write("[1"),
         write("{ not a store"), "Your lists could not be read in full", 1},
        {"not JSON, and a store file from a newer Tallybird", write("nul"),
         write(R"({"version":4,"lists":[],"items":[]})"), StoreNoticeModel::newerTitle(), 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QTemporaryDir here;
        const QString path = here.filePath("defaults.json");
        row.make(path);
        const QString storeFile = here.filePath("store.json");
        if (row.store)
            row.store(storeFile);
        FileDefaults settings(path);
        ListStore opened(storeFile, false, false, settings);
        const StoreNoticeModel model(opened);

        const QStringList aside =
            QDir(here.path())
                .entryList({"defaults.json.unreadable-*"}, QDir::AllEntries | QDir::System);
        ASSERT_EQ(aside.size(), 1) << "the file was moved aside";
        EXPECT_TRUE(model.visible());
        EXPECT_EQ(model.title(), row.title);
        EXPECT_EQ(model.accessibleName(), row.title);
        const QStringList paragraphs = model.message().split('\n');
        ASSERT_EQ(paragraphs.size(), row.paragraph + 1) << model.message().toStdString();
        EXPECT_EQ(paragraphs[row.paragraph], settings.unreadableFileNotice())
            << "as the command line says it";
        EXPECT_TRUE(paragraphs[row.paragraph].contains(here.filePath(aside[0])));
        EXPECT_FALSE(model.canTryAgain());
        EXPECT_FALSE(model.quitAsksFirst());
    }
}

TEST_F(StoreNoticeModelTest, ASettingsFileSetAsideWhileTheWindowIsOpenIsToldThen) {
    const QString path = dir.filePath("defaults.json");
    FileDefaults settings(path);
    settings.setBool("soundsOn", true);
    ListStore opened(storeFile(), false, false, settings);
    StoreNoticeModel model(opened);
    ASSERT_FALSE(model.visible());

    // Edited by hand, and left broken.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Append));
    f.write("{ broken");
    f.close();
    QSignalSpy changed(&model, &StoreNoticeModel::changed);
    EXPECT_EQ(settings.boolValue("soundsOn"), std::nullopt);
    ASSERT_TRUE(changed.wait(2000));
    EXPECT_EQ(model.title(), StoreNoticeModel::settingsTitle());
    EXPECT_EQ(model.message(), settings.unreadableFileNotice());
}

TEST_F(StoreNoticeModelTest, ANewerStoreIsShownAsViewOnlyAndNothingIsLostOnQuitting) {
    QFile f(storeFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const QByteArray newer = R"({"version":4,"lists":[{"id":"L","name":"Food"}],)"
                             R"("items":[{"id":"I","listID":"L","text":"milk"}],"dirtyLists":{},)"
                             R"("dirtyItems":{},"archivedRecords":{},"more":true})";
    f.write(newer);
    f.close();
    open();
    const QString why = ListStore::newerVersionText(storeFile());
    EXPECT_EQ(notice->title(), StoreNoticeModel::newerTitle());
    EXPECT_EQ(notice->message(), why) << "said once, not as a lock and a refusal both";
    EXPECT_FALSE(notice->canTryAgain());

    // The screens show every list as view only and offer no editor.
    ListDetailModel detail(*store);
    detail.show(QStringLiteral("L"));
    EXPECT_FALSE(detail.snapshot().canEdit);
    EXPECT_FALSE(detail.mayWrite());
    ItemEditorModel item(*store);
    item.show({QStringLiteral("I"), QStringLiteral("L")});
    EXPECT_FALSE(item.canEdit());
    NotesThreadModel notes(*store);
    notes.show({QStringLiteral("I"), QStringLiteral("L")});
    EXPECT_FALSE(notes.canEdit());
    EXPECT_FALSE(ListEditorModel::canOpen(*store, ListEditorMode::create()));
    EXPECT_FALSE(ListEditorModel::canOpen(*store, ListEditorMode::edit(store->lists().value(0))));

    // What the screens still offer is refused and told, and never asks before quitting.
    QSignalSpy changed(notice.get(), &StoreNoticeModel::changed);
    QSignalSpy refused(store.get(), &ListStore::editRefused);
    store->setListPinned(QStringLiteral("L"), true);
    store->deleteList(QStringLiteral("L"));
    store->setCollectionCollapsed(QStringLiteral("Home"), true);
    EXPECT_EQ(refused.count(), 2);
    EXPECT_EQ(changed.count(), 0) << "the notice already says it";
    EXPECT_EQ(store->lists().size(), 1);
    EXPECT_FALSE(store->holdsUnsavedChanges());
    EXPECT_FALSE(notice->quitAsksFirst());
    notice.reset();
    store.reset();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), newer);
}

// Passes end, one after another, as the program's sync reports them: a failure is told in the
// command line's words from the first failed pass, and stays told, without going away and
// coming back, until a pass succeeds.
TEST_F(StoreNoticeModelTest, ASyncThatCouldNotBeDoneIsToldUntilAPassSucceeds) {
    const QString offline = QStringLiteral("The network is unavailable.");
    const QString stopped =
        QStringLiteral("The network is unavailable. The cloud server stopped: terminating");
    struct Row {
        const char* what;
        std::vector<std::optional<QString>> passes;
        QString says; // the whole message once they ended; empty when nothing shows
        int changes;  // times the notice changed on the way
    };
    const Row rows[] = {
        {"one failed pass", {offline}, "Tallybird could not sync: " + offline, 1},
        {"failing again and again, as before",
         {offline, offline, offline},
         "Tallybird could not sync: " + offline,
         1},
        {"failing for another reason",
         {offline, stopped},
         "Tallybird could not sync: " + stopped,
         2},
        {"a pass that succeeds", {offline, offline, std::nullopt}, QString(), 2},
        {"failing again after one succeeded",
         {offline, std::nullopt, offline},
         "Tallybird could not sync: " + offline,
         3},
        {"only passes that succeed", {std::nullopt, std::nullopt}, QString(), 0},
        {"the server's words over several lines",
         {QStringLiteral("The network is unavailable. connection refused\n\tIs the server "
                         "running?\n")},
         "Tallybird could not sync: The network is unavailable. connection refused Is the "
         "server running?",
         1},
        {"no words at all", {QString()}, "Tallybird could not sync.", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ListStore opened(dir.filePath(QStringLiteral("%1.json").arg(row.what)), false, false,
                         defaults);
        StoreNoticeModel model(opened);
        QSignalSpy changed(&model, &StoreNoticeModel::changed);
        for (const std::optional<QString>& pass : row.passes) {
            model.syncEnded(pass);
            EXPECT_EQ(model.visible(), pass.has_value()) << "right after a pass";
        }
        EXPECT_EQ(model.message(), row.says);
        EXPECT_EQ(model.title(), row.says.isEmpty() ? QString() : StoreNoticeModel::syncTitle());
        EXPECT_EQ(model.accessibleName(), model.title());
        EXPECT_EQ(model.accessibleDescription(), row.says);
        EXPECT_FALSE(model.message().contains('\n')) << "one paragraph";
        EXPECT_EQ(changed.count(), row.changes);
        EXPECT_FALSE(model.canTryAgain()) << "the next pass tries again by itself";
        EXPECT_FALSE(model.quitAsksFirst()) << "nothing is lost: edits wait for the next pass";
    }
}

TEST_F(StoreNoticeModelTest, SwitchingSyncOffEndsTheSyncNoticeAtOnce) {
    const QString why = QStringLiteral("The network is unavailable.");
    struct Row {
        const char* what;
        std::function<void(ListStore&)> off;
        std::function<void(ListStore&)> on;
    };
    const Row rows[] = {
        {"in the settings sheet", [](ListStore& s) { s.setSyncEnabled(false); },
         [](ListStore& s) { s.setSyncEnabled(true); }},
        {"by another process, in the settings file",
         [](ListStore& s) { s.defaults().setBool(QStringLiteral("cloudSyncEnabled"), false); },
         [](ListStore& s) { s.defaults().setBool(QStringLiteral("cloudSyncEnabled"), true); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        MemoryDefaults own;
        ListStore opened(dir.filePath(QStringLiteral("%1.json").arg(row.what)), false, false, own);
        StoreNoticeModel model(opened);
        model.syncEnded(why);
        ASSERT_TRUE(model.visible());

        row.off(opened);
        EXPECT_FALSE(model.visible()) << "gone without waiting for a pass";
        // A pass under way as sync went off ends with its failure: nothing to tell.
        model.syncEnded(why);
        EXPECT_FALSE(model.visible());

        // Switched on again, the next pass says how sync goes.
        row.on(opened);
        EXPECT_FALSE(model.visible());
        model.syncEnded(why);
        EXPECT_TRUE(model.visible());
        EXPECT_EQ(model.message(), StoreNotice::syncFailed(why));
    }
}

// Trouble with the store file is more pressing than a sync that could not be done: it keeps the
// title and comes first, and the sync's words stay when it is over.
TEST_F(StoreNoticeModelTest, ASyncFailureComesAfterTroubleWithTheStoreFile) {
    open();
    const QString why = QStringLiteral("The network is unavailable.");
    notice->syncEnded(why);
    sink->failing = true;
    change();
    EXPECT_EQ(notice->title(), "Your changes are not being saved");
    QStringList paragraphs = notice->message().split('\n');
    ASSERT_EQ(paragraphs.size(), 2) << notice->message().toStdString();
    EXPECT_TRUE(paragraphs[0].contains(storeFile())) << "the failed save first";
    EXPECT_EQ(paragraphs[1], StoreNotice::syncFailed(why));
    EXPECT_TRUE(notice->canTryAgain()) << "for the save";

    sink->failing = false;
    change(QStringLiteral("Hardware"));
    EXPECT_EQ(notice->title(), StoreNoticeModel::syncTitle());
    EXPECT_EQ(notice->message(), StoreNotice::syncFailed(why));
    EXPECT_FALSE(notice->canTryAgain());

    // A store file from a newer Tallybird keeps its title; the sync's words come after.
    QTemporaryDir here;
    const QString newer = here.filePath(QStringLiteral("store.json"));
    QFile f(newer);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(R"({"version":4,"lists":[],"items":[]})");
    f.close();
    ListStore shown(newer, false, false, defaults);
    StoreNoticeModel model(shown);
    model.syncEnded(why);
    EXPECT_EQ(model.title(), StoreNoticeModel::newerTitle());
    paragraphs = model.message().split('\n');
    ASSERT_EQ(paragraphs.size(), 2) << model.message().toStdString();
    EXPECT_EQ(paragraphs[1], StoreNotice::syncFailed(why));
}

} // namespace
