#pragma once

#include <QByteArray>
#include <QString>

#include <mutex>
#include <vector>

// A file beside the store file that sync appends to before each batch it sends and as the
// cloud answers: what a restart needs to know of the sending under way, which is small, while
// the store file itself is written whole once a pass. Each entry is one line of text; an entry
// cut short (the program killed in the middle of an append) is left out when the file is read,
// and cut off before the next append. The file goes once the store file holds all it says.
// Only a regular file is the journal: a pipe, a device, a folder or a symbolic link in its place
// is neither read nor written (nor waited on), and the store that owns the journal says so
// (see notAJournal()).
//
// Safe to use from any thread: an engine's thread appends a batch's notes and waits for the
// disk there, while the owner's thread appends what the cloud answered.
class SendingJournal {
public:
    explicit SendingJournal(QString path);
    ~SendingJournal();

    SendingJournal(const SendingJournal&) = delete;
    SendingJournal& operator=(const SendingJournal&) = delete;

    // Where the journal of the store file at `storePath` is kept.
    static QString pathBeside(const QString& storePath);
    // The whole entries of the file at `path`, in the order they were appended; nothing when
    // there is no file, or something else than a regular file.
    static std::vector<QByteArray> read(const QString& path);
    // What stands at `path` instead of a journal, as a phrase for the end of a sentence ("file
    // to open is a named pipe, not a regular file"); empty when a regular file or nothing is
    // there. A link counts as something else, whatever it points to.
    static QString notAJournal(const QString& path);
    const QString& path() const { return path_; }

    // Appends `entry`, which holds no line break; with `flush`, returns once it is on the disk,
    // not only with the system. False when it could not be written.
    bool append(const QByteArray& entry, bool flush);
    // Removes the file; whatever else took its place stays.
    void remove();

private:
    bool open();
    void close();

    const QString path_;
    std::mutex mutex_;
    int fd_ = -1;
};
