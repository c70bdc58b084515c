// Many command-line requests at once, as processes, with and without a running program.
#include "ProcessTestSupport.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QSet>

#include <cstdio>
#include <vector>

namespace {

class RequestsAtOnce : public ProcessTest {
protected:
    static constexpr int count = 50;
    // Bounds the test, not the requests: far beyond what they take even under the sanitizers
    // on two cores.
    static constexpr int guardMs = 300'000;

    void SetUp() override {
        ProcessTest::SetUp();
        groceries = Seed(openStore()).list("Groceries");
    }

    // Starts `count` additions at once and waits for all of them; returns how many succeeded.
    int addAllAtOnce(const QString& how) {
        std::vector<std::unique_ptr<QProcess>> processes;
        QElapsedTimer took;
        took.start();
        for (int k = 0; k < count; ++k) {
            processes.push_back(std::make_unique<QProcess>());
            launch(*processes.back(),
                   {"add", "--list", "groceries", how + QStringLiteral(" %1").arg(k)});
        }
        int succeeded = 0;
        const QDeadlineTimer guard(guardMs);
        for (int k = 0; k < count; ++k) {
            QProcess& process = *processes[size_t(k)];
            process.closeWriteChannel();
            EXPECT_TRUE(process.waitForFinished(int(qMax<qint64>(1, guard.remainingTime()))));
            const QString out = QString::fromUtf8(process.readAllStandardOutput());
            const QString err = QString::fromUtf8(process.readAllStandardError());
            const QString reply = QStringLiteral("Added %1 %2 to Groceries.\n").arg(how).arg(k);
            if (process.exitCode() == 0 && out == reply && err.isEmpty())
                ++succeeded;
            else
                ADD_FAILURE() << k << ": exit " << process.exitCode() << ", " << out.toStdString()
                              << err.toStdString();
        }
        // The figures the closing note reports.
        const double seconds = double(took.elapsed()) / 1000.0;
        std::printf("[ figures  ] %d of %d parallel requests succeeded in %.2f s (%s the "
                    "program)\n",
                    succeeded, count, seconds, how.toUtf8().constData());
        RecordProperty((how.toStdString() + " seconds").c_str(),
                       QString::number(seconds, 'f', 2).toStdString());
        return succeeded;
    }

    // Each addition is in the store exactly once.
    void expectEachOnce(const QString& how) {
        QSet<QString> texts;
        int matching = 0;
        for (const TBItem& item : readStore()->items(groceries)) {
            if (item.text.startsWith(how)) {
                ++matching;
                texts.insert(item.text);
            }
        }
        EXPECT_EQ(matching, count);
        EXPECT_EQ(texts.size(), count);
    }

    QString groceries;
};

TEST_F(RequestsAtOnce, FiftyWithoutAProgramAllSucceedOneAfterAnother) {
    EXPECT_EQ(addAllAtOnce(QStringLiteral("without")), count);
    expectEachOnce(QStringLiteral("without"));
    EXPECT_EQ(indexLines(), listLines(true));
}

TEST_F(RequestsAtOnce, FiftyThroughTheProgramAllSucceed) {
    startProgram();
    EXPECT_EQ(addAllAtOnce(QStringLiteral("through")), count);
    expectEachOnce(QStringLiteral("through"));
    const QString log = stopProgram();
    EXPECT_FALSE(log.contains("Refused")) << log.toStdString();
    expectEachOnce(QStringLiteral("through"));
}

TEST_F(RequestsAtOnce, IdleAndTricklingConnectionsHoldUpNobody) {
    startProgram();
    std::vector<std::unique_ptr<QLocalSocket>> idle;
    for (int k = 0; k < 100; ++k) {
        idle.push_back(std::make_unique<QLocalSocket>());
        idle.back()->connectToServer(RequestChannel::serverName());
        ASSERT_TRUE(idle.back()->waitForConnected(5'000));
        if (k % 5 == 0) {
            idle.back()->write("{");
            idle.back()->flush();
        }
    }
    const Typed added = run({"add", "--list", "Groceries", "eggs"});
    EXPECT_EQ(added.out, QStringLiteral("Added eggs to Groceries.\n")) << added.err.toStdString();
    EXPECT_EQ(added.code, 0);
    idle.clear();
    stopProgram();
}

} // namespace
