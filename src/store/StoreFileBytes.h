#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

class QFile;

// The store file's bytes, read for decoding in one pass, in memory that is given back to the
// system from the front as the reader moves on: a large store is then never held twice, once
// as its file's text and once as what was read from it. Memory given back reads as zeros, so
// whoever needs the bytes again after a release reads the file again.
//
// The memory is the program's own (an anonymous mapping filled by reading): another program
// shortening the file meanwhile changes nothing here.
class StoreFileBytes {
public:
    // The file from its current position to its end, followed by `room` bytes that belong to
    // the buffer (some readers look a little past the end). Empty when it cannot be read.
    static std::optional<StoreFileBytes> read(QFile& file, qsizetype room);

    StoreFileBytes(StoreFileBytes&& other) noexcept;
    StoreFileBytes& operator=(StoreFileBytes&&) = delete;
    StoreFileBytes(const StoreFileBytes&) = delete;
    StoreFileBytes& operator=(const StoreFileBytes&) = delete;
    ~StoreFileBytes();

    const char* data() const { return data_; }
    qsizetype size() const { return size_; }
    // The size plus the room after it.
    qsizetype capacity() const { return capacity_; }
    // A view of the bytes, valid while this lives and nothing of them has been given back.
    QByteArray view() const { return QByteArray::fromRawData(data_, size_); }

    // Gives back the memory of the whole pages before `position` (a place in the bytes), once
    // there is at least `releaseStep` of it; the bytes from the start of the page holding
    // `position` on stay as they are.
    void releaseBefore(const char* position);
    qsizetype releasedSize() const { return released_; }
    static constexpr qsizetype releaseStep = qsizetype(64) << 10;

private:
    StoreFileBytes() = default;
    bool grow(qsizetype capacity);

    char* data_ = nullptr;
    qsizetype size_ = 0;
    qsizetype capacity_ = 0;
    qsizetype mapped_ = 0;
    qsizetype released_ = 0;
};
