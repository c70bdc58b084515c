// Changes a store could not save, kept in a file of their own: beside the store file when its
// folder takes one, else in the home folder; each a whole store file that reads back, found
// again for that store only, never written over the store's own file.
#include "StoreTestSupport.h"

#include "store/UnsavedCopies.h"

#include <QDir>
#include <QFileInfo>

#include <functional>

namespace {

class UnsavedCopiesTest : public StoreTest {
protected:
    void SetUp() override {
        previousHome = qgetenv("HOME");
        qputenv("HOME", home().toUtf8());
        QDir().mkpath(home());
    }
    void TearDown() override { qputenv("HOME", previousHome); }

    QString home() const { return dir.filePath(QStringLiteral("home")); }

    static void makeFile(const QString& path) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QStringList listNames(const QString& file) {
        ListStore kept(file, false, false, defaults, clock, ListStore::Access::readOnly);
        QStringList names;
        for (const TBList& list : kept.lists())
            names.append(list.name);
        return names;
    }

    QByteArray previousHome;
};

TEST_F(UnsavedCopiesTest, AChangeThatCannotBeSavedIsKeptWhereAFileCanBeMade) {
    struct Row {
        const char* what;
        std::function<void(const QString& folder)> breakIt;
        bool homeTakesFile;
        QString keptIn; // "beside", "home" or "" for nowhere
    };
    const Row rows[] = {
        {"a folder in place of the store file",
         [](const QString& folder) { QDir().mkpath(folder + "/store.json"); }, true, "beside"},
        {"the store's folder is a file", [](const QString& folder) { makeFile(folder); }, true,
         "home"},
        {"neither the store's folder nor the home folder takes a file",
         [](const QString& folder) { makeFile(folder); }, false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const QString folder = dir.filePath(row.what);
        row.breakIt(folder);
        if (!row.homeTakesFile)
            qputenv("HOME", QFile::encodeName(folder + "/home"));
        const QString storeFile = folder + "/store.json";
        ListStore store(storeFile, false, false, defaults, clock);
        ASSERT_TRUE(store.lockError());
        EXPECT_FALSE(store.holdsUnsavedChanges()) << "nothing changed yet";
        store.addList(QStringLiteral("Kept"));
        EXPECT_TRUE(store.holdsUnsavedChanges());

        QString error;
        const std::optional<QString> kept = UnsavedCopies::keep(store, clock.now(), &error);
        qputenv("HOME", home().toUtf8());
        if (row.keptIn.isEmpty()) {
            EXPECT_FALSE(kept);
            EXPECT_FALSE(error.isEmpty());
            continue;
        }
        ASSERT_TRUE(kept) << error.toStdString();
        const QString expectedFolder = row.keptIn == "beside" ? folder : home();
        EXPECT_EQ(QFileInfo(*kept).absolutePath(), QFileInfo(expectedFolder).absoluteFilePath());
        EXPECT_EQ(listNames(*kept), QStringList{"Kept"});
        EXPECT_EQ(UnsavedCopies::copies(storeFile), QStringList{*kept});
    }
}

TEST_F(UnsavedCopiesTest, EveryCopyIsANewFileAndEachStoreFindsOnlyItsOwn) {
    const QString folder = dir.filePath(QStringLiteral("profile"));
    makeFile(folder);
    const QString storeFile = folder + "/store.json";
    ListStore store(storeFile, false, false, defaults, clock);
    store.addList(QStringLiteral("First"));
    QString error;
    const std::optional<QString> first = UnsavedCopies::keep(store, clock.now(), &error);
    store.addList(QStringLiteral("Second"));
    // The same moment on the clock: the second copy gets a name of its own.
    const std::optional<QString> second = UnsavedCopies::keep(store, clock.now(), &error);
    ASSERT_TRUE(first && second) << error.toStdString();
    EXPECT_NE(*first, *second);
    EXPECT_EQ(listNames(*first), QStringList{"First"});
    EXPECT_EQ(UnsavedCopies::copies(storeFile), (QStringList{*first, *second}));

    const QString otherFolder = dir.filePath(QStringLiteral("other"));
    makeFile(otherFolder);
    EXPECT_EQ(UnsavedCopies::copies(otherFolder + "/store.json"), QStringList());
}

TEST_F(StoreTest, ACopyNeverTakesTheStoreFilesPlace) {
    auto store = open();
    store->addList(QStringLiteral("Groceries"));
    const QByteArray saved = fileBytes();
    QString error;
    EXPECT_FALSE(store->writeCopy(path(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(), saved);
}

} // namespace
