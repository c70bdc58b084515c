// Reading the store file into memory that can be given back a page at a time.
#include "StoreFileBytes.h"

#include <QFile>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

namespace {

qsizetype pageSize() {
    static const qsizetype size = qsizetype(::sysconf(_SC_PAGESIZE));
    return size;
}

qsizetype roundUpToPage(qsizetype size) {
    const qsizetype page = pageSize();
    return (size + page - 1) / page * page;
}

} // namespace

std::optional<StoreFileBytes> StoreFileBytes::read(QFile& file, qsizetype room) {
    StoreFileBytes bytes;
    const qsizetype expected = std::max<qsizetype>(file.size() - file.pos(), 0);
    if (!bytes.grow(expected + room))
        return std::nullopt;
    for (;;) {
        // The file may have grown since its size was taken: read on until its end.
        if (bytes.capacity_ - bytes.size_ <= room &&
            !bytes.grow(bytes.capacity_ + std::max<qsizetype>(bytes.size_ / 2, 1 << 16)))
            return std::nullopt;
        const qint64 read =
            file.read(bytes.data_ + bytes.size_, bytes.capacity_ - room - bytes.size_);
        if (read < 0)
            return std::nullopt;
        if (read == 0)
            break;
        bytes.size_ += qsizetype(read);
    }
    bytes.capacity_ = bytes.size_ + room;
    return bytes;
}

bool StoreFileBytes::grow(qsizetype capacity) {
    const qsizetype mapped = roundUpToPage(std::max<qsizetype>(capacity, 1));
    void* memory = data_ ? ::mremap(data_, size_t(mapped_), size_t(mapped), MREMAP_MAYMOVE)
                         : ::mmap(nullptr, size_t(mapped), PROT_READ | PROT_WRITE,
                                  MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return false;
    data_ = static_cast<char*>(memory);
    mapped_ = mapped;
    capacity_ = capacity;
    return true;
}

StoreFileBytes::StoreFileBytes(StoreFileBytes&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)), mapped_(std::exchange(other.mapped_, 0)),
      released_(std::exchange(other.released_, 0)) {}

StoreFileBytes::~StoreFileBytes() {
    if (data_)
        ::munmap(data_, size_t(mapped_));
}

void StoreFileBytes::releaseBefore(const char* position) {
    if (position < data_ || position > data_ + size_)
        return;
    const qsizetype page = pageSize();
    const qsizetype end = qsizetype(position - data_) / page * page;
    if (end - released_ < releaseStep)
        return;
    // Pages given back read as zeros from now on; failing to give them back changes nothing.
    ::madvise(data_ + released_, size_t(end - released_), MADV_DONTNEED);
    released_ = end;
}
