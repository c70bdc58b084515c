#include "StoreLocation.h"

#include "platform/AppPaths.h"

#include <QDir>

QString StoreLocation::prepared() {
    // dataDir() creates the folder and ignores a failure to do so.
    return QDir(AppPaths::dataDir()).filePath(QStringLiteral("store.json"));
}

const SharedStore::Source& SharedStore::source() {
    static const Source source{[] { return StoreLocation::prepared(); }, true};
    return source;
}
