#pragma once

#include "platform/Date.h"

#include "model/TBItem.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class StoreFileSink;
struct DiskV2;
struct StoreEncodingCache;

// Writes the store file on a thread of its own. The owner hands over each state to save and
// goes on at once; the writer encodes the states in the order given and replaces the file with
// each, and when several wait, only the newest is written (it holds every change of the ones it
// replaces). Each finished write is reported back, numbered as its save() call was.
//
// The thread waits at the scheduler's batch priority: woken by a save, it never takes the core of
// the thread that handed it over (the UI thread in the program), which goes on drawing the
// change, but runs beside it on another core, or once it waits. At work it is an ordinary
// thread.
//
// Thread contract: every public call is made on the owner's thread. The owner learns of new
// reports by watching reportSignal() (an event descriptor that turns readable), or by calling
// waitUntilIdle(); nothing of Qt's is touched on the writer thread.
//
// A state shares its lists, maps and texts with the owner's (Qt's implicit sharing), which the
// writer only reads. It never drops a reference to them either: Qt decides whether a container
// may be changed in place by a relaxed look at its reference count, so a reference let go here
// would allow the owner to write into memory whose reads on this thread it has not been
// ordered after. Everything the writer took from the owner goes back with the report and is
// let go on the owner's thread.
class StoreWriter {
public:
    struct Report {
        quint64 save = 0; // this save and every earlier one are done
        bool ok = true;
        QString error; // why the file could not be written
        // A copy of an unreadable file was kept before this write, at `copy` ("" when there
        // was no file to copy).
        bool copiedAside = false;
        QString copy;
        std::shared_ptr<const void> handedBack; // let go of it on the owner's thread
    };

    StoreWriter(QString path, std::shared_ptr<StoreFileSink> sink);
    // Writes whatever is still waiting, then stops.
    ~StoreWriter();

    StoreWriter(const StoreWriter&) = delete;
    StoreWriter& operator=(const StoreWriter&) = delete;

    // Takes effect from the next write on.
    void setSink(std::shared_ptr<StoreFileSink> sink);
    // The file on disk did not read in full: it is copied aside (UnreadableCopies) before the
    // first write over it, and nothing is written while that copy fails.
    void keepCopyBeforeFirstWrite();
    // The items just read: the writer encodes them on its own thread while nothing waits to be
    // written, so that the first save need not encode them. Given before the first save; a
    // save that comes first encodes them itself.
    void primeCache(QList<TBItem> items);
    // The owner is about to change the items it gave primeCache(): takes them back at once, so
    // that changing them copies none, with the encoding ahead stopped where it is (what it
    // encoded stays of use).
    void takeBackPrimed();
    // The name the writer's thread goes by (in /proc and in a debugger's list of threads).
    static const char* threadName() { return "store writer"; }

    // Queues `state` to be written; `now` stamps a copy of an unreadable file. Returns the
    // number of this save, one more than the last.
    quint64 save(DiskV2 state, Date now);
    quint64 lastRequested() const { return requested_; }

    // Readable while a report may be waiting. The owner calls clearReportSignal() and then
    // takes every report: one that arrives in between signals again.
    int reportSignal() const { return signal_; }
    void clearReportSignal();
    // The oldest report not yet taken, if any.
    std::optional<Report> takeReport();
    // Blocks until every save handed over so far is written or has failed, and the writer has
    // let go of the files they replaced and encoded the items it was given to prime with.
    void waitUntilIdle();

private:
    struct Job;
    void run();
    Report write(Job& job, StoreFileSink& sink);
    void prime(const QList<TBItem>& items);
    // Back to batch priority, then marked idle (with `underLock` done under the lock).
    void rest(const std::function<void()>& underLock);
    void signalReport();

    const QString path_;
    const int signal_;
    quint64 requested_ = 0; // the owner's thread only

    std::mutex mutex_;
    std::condition_variable wake_; // a job or the end
    std::condition_variable idle_; // nothing waiting, being written or being let go of
    std::unique_ptr<Job> waiting_;
    bool busy_ = false;
    bool stopping_ = false;
    bool copyFirst_ = false;
    bool priming_ = false; // encoding the items of primeCache() ahead
    // Asks the writer to stop encoding ahead: a save waits, the owner takes the items back, or
    // the end has come.
    std::atomic<bool> interrupted_{false};
    std::shared_ptr<StoreFileSink> sink_;
    std::unique_ptr<QList<TBItem>> toPrime_;
    std::deque<Report> reports_;
    // What the writer took from the owner without a save to report it with; let go of on the
    // owner's thread by the next takeReport().
    std::vector<std::shared_ptr<const void>> handedBack_;

    // The writer thread's own.
    std::unique_ptr<StoreEncodingCache> cache_;
    std::thread thread_;
};
