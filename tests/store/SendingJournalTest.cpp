// The sending journal as a file: entries read back whole and in order, an append a kill cut
// short left out and cut off before the next one, and the file gone once asked. Anything else
// where the journal goes (a pipe, a link) is neither waited on nor written through, and the
// store beside it says so and writes nothing.
#include "store/SendingJournal.h"

#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "support/QStringPrinting.h"
#include "support/TestApplication.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::vector<QByteArray> entries(std::initializer_list<const char*> texts) {
    std::vector<QByteArray> out;
    for (const char* text : texts)
        out.emplace_back(text);
    return out;
}

TEST(SendingJournalTest, EntriesReadBackWholeAndInOrderWhateverAKillLeftOfTheLastAppend) {
    const struct {
        const char* what;
        QByteArray onDisk; // what an earlier program left
        std::vector<QByteArray> read;
        std::vector<QByteArray> afterAppend; // once this program appended "{\"c\":3}"
    } cases[] = {
        {"no file", {}, {}, entries({R"({"c":3})"})},
        {"whole entries", "{\"a\":1}\n{\"b\":2}\n", entries({R"({"a":1})", R"({"b":2})"}),
         entries({R"({"a":1})", R"({"b":2})", R"({"c":3})"})},
        {"the last append cut short", "{\"a\":1}\n{\"b\":", entries({R"({"a":1})"}),
         entries({R"({"a":1})", R"({"c":3})"})},
        {"only an append cut short", "{\"a\"", {}, entries({R"({"c":3})"})},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        QTemporaryDir dir;
        const QString path = SendingJournal::pathBeside(dir.filePath("store.json"));
        if (!row.onDisk.isNull()) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(row.onDisk);
        }
        EXPECT_EQ(SendingJournal::read(path), row.read);

        SendingJournal journal(path);
        EXPECT_TRUE(journal.append(R"({"c":3})", true));
        EXPECT_EQ(SendingJournal::read(path), row.afterAppend);

        // Once removed, the next append makes it anew.
        EXPECT_TRUE(journal.append(R"({"d":4})", false));
        journal.remove();
        EXPECT_FALSE(QFile::exists(path));
        EXPECT_TRUE(journal.append(R"({"e":5})", false));
        EXPECT_EQ(SendingJournal::read(path), entries({R"({"e":5})"}));
    }
}

TEST(SendingJournalTest, AnAppendThatCannotBeWrittenSaysSo) {
    QTemporaryDir dir;
    // A folder where the file should be: nothing can be appended.
    const QString path = SendingJournal::pathBeside(dir.filePath("store.json"));
    ASSERT_TRUE(QDir().mkpath(path));
    SendingJournal journal(path);
    EXPECT_FALSE(journal.append(R"({"a":1})", true));
}

TEST(SendingJournalTest, SomethingElseWhereTheJournalGoesIsLeftAsItIsAndTheStoreWritesNothing) {
    testsupport::ensureApplication();
    const struct {
        const char* what;
        std::function<bool(const QString& journal, const QString& elsewhere)> make;
        const char* why;
    } cases[] = {
        {"a named pipe",
         [](const QString& journal, const QString&) {
             return ::mkfifo(QFile::encodeName(journal).constData(), 0600) == 0;
         },
         "file to open is a named pipe, not a regular file"},
        {"a link to a file",
         [](const QString& journal, const QString& elsewhere) {
             return QFile::link(elsewhere, journal);
         },
         "file to open is a symbolic link, not a regular file"},
        {"a link to nothing",
         [](const QString& journal, const QString& elsewhere) {
             return QFile::link(elsewhere + QStringLiteral(".gone"), journal);
         },
         "file to open is a symbolic link, not a regular file"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        QTemporaryDir dir;
        const QString storeFile = dir.filePath("store.json");
        const QString path = SendingJournal::pathBeside(storeFile);
        // What a link leads to: a file of someone else's, its last line unfinished.
        const QString elsewhere = dir.filePath("elsewhere.txt");
        const QByteArray theirs = "{\"a\":1}\n{\"b\":";
        {
            QFile file(elsewhere);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(theirs);
        }
        ASSERT_TRUE(row.make(path, elsewhere));

        // Read on a thread of its own: a read that waits for a pipe's writer is let go after a
        // while, and fails.
        auto reading = std::async(std::launch::async, [&] { return SendingJournal::read(path); });
        if (reading.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
            ADD_FAILURE() << "the read waited for a writer";
            ::close(::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK));
            reading.wait();
        }
        EXPECT_EQ(reading.get(), std::vector<QByteArray>());
        SendingJournal journal(path);
        EXPECT_FALSE(journal.append(R"({"c":3})", true));
        journal.remove();
        QFile file(elsewhere);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), theirs);

        // The store shows its lists and never writes: what a sending cut short left could
        // not be taken in, nor kept.
        MemoryDefaults defaults;
        ListStore store(storeFile, true, false, defaults);
        EXPECT_FALSE(store.canWrite());
        EXPECT_EQ(store.lockError(), "The sending journal “" + path +
                                         "” beside the store file cannot be opened: " + row.why +
                                         ".");
        store.addList(QStringLiteral("Groceries"));
        store.flushSaves();
        EXPECT_FALSE(QFile::exists(storeFile));
        struct stat info {};
        EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &info), 0) << "it was removed";
        EXPECT_FALSE(S_ISREG(info.st_mode));
    }
}

} // namespace
