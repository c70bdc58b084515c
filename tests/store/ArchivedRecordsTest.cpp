// The archived records against a plain map of the same changes, and as the store file has them.
#include "StoreTestSupport.h"

#include "store/ArchivedRecords.h"

#include <QRandomGenerator>

namespace {

// Every member in writing order, as one text.
QByteArray written(const ArchivedRecords& records) {
    QByteArray text;
    records.forEachMember([&text](QByteArrayView member) {
        text.append(member);
        text.append('\n');
    });
    return text;
}

QByteArray written(const QMap<QString, QByteArray>& expected) {
    QByteArray text;
    for (auto it = expected.begin(); it != expected.end(); ++it)
        text += DiskV2::encodeArchiveMember(it.key(), it.value()) + '\n';
    return text;
}

void expectSame(const ArchivedRecords& records, const QMap<QString, QByteArray>& expected) {
    ASSERT_EQ(records.size(), expected.size());
    EXPECT_EQ(records.isEmpty(), expected.isEmpty());
    EXPECT_EQ(records.keys(), expected.keys());
    EXPECT_EQ(written(records), written(expected));
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        EXPECT_TRUE(records.contains(it.key())) << it.key().toStdString();
        EXPECT_EQ(records.value(it.key()), it.value()) << it.key().toStdString();
    }
}

// Keys whose order differs between UTF-8 bytes, code points and QString's UTF-16 units, and
// keys that need escaping.
const QString oddKeys[] = {
    QString::fromUtf8("I#\xF0\x9F\x8D\x8E"), // beyond the basic plane: before U+FF01 in UTF-16
    QString::fromUtf8("I#\xEF\xBC\x81"),     // U+FF01
    QString::fromUtf8("I#K\xC3\xBC"
                      "che"),
    "I#a\"b\\c",
    "I#a\tb",
    "I#~",
};

} // namespace

