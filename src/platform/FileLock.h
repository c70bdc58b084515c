#pragma once

#include <QString>

#include <utility>

// A lock on a file that the kernel lets go of when its holder ends, however it ends (a crash,
// kill -9, a power cut), so that no lock file left behind ever keeps others out. The holder
// writes its process id into the file for whoever finds the lock taken. Advisory: it keeps out
// only those who ask for the same lock.
class FileLock {
public:
    enum class Outcome {
        locked, // this object holds the lock
        held,   // another holder has it
        failed, // the lock file cannot be made or locked at all: see errorString()
    };

    explicit FileLock(QString path) : path_(std::move(path)) {}
    // Removes the lock file, when it is still the one locked here, and lets go of the lock.
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    const QString& path() const { return path_; }

    // One attempt, without waiting.
    Outcome tryLock();
    // Attempts until the lock is taken or fails, or `waitMs` have passed.
    Outcome lock(int waitMs);

    bool isLocked() const { return fd_ >= 0; }
    // Whether the file at path() is still the one locked here: false once it was deleted or
    // replaced, when whoever makes it again may take the lock.
    bool stillHolds() const;
    // Why the lock could not be taken, after Outcome::failed.
    const QString& errorString() const { return error_; }
    // The process id the lock file names, or 0 when it names none.
    qint64 holder() const;

private:
    const QString path_;
    int fd_ = -1;
    QString error_;
};
