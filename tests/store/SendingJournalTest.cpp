// The sending journal as a file: entries read back whole and in order, an append a kill cut
// short left out and cut off before the next one, and the file gone once asked.
#include "store/SendingJournal.h"

#include "support/QStringPrinting.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

} // namespace
