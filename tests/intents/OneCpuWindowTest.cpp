// The window on a machine that gives it one CPU (a single-CPU virtual machine, a container
// limited by cpuset): it syncs a store of thousands of items, answers the requests sent to it in
// their usual time, and ends on SIGTERM. Qt's own pool has one thread there, and the window's
// painting waits for that pool: a sync pass waiting there for the window's thread held both.
#include "ProcessTestSupport.h"

#include "store/DiskV2.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

#include <sched.h>

namespace {

// A request answered by the window takes a fraction of a second; this leaves room for a loaded
// machine, and stays below the half minute after which a request stops waiting for a window
// and answers for itself.
constexpr int answerBoundMs = 20'000;
// The store's first upload, which the change that starts it waits for.
constexpr int uploadBoundMs = 240'000;

class OneCpuWindow : public ProcessTest {
protected:
    // Lists of items that have never been sent, as a store filled while sync was off: each
    // list's first item added as a person would, the others copies of it, marked as it is.
    void fillNeverSynced(int lists, int itemsPerList) {
        {
            ListStore store(storePath(), false, false, defaults, *clock);
            for (int l = 0; l < lists; ++l)
                store.addItem(store.addList(QStringLiteral("List %1").arg(l)).id,
                              QStringLiteral("Item 0"));
            store.flushSaves();
        }
        QFile file(storePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        DiskV2 disk = DiskV2::decode(file.readAll(), clock->now());
        file.close();
        ASSERT_EQ(disk.items.size(), lists);
        const QList<TBItem> firsts = disk.items;
        for (const TBItem& first : firsts) {
            const FieldSet marks = disk.dirtyItems.value(first.id);
            ASSERT_FALSE(marks.isEmpty());
            for (int i = 1; i < itemsPerList; ++i) {
                TBItem item = first;
                item.id = Ids::newId();
                item.text = QStringLiteral("Item %1").arg(i);
                item.order = i;
                disk.items.append(item);
                disk.dirtyItems.insert(item.id, marks);
            }
        }
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_TRUE(disk.encode(file));
    }

    // Runs a request that must end within `ms`, and says how long it took.
    Typed within(int ms, const QStringList& words) {
        QElapsedTimer took;
        took.start();
        QProcess process;
        launch(process, words);
        process.closeWriteChannel();
        const bool ended = process.waitForFinished(ms);
        std::printf("[ figures  ] %s answered after %lld ms\n",
                    words.join(u' ').toUtf8().constData(), static_cast<long long>(took.elapsed()));
        EXPECT_TRUE(ended) << words.join(u' ').toStdString() << " had no answer within " << ms
                           << " ms";
        if (!ended) {
            process.kill();
            process.waitForFinished();
        }
        return {ended ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
};

// The first CPU this process may use.
int firstAllowedCpu() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
        for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
            if (CPU_ISSET(cpu, &allowed))
                return cpu;
        }
    }
    return 0;
}

TEST_F(OneCpuWindow, SyncsThousandsOfItemsAnswersRequestsAndEndsOnSigterm) {
    fillNeverSynced(40, 100);
    const Typed synced = within(uploadBoundMs, {"add", "--list", "List 0", "first sync"});
    ASSERT_EQ(synced.code, 0) << synced.err.toStdString();
    ASSERT_EQ(synced.out, "Added first sync to List 0.\n");
    ASSERT_EQ(readStore()->dirtyItems().size(), 0) << "the store's first sync did not end";

    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(firstAllowedCpu(), &one);
    startProgram({}, [one](QProcess& window) {
        window.setChildProcessModifier([one] { sched_setaffinity(0, sizeof one, &one); });
    });
    // Every change starts a sync pass, which the window paints as it goes.
    for (int k = 0; k < 12; ++k) {
        SCOPED_TRACE(k);
        const Typed added =
            within(answerBoundMs, {"add", "--list", "List 1", QStringLiteral("more %1").arg(k)});
        ASSERT_EQ(added.code, 0) << added.err.toStdString();
        EXPECT_EQ(added.out, QStringLiteral("Added more %1 to List 1.\n").arg(k));
        const Typed listed = within(answerBoundMs, {"lists"});
        ASSERT_EQ(listed.code, 0) << listed.err.toStdString();
        EXPECT_EQ(listed.out.count(u'\n'), 40);
    }
    stopProgram();

    const auto store = readStore();
    const QList<TBList> lists = store->lists();
    const auto list = std::find_if(lists.cbegin(), lists.cend(),
                                   [](const TBList& each) { return each.name == "List 1"; });
    ASSERT_NE(list, lists.cend());
    EXPECT_EQ(store->items(list->id).size(), 100 + 12);
}

} // namespace
