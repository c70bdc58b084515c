#pragma once

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A file beside the store file that sync appends to before each batch it sends and as the
// cloud answers: what a restart needs to know of the sending under way, which is small, while
// the store file itself is written whole once a pass. Each entry is one line of text; an entry
// cut short (the program killed in the middle of an append) is left out when the file is read,
// and cut off before the next append. The file goes once the store file holds all it says.
//
// Appends and the removal run in the order asked, on a thread of the journal's own, so that
// waiting for the disk never holds up the caller's thread. Every public call is made on the
// owner's thread; `done` callbacks run on the journal's thread.
class SendingJournal {
public:
    explicit SendingJournal(QString path);
    // Waits for whatever was asked before.
    ~SendingJournal();

    SendingJournal(const SendingJournal&) = delete;
    SendingJournal& operator=(const SendingJournal&) = delete;

    // Where the journal of the store file at `storePath` is kept.
    static QString pathBeside(const QString& storePath);
    // The whole entries of the file at `path`, in the order they were appended; nothing when
    // there is no file.
    static std::vector<QByteArray> read(const QString& path);
    const QString& path() const { return path_; }

    // Appends `entry`, which holds no line break. With `flush` it is on the disk, not only with
    // the system, before `done` is told whether it was written.
    void append(QByteArray entry, bool flush, std::function<void(bool written)> done = {});
    // How many appends were asked for so far: the file may go once the store holds every one.
    quint64 appendsAsked() const { return asked_; }
    // Removes the file, after every append asked for before.
    void remove();
    // Blocks until everything asked for so far is done.
    void waitUntilIdle();

private:
    struct Job {
        QByteArray entry;
        bool flush = false;
        bool removal = false;
        std::function<void(bool)> done;
    };
    void run();
    bool write(const Job& job);
    bool open();
    void close();

    const QString path_;
    quint64 asked_ = 0; // the owner's thread only

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Job> jobs_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread thread_; // started with the first job

    int fd_ = -1; // the journal thread's own
};
