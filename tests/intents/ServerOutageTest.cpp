// The cloud server goes away while the program and the command line sync, and comes back: every
// change reaches both devices, once. The test has a server of its own, since it stops it.
#include "ProcessTestSupport.h"

#include "support/PostgresTestServer.h"

#include <QProcess>

#include <thread>

namespace {

using testsupport::PostgresTestDatabase;
using testsupport::PostgresTestServer;

class ServerOutage : public ProcessTest {
protected:
    void SetUp() override {
        ProcessTest::SetUp();
        TALLYBIRD_REQUIRE_POSTGRES();
        info = dir.filePath(QStringLiteral("server"));
        ASSERT_EQ(cluster("start"), 0) << "the test's own server did not start";
        server = std::make_unique<PostgresTestDatabase>(true, info);
        ASSERT_TRUE(server->ok()) << server->error().toStdString();
        server->addPerson(QStringLiteral("ann"));
    }
    void TearDown() override {
        if (program && program->state() == QProcess::Running)
            stopProgram();
        server.reset();
        cluster("stop");
        ProcessTest::TearDown();
    }

    int cluster(const char* command) {
        QProcess script;
        script.start(PostgresTestServer::clusterScript(), {QString::fromLatin1(command), info});
        script.waitForFinished(120'000);
        return script.exitStatus() == QProcess::NormalExit ? script.exitCode() : -1;
    }

    QString laptop() const { return dir.filePath(QStringLiteral("laptop")); }
    // Both profiles are Ann's devices: the program's (the test's folder) and the laptop.
    QString cloudFor(const QString&) const override { return server->uri(QStringLiteral("ann")); }

    QString info;
    std::unique_ptr<PostgresTestDatabase> server;
};

TEST_F(ServerOutage, ChangesMadeWhileTheServerIsAwayReachBothDevicesOnceItIsBack) {
    ASSERT_EQ(run({"start", "Weekend shop"}).code, 0);
    ASSERT_TRUE(run({"lists"}, laptop()).out.contains("\tWeekend shop\n"));
    startProgram();

    // The server stops, as a crash would, while a request of each device syncs.
    std::thread halt([&] { cluster("halt"); });
    const Typed early = run({"add", "--list", "weekend shop", "bread"});
    const Typed laptopEarly = run({"add", "--list", "weekend shop", "milk"}, laptop());
    halt.join();
    EXPECT_EQ(early.out, "Added bread to Weekend shop.\n");
    EXPECT_EQ(laptopEarly.out, "Added milk to Weekend shop.\n");

    // With the server away, a change is kept and said not to have synced.
    const Typed program = run({"add", "--list", "weekend shop", "eggs"});
    EXPECT_EQ(program.code, 0);
    EXPECT_EQ(program.out, "Added eggs to Weekend shop.\n");
    const Typed offline = run({"add", "--list", "weekend shop", "jam"}, laptop());
    EXPECT_EQ(offline.code, 0);
    EXPECT_EQ(offline.out, "Added jam to Weekend shop.\n");
    EXPECT_TRUE(offline.err.contains("could not be synced")) << offline.err.toStdString();

    ASSERT_EQ(cluster("resume"), 0);
    // The laptop's next request sends what waited; the program's request has it send its own.
    EXPECT_EQ(run({"add", "--list", "weekend shop", "tea"}, laptop()).err, QString());
    EXPECT_EQ(run({"add", "--list", "weekend shop", "rice"}).err, QString());
    // The laptop catches up before it answers.
    EXPECT_EQ(run({"lists"}, laptop()).err, QString());
    stopProgram();

    const QStringList everything{"bread", "eggs", "jam", "milk", "rice", "tea"};
    for (const QString& profile : {dir.path(), laptop()}) {
        FileDefaults defaults(QDir(profile).filePath(QStringLiteral("defaults.json")));
        ListStore store(QDir(profile).filePath(QStringLiteral("store.json")), true, false,
                        defaults);
        ASSERT_EQ(store.lists().size(), 1) << profile.toStdString();
        QStringList items;
        for (const TBItem& item : store.items(store.lists().first().id))
            items.append(item.text);
        items.sort();
        EXPECT_EQ(items, everything) << profile.toStdString();
    }
    EXPECT_EQ(server->value("SELECT count(*) FROM tallybird.records WHERE type = 'TB_Item'"), "6");
}

} // namespace
