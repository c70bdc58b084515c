// The two ways the store file is replaced: synced to the disk, and without waiting for it.
#include "StoreFileSink.h"

#include "platform/DurableFile.h"

namespace {

class FileSink final : public StoreFileSink {
public:
    explicit FileSink(DurableFile::Sync sync) : sync_(sync) {}

    bool replace(const QString& path, const Content& content, QString* error) override {
        replaced_.release();
        if (DurableFile::replace(path, content, error, sync_, &replaced_))
            return true;
        if (error->isEmpty())
            *error = QStringLiteral("The store could not be encoded.");
        return false;
    }

    void releaseReplaced() override { replaced_.release(); }

private:
    const DurableFile::Sync sync_;
    DurableFile::Displaced replaced_;
};

} // namespace

std::shared_ptr<StoreFileSink> StoreFileSink::durable() {
    return std::make_shared<FileSink>(DurableFile::Sync::toDisk);
}

std::shared_ptr<StoreFileSink> StoreFileSink::unsynced() {
    return std::make_shared<FileSink>(DurableFile::Sync::skip);
}
