#include "intents/ListEntityIndex.h"

#include "platform/AppPaths.h"
#include "platform/JsonRead.h"

#include <QDir>
#include <QSaveFile>

QString ListEntityIndex::defaultPath() {
    return QDir(AppPaths::dataDir()).filePath(QStringLiteral("list-index.json"));
}

bool ListEntityIndex::refresh(const QList<TBList>& lists, const QString& path) {
    Json entries = Json::array();
    for (const TBList& list : lists) {
        Json entry = Json::object();
        entry["id"] = JsonRead::toUtf8(list.id);
        entry["name"] = JsonRead::toUtf8(list.name);
        entries.push_back(std::move(entry));
    }
    Json document = Json::object();
    document["lists"] = std::move(entries);
    const std::string text = document.dump(2) + "\n";

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(text.data(), qint64(text.size())) != qint64(text.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
