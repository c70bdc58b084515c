#pragma once

#include <QString>

#include <functional>
#include <memory>

class QIODevice;

// Where the store writer puts the store file: the file at a path replaced in one step, so that
// it always holds either the old document or the whole new one. Called on the writer's own
// thread, one call at a time.
class StoreFileSink {
public:
    // Writes the new document into the device; false when a write was refused.
    using Content = std::function<bool(QIODevice& device)>;

    virtual ~StoreFileSink() = default;

    // True when the file now holds what `content` wrote; false, with `error` set, when it still
    // holds what it held before.
    virtual bool replace(const QString& path, const Content& content, QString* error) = 0;
    // Lets go of the file the last replacement took the place of. The writer calls it once the
    // save is reported: giving a large file's blocks back to the disk is nothing a save needs
    // to wait for.
    virtual void releaseReplaced() {}

    // The program's sink: the bytes reach the disk (fsync) before they replace the old file.
    static std::shared_ptr<StoreFileSink> durable();
    // The same one-step replacement without waiting for the disk: for tests, which write a
    // great deal and never lose power. A crash of the process still leaves a whole file.
    static std::shared_ptr<StoreFileSink> unsynced();
};
