// The owner's shared list holds a record that does not decode: the second person may write the
// list and stores bytes there with a client of their own (SQL on the container file, or their
// own role on a server). The owner's requests sync and say nothing of a failure, her other
// device gets what she adds afterwards, and a request says in one sentence that it left them out.
#include "ProcessTestSupport.h"

#include "store/CloudLayout.h"
#include "support/PostgresTestServer.h"

#include <sqlite3.h>

namespace {

class UndecodableRecordProcess : public ProcessTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        ProcessTest::SetUp();
        if (!onServer())
            return;
        TALLYBIRD_REQUIRE_POSTGRES();
        server = std::make_unique<testsupport::PostgresTestDatabase>();
        ASSERT_TRUE(server->ok()) << server->error().toStdString();
        admin({"create-user", ownerName()});
    }

    bool onServer() const { return GetParam(); }
    QString laptop() const { return dir.filePath(QStringLiteral("laptop")); }
    QString desktop() const { return dir.filePath(QStringLiteral("desktop")); }
    QString second() const { return dir.filePath(QStringLiteral("second")); }
    QString ownerName() const {
        return onServer() ? QStringLiteral("ann") : cloud::Container::defaultUserName;
    }
    QString cloudFor(const QString& profile) const override {
        if (!onServer())
            return cloudFile();
        return server->uri(profile == second() ? QStringLiteral("sam") : ownerName());
    }

    QString admin(const QStringList& words) {
        QProcess process;
        process.start(QStringLiteral(TALLYBIRD_CLOUD_EXECUTABLE),
                      QStringList{"--cloud", onServer() ? server->adminUri() : cloudFile()} +
                          words);
        EXPECT_TRUE(process.waitForFinished(30'000));
        EXPECT_EQ(process.exitCode(), 0) << words.join(' ').toStdString() << ": "
                                         << process.readAllStandardError().toStdString();
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    // A request that must succeed; what it printed and what it logged.
    Typed said(const QStringList& words, const QString& profile) {
        const Typed typed = run(words, profile);
        EXPECT_EQ(typed.code, 0) << words.join(' ').toStdString();
        return typed;
    }

    // The second person's own client stores `data` as record `name` of the owner's zone, over
    // the record of that name if there is one, taking a change number and touching the zone as
    // the container would.
    void secondStoresRaw(const QString& zone, const QString& name, const QByteArray& data) {
        const QString hex = QString::fromLatin1(data.toHex());
        if (onServer()) {
            const QString sql =
                QStringLiteral(
                    "DO $$ DECLARE n bigint; BEGIN PERFORM tallybird.lock_zone('%1', '%2'); "
                    "SELECT tallybird.take_blocks(1) INTO n; "
                    "INSERT INTO tallybird.records VALUES ('%1', '%2', '%3', 'Item', 't0', "
                    "decode('%4', 'hex'), n) ON CONFLICT (owner, zone, name) DO UPDATE SET "
                    "tag = EXCLUDED.tag, data = EXCLUDED.data, seq = EXCLUDED.seq; "
                    "PERFORM tallybird.touch_zone('%1', '%2', n); END $$")
                    .arg(ownerName(), zone, name, hex);
            ASSERT_EQ(server->run(sql, QStringLiteral("sam")), QString());
            return;
        }
        const QString seq =
            QStringLiteral("(SELECT CAST(value AS INTEGER) FROM meta WHERE key = 'sequence')");
        const QString sql =
            QStringLiteral(
                "BEGIN IMMEDIATE; "
                "UPDATE meta SET value = CAST(value AS INTEGER) + 1 WHERE key = 'sequence'; "
                "INSERT OR REPLACE INTO records VALUES ('%1', '%2', '%3', 'Item', 't0', X'%4', "
                "%5); "
                "UPDATE zones SET changed_seq = %5 WHERE owner = '%1' AND name = '%2'; "
                "COMMIT;")
                .arg(ownerName(), zone, name, hex, seq);
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(cloudFile().toUtf8().constData(), &db), SQLITE_OK);
        sqlite3_busy_timeout(db, 10'000);
        char* error = nullptr;
        EXPECT_EQ(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error), SQLITE_OK)
            << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(db);
    }

    std::unique_ptr<testsupport::PostgresTestDatabase> server;
};

// How often a program's log names a record.
// How often a request said that sync left records alone as they do not decode: once, in one
// sentence, whatever their number.
qsizetype undecodableSaid(const Typed& typed, int records) {
    return typed.err.count(
        QStringLiteral("Sync left %1 records from the cloud alone, as they do not decode.\n")
            .arg(records));
}

TEST_P(UndecodableRecordProcess, TheOwnersListsKeepSyncingPastARecordThatDoesNotDecode) {
    said({"start", "Groceries"}, laptop());
    said({"add", "--list", "groceries", "bread"}, laptop());
    said({"start", "Home"}, laptop());
    const QString lists = said({"lists"}, laptop()).out;
    const qsizetype at = lists.indexOf(QStringLiteral("\tGroceries\n"));
    ASSERT_GT(at, 0) << lists.toStdString();
    const QString groceries = lists.left(at).section(u'\n', -1);
    const QString zone = QStringLiteral("TB-") + groceries;
    admin({"create-user", "sam"});
    admin({"sign-in", second(), "sam"});
    admin({"share", ownerName(), zone, "sam", "read-write"});
    admin({"accept", ownerName(), zone, "sam"});
    EXPECT_EQ(said({"read", "--list", "groceries"}, desktop()).out,
              "One thing left on Groceries: bread.\n");

    const QByteArray noFields = QStringLiteral(R"({"type":"Item","name":"empty","zone":"%1",)"
                                               R"("owner":"%2"})")
                                    .arg(zone, ownerName())
                                    .toUtf8();
    secondStoresRaw(zone, "junk", "\x01 not JSON");
    secondStoresRaw(zone, "empty", noFields);

    // The owner's changes sync, and nothing says they did not.
    const Typed milk = said({"add", "--list", "groceries", "milk"}, laptop());
    EXPECT_EQ(milk.out, "Added milk to Groceries.\n");
    EXPECT_FALSE(milk.err.contains("could not")) << milk.err.toStdString();
    EXPECT_EQ(undecodableSaid(milk, 2), 1) << milk.err.toStdString();
    const Typed soap = said({"add", "--list", "home", "soap"}, laptop());
    EXPECT_EQ(soap.out, "Added soap to Home.\n");
    EXPECT_EQ(soap.err, QString()) << "passed by already";

    // Her other device gets what came after the record.
    const Typed onDesktop = said({"read", "--list", "groceries"}, desktop());
    EXPECT_EQ(onDesktop.out, "Two things left on Groceries: bread and milk.\n");
    EXPECT_FALSE(onDesktop.err.contains("could not")) << onDesktop.err.toStdString();
    EXPECT_EQ(undecodableSaid(onDesktop, 2), 1) << onDesktop.err.toStdString();
    EXPECT_EQ(said({"read", "--list", "home"}, desktop()).out, "One thing left on Home: soap.\n");
}

// The second person overwrites the record of one of the owner's items, and the record of another
// list of hers, with bytes that do not decode. The owner's next change goes over them: a fresh
// device of hers gets both lists, with the items she ticked ticked.
TEST_P(UndecodableRecordProcess,
       TheOwnersNextChangeRepairsARecordOverwrittenWithBytesThatDoNotDecode) {
    said({"start", "Groceries"}, {});
    said({"add", "--list", "groceries", "bread"}, {});
    said({"add", "--list", "groceries", "milk"}, {});
    said({"start", "Hardware"}, {});
    said({"add", "--list", "hardware", "nails"}, {});
    QString groceries;
    QString hardware;
    QString milk;
    {
        const std::unique_ptr<ListStore> store = readStore();
        for (const TBList& list : store->lists())
            (list.name == "Groceries" ? groceries : hardware) = list.id;
        for (const TBItem& item : store->itemsOf(groceries))
            if (item.text == "milk")
                milk = item.id;
    }
    ASSERT_FALSE(groceries.isEmpty());
    ASSERT_FALSE(hardware.isEmpty());
    ASSERT_FALSE(milk.isEmpty());
    admin({"create-user", "sam"});
    admin({"sign-in", second(), "sam"});
    for (const QString& list : {groceries, hardware}) {
        admin({"share", ownerName(), "TB-" + list, "sam", "read-write"});
        admin({"accept", ownerName(), "TB-" + list, "sam"});
    }

    const struct {
        const char* what;
        QString list;
        QString record;
        const char* item;
    } cases[] = {
        {"an item's record", groceries, milk, "milk"},
        {"the list's own record", hardware, CloudLayout::listRecordName, "nails"},
    };
    for (const auto& test : cases)
        secondStoresRaw("TB-" + test.list, test.record, "\x01 not a record");
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        const QString name = test.list == groceries ? "groceries" : "hardware";
        const Typed ticked = said({"tick", "--list", name, test.item}, {});
        EXPECT_EQ(ticked.out, QStringLiteral("Ticked off %1.\n").arg(test.item));
        EXPECT_FALSE(ticked.err.contains("could not")) << ticked.err.toStdString();
    }

    // A device that never synced gets both lists, each item as the owner left it.
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        const QString name = test.list == groceries ? "groceries" : "hardware";
        const Typed again = run({"tick", "--list", name, test.item}, desktop());
        EXPECT_EQ(again.out, QStringLiteral("%1 was already ticked off.\n").arg(test.item))
            << again.err.toStdString();
        EXPECT_EQ(again.code, 5);
    }
    EXPECT_EQ(said({"read", "--list", "groceries"}, desktop()).out,
              "One thing left on Groceries: bread.\n");
}

INSTANTIATE_TEST_SUITE_P(Containers, UndecodableRecordProcess, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "server" : "file"; });

} // namespace
