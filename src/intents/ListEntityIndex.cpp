// Writing and reading the list index file.
#include "intents/ListEntityIndex.h"

#include "intents/RequestCodec.h"
#include "platform/AppPaths.h"
#include "platform/DurableFile.h"
#include "platform/JsonRead.h"
#include "platform/RegularFile.h"
#include "store/ListStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {
// An index larger than this is not one this program wrote.
constexpr qint64 maxIndexBytes = 64 * 1024 * 1024;
} // namespace

QString ListEntityIndex::defaultPath() {
    return QDir(AppPaths::dataDir()).filePath(QStringLiteral("list-index.json"));
}

QString ListEntityIndex::storeStamp(const QString& storeFile) {
    struct stat info {};
    if (::stat(QFile::encodeName(storeFile).constData(), &info) != 0)
        return QString();
    // A save replaces the file, so the inode changes with every version as well.
    return QStringLiteral("%1:%2:%3.%4:%5.%6")
        .arg(qulonglong(info.st_ino))
        .arg(qlonglong(info.st_size))
        .arg(qlonglong(info.st_mtim.tv_sec))
        .arg(qlonglong(info.st_mtim.tv_nsec))
        .arg(qlonglong(info.st_ctim.tv_sec))
        .arg(qlonglong(info.st_ctim.tv_nsec));
}

bool ListEntityIndex::refresh(const QList<TBList>& lists, const QString& path,
                              const QString& storeStamp) {
    Json entries = Json::array();
    for (const TBList& list : lists) {
        Json entry = Json::object();
        entry["id"] = JsonRead::toUtf8(list.id);
        entry["name"] = JsonRead::toUtf8(list.name);
        entries.push_back(std::move(entry));
    }
    Json document = Json::object();
    document["lists"] = std::move(entries);
    document["store"] = JsonRead::toUtf8(storeStamp);
    const std::string text = document.dump(2) + "\n";
    const QByteArrayView bytes(text.data(), qsizetype(text.size()));
    // Most requests leave the lists and the store's file as they were: the index on disk is
    // then already this one, and a durable rewrite would cost the request two disk syncs.
    if (QFileInfo(path).size() == bytes.size()) {
        const std::optional<QByteArray> current = RegularFile::read(path, nullptr, bytes.size());
        if (current && *current == bytes)
            return true;
    }
    return DurableFile::replace(path, bytes);
}

bool ListEntityIndex::refresh(ListStore& store, const QString& path) {
    // A newer program's store is left, with its index, to that program.
    if (store.editRefusal())
        return false;
    // Only a store that holds its file knows the file is still the one it read.
    const bool current = store.canWrite() && !store.unreadableCopy();
    return refresh(store.sortedLists(), path, current ? storeStamp(store.fileURL()) : QString());
}

std::optional<QList<ListEntity>> ListEntityIndex::read(const QString& storeStamp,
                                                       const QString& path) {
    if (storeStamp.isEmpty())
        return std::nullopt;
    // Only a regular file: a pipe in its place would keep every request waiting.
    const std::optional<QByteArray> bytes = RegularFile::read(path, nullptr, maxIndexBytes);
    if (!bytes)
        return std::nullopt;
    try {
        const Json document = JsonRead::parse(*bytes);
        if (JsonRead::string(document, "store", QString()) != storeStamp)
            return std::nullopt;
        QList<ListEntity> lists;
        for (const Json& entry : JsonRead::requireArray(document.at("lists"), "lists")) {
            ListEntity list{JsonRead::requiredString(entry, "id"),
                            JsonRead::requiredString(entry, "name")};
            if (!RequestCodec::isValidId(list.id))
                return std::nullopt;
            lists.append(list);
        }
        return lists;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
