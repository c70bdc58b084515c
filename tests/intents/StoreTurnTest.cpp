// Waiting in line for the store file.
#include "IntentsTestSupport.h"

#include "intents/StoreTurn.h"

#include <QProcess>

namespace {

TEST(StoreTurn, OneHolderAtATimeAndTheNextGetsItWhenItIsGivenUp) {
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("store.json"));
    std::unique_ptr<StoreTurn> first = StoreTurn::take(store, QDeadlineTimer(1'000));
    ASSERT_TRUE(first);
    // The lock is the file's, not the process's: a second open file waits like a second
    // process would.
    EXPECT_FALSE(StoreTurn::take(store, QDeadlineTimer(100)));
    int asked = 0;
    EXPECT_FALSE(StoreTurn::take(store, QDeadlineTimer(10'000), [&] { return ++asked == 2; }))
        << "stopped waiting when told to";
    EXPECT_EQ(asked, 2);
    first.reset();
    EXPECT_TRUE(StoreTurn::take(store, QDeadlineTimer(100)));
}

TEST(StoreTurn, AFolderThatTakesNoTurnFileHasNoLineToWaitIn) {
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("store.json"));
    ASSERT_TRUE(QDir().mkpath(store + QStringLiteral(".turn")));
    // Given at once, however long the deadline: the store itself then says what is wrong.
    EXPECT_TRUE(StoreTurn::take(store, QDeadlineTimer(QDeadlineTimer::Forever)));
    EXPECT_TRUE(StoreTurn::take(dir.filePath(QStringLiteral("missing/store.json")),
                                QDeadlineTimer(QDeadlineTimer::Forever)));
}

} // namespace
