// The command line in a profile whose files are not what the program wrote: a pipe or a link
// to a device where the store goes, a pipe or a link where the store's sending journal goes, a
// pipe or a document nested a hundred thousand levels deep where the settings go. Every request
// ends, and says which file is at fault.
#include "ProcessTestSupport.h"

#include "intents/ExitCode.h"
#include "store/SendingJournal.h"
#include "store/UnreadableCopies.h"

#include <functional>

#include <sys/stat.h>

namespace {

class OddProfileFiles : public ProcessTest {
protected:
    void SetUp() override {
        ProcessTest::SetUp();
        Seed seed(openStore());
        seed.list("Groceries");
    }

    QString settingsPath() const { return dir.filePath(QStringLiteral("defaults.json")); }

    // A request that must end, however long a hang would be.
    Typed ended(const QStringList& words) {
        QProcess process;
        launch(process, words);
        process.closeWriteChannel();
        const bool finished = process.waitForFinished(30'000);
        EXPECT_TRUE(finished) << "the request never ended";
        if (!finished)
            process.kill();
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
};

TEST_F(OddProfileFiles, AStoreFileThatIsNoFileIsNamedAndNoRequestWaitsOnIt) {
    struct Case {
        const char* what;
        std::function<bool(const QString& path)> make;
        const char* why;
    };
    const Case cases[] = {
        {"a named pipe",
         [](const QString& p) { return ::mkfifo(QFile::encodeName(p).constData(), 0600) == 0; },
         "file to open is a named pipe, not a regular file"},
        {"a link to /dev/zero", [](const QString& p) { return QFile::link("/dev/zero", p); },
         "file to open is a device, not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(storePath());
        ASSERT_TRUE(c.make(storePath()));
        const QString said =
            "The store file “" + storePath() + "” cannot be opened: " + c.why + ".";
        const Typed added = ended({"add", "--list", "Groceries", "eggs"});
        EXPECT_NE(added.code, 0);
        EXPECT_EQ(added.out, QString()) << "answered as done";
        EXPECT_TRUE(added.err.contains(said)) << added.err.toStdString();
        const Typed lists = ended({"lists"});
        EXPECT_EQ(lists.code, ExitCode::unreachable) << "no lists were told as none";
        EXPECT_EQ(lists.out, QString());
        EXPECT_TRUE(lists.err.contains(said)) << lists.err.toStdString();
    }
}

TEST_F(OddProfileFiles, ASendingJournalThatIsNoFileIsNamedAndNothingIsWrittenThrough) {
    const QString journal = SendingJournal::pathBeside(storePath());
    const QString elsewhere = dir.filePath(QStringLiteral("notes.txt"));
    const QByteArray theirs = "a line\nand an unfinished one";
    struct Case {
        const char* what;
        std::function<bool()> make;
        const char* why;
    };
    const Case cases[] = {
        {"a named pipe",
         [&] { return ::mkfifo(QFile::encodeName(journal).constData(), 0600) == 0; },
         "file to open is a named pipe, not a regular file"},
        {"a link to a file", [&] { return QFile::link(elsewhere, journal); },
         "file to open is a symbolic link, not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(journal);
        QFile file(elsewhere);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(theirs);
        file.close();
        ASSERT_TRUE(c.make());
        const QString said = "The sending journal “" + journal +
                             "” beside the store file cannot be opened: " + c.why + ".";
        const Typed added = ended({"add", "--list", "Groceries", "eggs"});
        EXPECT_EQ(added.code, ExitCode::unreachable);
        EXPECT_EQ(added.out, QString()) << "answered as done";
        EXPECT_TRUE(added.err.contains(said)) << added.err.toStdString();
        // The lists are read all the same, and the trouble said.
        const Typed lists = ended({"lists"});
        EXPECT_EQ(lists.code, 0) << lists.err.toStdString();
        EXPECT_TRUE(lists.out.endsWith("\tGroceries\n")) << lists.out.toStdString();
        EXPECT_TRUE(lists.err.contains(said)) << lists.err.toStdString();
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), theirs);
        file.close();
    }
    QFile::remove(journal);
    const Typed added = ended({"add", "--list", "Groceries", "eggs"});
    EXPECT_EQ(added.code, 0) << added.err.toStdString();
    EXPECT_EQ(added.out, "Added eggs to Groceries.\n");
}

TEST_F(OddProfileFiles, AStoreFileCopiedAsideIsNamedWithWhatBecomesOfIt) {
    struct Case {
        const char* what;
        QByteArray document;
        const char* said; // before the copy's name
    };
    const Case cases[] = {
        {"an older layout, upgraded", R"({"lists":[{"id":"L","name":"Groceries"}],"items":[]})",
         "” was in an older layout and is upgraded to the current one; the file as it was is "
         "kept in “"},
        {"data from a later Tallybird",
         R"({"version":3,"lists":[{"id":"L","name":"Groceries","shade":"teal"}],"items":[],)"
         R"("dirtyLists":{},"dirtyItems":{},"archivedRecords":{}})",
         "” holds data from a later Tallybird that this one does not read and leaves out when "
         "it saves; the file as it was is kept in “"},
        {"a damaged file", R"({"version":3,"lists":[{"id":"L","name":"Groceries"}],"items":[]})",
         "” could not be read in full; its contents are kept in “"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(storePath());
        for (const QString& copy : UnreadableCopies::copies(storePath()))
            QFile::remove(copy);
        QFile file(storePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.document);
        file.close();

        const Typed added = ended({"add", "--list", "Groceries", "eggs"});
        EXPECT_EQ(added.code, 0) << added.err.toStdString();
        EXPECT_EQ(added.out, "Added eggs to Groceries.\n");
        const QStringList copies = UnreadableCopies::copies(storePath());
        ASSERT_EQ(copies.size(), 1);
        EXPECT_EQ(added.err, "The store file “" + storePath() + c.said + copies.first() + "”.\n");
        QFile copy(copies.first());
        ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
        EXPECT_EQ(copy.readAll(), c.document);
    }
}

TEST_F(OddProfileFiles, ASettingsFileThatCannotBeReadIsSetAsideAndRequestsGoOn) {
    const QByteArray deep = "{\"a\": " + QByteArray(100'000, '[') + QByteArray(100'000, ']') + "}";
    struct Case {
        const char* what;
        std::function<void(const QString& path)> make;
        const char* why;
    };
    const Case cases[] = {
        {"a named pipe",
         [](const QString& p) { ASSERT_EQ(::mkfifo(QFile::encodeName(p).constData(), 0600), 0); },
         "file to open is a named pipe, not a regular file"},
        {"nested a hundred thousand levels deep",
         [&](const QString& p) {
             QFile file(p);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write(deep);
         },
         "nested too deeply"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(settingsPath());
        c.make(settingsPath());
        const Typed lists = ended({"lists"});
        EXPECT_EQ(lists.code, 0) << lists.err.toStdString();
        EXPECT_TRUE(lists.out.endsWith("\tGroceries\n")) << lists.out.toStdString();
        EXPECT_TRUE(lists.err.contains("The settings file “" + settingsPath() +
                                       "” could not be read: " + c.why + ". It was moved to “" +
                                       settingsPath() + ".unreadable-"))
            << lists.err.toStdString();
        // Set aside, so the next request reads no trouble and says none.
        const Typed added = ended({"add", "--list", "Groceries", "eggs"});
        EXPECT_EQ(added.code, 0) << added.err.toStdString();
        EXPECT_FALSE(added.err.contains("settings file")) << added.err.toStdString();
    }
}

} // namespace