TEST(ArchivedRecords, KeepWhatAMapOfTheSameChangesKeeps) {
    struct Case {
        const char* what;
        int appended; // members appended in ascending order first, as a file is read
        int changes;  // then this many inserts and removes
    };
    const Case cases[] = {
        {"changes only", 0, 300},
        {"a read block, then a few changes", 2000, 200},
        {"a read block, then enough changes to fold them in", 2000, 5000},
        {"no block and enough changes to fold", 0, 4000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QRandomGenerator random(7);
        ArchivedRecords records;
        QMap<QString, QByteArray> expected;
        const auto keyOf = [](int n) { return QString("I#%1").arg(n, 6, 10, QChar('0')); };
        for (int n = 0; n < c.appended; ++n) {
            const QByteArray text = QByteArray::number(n).toBase64();
            records.append(keyOf(2 * n), text);
            expected.insert(keyOf(2 * n), text);
        }
        expectSame(records, expected);
        const ArchivedRecords before = records;
        const QMap<QString, QByteArray> expectedBefore = expected;
        for (int step = 0; step < c.changes; ++step) {
            const int pick = int(random.bounded(3 * c.appended + 600));
            const QString key =
                pick % 50 == 0 ? oddKeys[pick / 50 % std::size(oddKeys)] : keyOf(pick);
            if (random.bounded(3) == 0) {
                EXPECT_EQ(records.remove(key), expected.remove(key) == 1);
            } else {
                const QByteArray text = QByteArray::number(step).toBase64();
                records.insert(key, text);
                expected.insert(key, text);
            }
            if (step % 97 == 0)
                expectSame(records, expected);
        }
        expectSame(records, expected);
        // A copy taken earlier shares what it can and keeps what it had.
        expectSame(before, expectedBefore);
        EXPECT_EQ(records == before, expected == expectedBefore);
        records.clear();
        expectSame(records, {});
    }
}

// A fold runs on another thread from what the records held when it began; changes made before
// its block is taken stay beside that block. Here the fold is held back until each kind of
// change was made meanwhile.
TEST(ArchivedRecords, ChangesMadeWhileAFoldRunsAreKeptOverItsBlock) {
    std::vector<std::function<void()>> held;
    ArchivedRecords::setFoldRunner([&held](std::function<void()> fold) { held.push_back(fold); });
    const auto keyOf = [](int n) { return QString("I#%1").arg(n, 6, 10, QChar('0')); };
    struct Case {
        const char* what;
        std::function<void(ArchivedRecords&, QMap<QString, QByteArray>&)> meanwhile;
    };
    const auto insert = [](ArchivedRecords& r, QMap<QString, QByteArray>& m, const QString& key,
                           const QByteArray& text) {
        r.insert(key, text);
        m.insert(key, text);
    };
    const auto remove = [](ArchivedRecords& r, QMap<QString, QByteArray>& m, const QString& key) {
        EXPECT_EQ(r.remove(key), m.remove(key) == 1);
    };
    const Case cases[] = {
        {"nothing", {}},
        {"new keys",
         [&](auto& r, auto& m) {
             insert(r, m, keyOf(1), "bmV3");
             insert(r, m, "L#new", "bmV3");
         }},
        {"a key of the old block changed again",
         [&](auto& r, auto& m) { insert(r, m, keyOf(2000), "YWdhaW4="); }},
        {"a key changed before the fold, changed again",
         [&](auto& r, auto& m) { insert(r, m, keyOf(10), "YWdhaW4="); }},
        {"keys of the old block and of the changes removed",
         [&](auto& r, auto& m) {
             remove(r, m, keyOf(2002));
             remove(r, m, keyOf(12));
             remove(r, m, "I#none");
         }},
        {"a key removed, then added back",
         [&](auto& r, auto& m) {
             remove(r, m, keyOf(2004));
             insert(r, m, keyOf(2004), "YmFjaw==");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        held.clear();
        ArchivedRecords records;
        QMap<QString, QByteArray> expected;
        for (int n = 0; n < 4000; n += 2) {
            records.append(keyOf(1000 + n), "b2xk");
            expected.insert(keyOf(1000 + n), "b2xk");
        }
        // Enough changes to fold: a quarter new keys, the rest of the block's.
        for (int n = 0; n < 1100; ++n)
            insert(records, expected, n % 4 == 0 ? keyOf(2 * n) : keyOf(1000 + 2 * n), "Y2hhbmdl");
        ASSERT_EQ(held.size(), 1u);
        if (c.meanwhile)
            c.meanwhile(records, expected);
        expectSame(records, expected);
        held.front()();
        const ArchivedRecords copy = records;
        insert(records, expected, "L#after", "YWZ0ZXI="); // takes the fold's block
        expectSame(records, expected);
        expectSame(copy, [&] {
            QMap<QString, QByteArray> before = expected;
            before.remove("L#after");
            return before;
        }());
        // Later folds still fold everything.
        for (int n = 0; n < 3000; ++n)
            insert(records, expected, keyOf(5000 + n), "bGF0ZXI=");
        while (!held.empty()) {
            const auto fold = held.back();
            held.pop_back();
            fold();
            insert(records, expected, "L#after", "YWZ0ZXI=");
        }
        expectSame(records, expected);
    }
    ArchivedRecords::setFoldRunner({});
}

// Records only added (as a first sync adds them) go into a block nobody else holds where it
// lies, at once and without a second copy; a block a copy holds is folded on another thread.
TEST(ArchivedRecords, AddedRecordsGoIntoABlockNobodyElseHoldsAtOnce) {
    std::vector<std::function<void()>> held;
    ArchivedRecords::setFoldRunner([&held](std::function<void()> fold) { held.push_back(fold); });
    const auto keyOf = [](int n) { return QString("I#%1").arg(n, 6, 10, QChar('0')); };
    struct Case {
        const char* what;
        int block; // members appended first, every third key
        int added; // then keys added: between the block's, or after them all
        bool after;
        bool oddKeysToo; // with keys that need escaping or order differently in UTF-16
        bool copyHolds;  // a copy taken before the additions holds the block
    };
    const Case cases[] = {
        {"no block yet", 0, 1500, false, false, false},
        {"added keys before and between the block's", 3000, 1200, false, false, false},
        {"added keys after the block's", 3000, 2500, true, false, false},
        {"odd keys among them", 3000, 1200, false, true, false},
        {"a copy holds the block", 3000, 1200, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        held.clear();
        ArchivedRecords records;
        QMap<QString, QByteArray> expected;
        for (int n = 0; n < c.block; ++n) {
            const QByteArray text = QByteArray::number(n).toBase64();
            records.append(keyOf(3 * n + 1), text);
            expected.insert(keyOf(3 * n + 1), text);
        }
        const ArchivedRecords copy = c.copyHolds ? records : ArchivedRecords();
        if (c.oddKeysToo) {
            for (const QString& key : oddKeys) {
                records.insert(key, "b2Rk");
                expected.insert(key, "b2Rk");
            }
        }
        for (int n = 0; n < c.added; ++n) {
            const QString key = keyOf(c.after ? 3 * c.block + n : 3 * n + (n % 2 == 0 ? 0 : 2));
            const QByteArray text = QByteArray::number(n * 7).toBase64();
            records.insert(key, text);
            expected.insert(key, text);
        }
        EXPECT_EQ(held.size(), c.copyHolds ? 1u : 0u);
        expectSame(records, expected);
        for (const auto& fold : held)
            fold();
        records.insert("L#after", "YWZ0ZXI=");
        expected.insert("L#after", "YWZ0ZXI=");
        expectSame(records, expected);
    }
    ArchivedRecords::setFoldRunner({});
}

TEST(ArchivedRecords, AppendingOutOfOrderStillKeepsKeyOrder) {
    ArchivedRecords records;
    QMap<QString, QByteArray> expected;
    const QString keys[] = {"L#b", "L#a", "L#c", "L#c", oddKeys[1], oddKeys[0], "L#"};
    for (qsizetype i = 0; i < qsizetype(std::size(keys)); ++i) {
        const QByteArray text = QByteArray::number(i).toBase64();
        records.append(keys[i], text);
        expected.insert(keys[i], text);
    }
    expectSame(records, expected);
}

TEST(ArchivedRecords, RecordsOfAFileInAnyOrderAreReadAsTheLastOfEqualKeysAndWrittenSorted) {
    const QByteArray file =
        R"({"version":3,"lists":[],"items":[],"dirtyLists":{},"dirtyItems":{},)"
        R"("archivedRecords":{"I#b":"AA==","I#a":"AQ==","I#\u00e9":"AAAA","I#b":"Ag==",)"
        R"("L#x":"","I#\"q":"AQID"}})";
    const DiskV2 disk = DiskV2::decode(file, Date(0));
    EXPECT_EQ(disk.archivedRecords.keys(),
              (QStringList{"I#\"q", "I#a", "I#b", QString::fromUtf8("I#\xC3\xA9"), "L#x"}));
    EXPECT_EQ(disk.archivedRecords.value("I#b"), "Ag==");
    const QByteArray saved = disk.encode();
    EXPECT_TRUE(saved.contains(
        QString::fromUtf8(R"("archivedRecords":{"I#\"q":"AQID","I#a":"AQ==","I#b":"Ag==",)"
                          R"("I#é":"AAAA","L#x":""})")
            .toUtf8()))
        << saved.toStdString();
    // Read back, written again: the same bytes.
    EXPECT_EQ(DiskV2::decode(saved, Date(0)).encode(), saved);
}

TEST_F(StoreTest, RecordsReadFromTheFileAreWrittenBackAsTheyWere) {
    {
        auto store = open();
        store->addList("Groceries");
    }
    Json document = fileJson();
    for (int n = 0; n < 3000; ++n)
        document["archivedRecords"][QString("I#%1").arg(n, 5, 10, QChar('0')).toStdString()] =
            QByteArray::number(n * 7919).toBase64().toStdString();
    writeFile(QByteArray::fromStdString(document.dump()));
    const QByteArray before = fileBytes();
    const auto section = [](const QByteArray& bytes) {
        const qsizetype start = bytes.indexOf("\"archivedRecords\":");
        return bytes.mid(start, bytes.indexOf('}', start) - start);
    };

    auto store = open();
    store->addList("Trip");
    store->flushSaves();
    const QByteArray after = fileBytes();
    ASSERT_NE(after, before);
    EXPECT_EQ(section(after), section(before));
    EXPECT_EQ(store->archivedRecords().size(), 3000);
}

// A fetch brings back every record the device has just sent: kept again as it is, it changes
// nothing, so the records are not folded anew for it.
TEST_F(StoreTest, ARecordKeptAgainAsItIsChangesNothing) {
    auto store = open();
    store->setArchive("I#a", "record one");
    const quint64 version = store->archivedRecords().version();
    store->setArchive("I#a", "record one");
    EXPECT_EQ(store->archivedRecords().version(), version);
    store->setArchive("I#a", "record two");
    EXPECT_NE(store->archivedRecords().version(), version);
    EXPECT_EQ(store->archivedRecord("I#a"), "record two");
}
