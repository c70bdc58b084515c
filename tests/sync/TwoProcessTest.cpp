// Two real program copies on one container file, each with its own store file.
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Peer {
    QString folder;
    int exitCode = -1;
    QString output;
};

QProcess* launch(const QString& container, const QString& folder, const QStringList& args) {
    auto* process = new QProcess;
    process->start(SYNC_PEER_PATH, QStringList{container, folder} + args);
    return process;
}

std::pair<int, QString> run(const QString& container, const QString& folder,
                            const QStringList& args) {
    std::unique_ptr<QProcess> process(launch(container, folder, args));
    process->waitForFinished(120000);
    return {process->exitCode(), QString::fromUtf8(process->readAllStandardOutput())};
}

TEST(TwoProcesses, EditsMadeAtOnceConverge) {
    QTemporaryDir dir;
    const QString container = dir.filePath("container.sqlite");
    const QString first = dir.filePath("first");
    const QString second = dir.filePath("second");
    ASSERT_EQ(run(container, first, {"create", "Groceries", "3"}).first, 0);

    std::unique_ptr<QProcess> a(launch(container, first, {"edit", "a", "8"}));
    std::unique_ptr<QProcess> b(launch(container, second, {"edit", "b", "8"}));
    ASSERT_TRUE(a->waitForFinished(120000));
    ASSERT_TRUE(b->waitForFinished(120000));
    EXPECT_EQ(a->exitCode(), 0) << a->readAllStandardError().toStdString();
    EXPECT_EQ(b->exitCode(), 0) << b->readAllStandardError().toStdString();

    // One more pass each takes in the other's last changes.
    run(container, first, {"dump"});
    const auto [secondCode, secondView] = run(container, second, {"dump"});
    const auto [firstCode, firstView] = run(container, first, {"dump"});
    EXPECT_EQ(firstCode, 0);
    EXPECT_EQ(secondCode, 0);
    EXPECT_EQ(firstView, secondView);
    EXPECT_EQ(firstView.count("\nitem ") + firstView.startsWith("item "), 3 + 8 + 8);
    EXPECT_EQ(firstView.count("done=1"), 7 + 7);
}

} // namespace
