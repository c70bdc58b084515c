// One copy of the program for the two-process test: a store in its own data folder, syncing
// through a container file shared with the other copy.
//   sync_peer CONTAINER FOLDER create NAME COUNT   a new list with COUNT items, then one pass
//   sync_peer CONTAINER FOLDER edit PREFIX COUNT   COUNT added and ticked items, a pass each
//   sync_peer CONTAINER FOLDER dump                two passes, then the lists and items
#include "platform/Defaults.h"
#include "sync/CloudSync.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>

#include <algorithm>
#include <cstdio>

namespace {

std::optional<cloud::CloudError> syncOnce(CloudSync& sync) {
    QEventLoop loop;
    std::optional<cloud::CloudError> result;
    sync.syncNow([&](std::optional<cloud::CloudError> error) {
        result = error;
        loop.quit();
    });
    loop.exec();
    return result;
}

QString firstList(ListStore& store) {
    return store.lists().isEmpty() ? QString() : store.lists().first().id;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: sync_peer CONTAINER FOLDER create|edit|dump ...\n");
        return 2;
    }
    QDir().mkpath(args[2]);
    auto device = cloud::CloudDevice::open(args[1], args[2]);
    if (!device.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(device.error().message));
        return 1;
    }
    MemoryDefaults defaults;
    ListStore store(QDir(args[2]).filePath("store.json"), true, false, defaults);
    CloudSync* sync = CloudSync::attach(store, device.value());
    store.start();
    const QString command = args[3];

    if (command == "create" && args.size() == 6) {
        const QString listID = store.addList(args[4]).id;
        for (int i = 0; i < args[5].toInt(); ++i)
            store.addItem(listID, QStringLiteral("start %1").arg(i));
        return syncOnce(*sync) ? 1 : 0;
    }
    if (command == "edit" && args.size() == 6) {
        for (int attempt = 0; attempt < 50 && firstList(store).isEmpty(); ++attempt)
            syncOnce(*sync);
        const QString listID = firstList(store);
        if (listID.isEmpty())
            return 1;
        QString previous;
        for (int i = 0; i < args[5].toInt(); ++i) {
            const QString added = store.addItem(listID, args[4] + QString::number(i)).value().id;
            if (!previous.isEmpty())
                store.setDone(previous, true);
            previous = added;
            syncOnce(*sync); // a busy container only delays the change to a later pass
        }
        for (int attempt = 0; attempt < 5; ++attempt)
            syncOnce(*sync);
        return 0;
    }
    if (command == "dump") {
        syncOnce(*sync);
        syncOnce(*sync);
        QStringList lines;
        for (const TBList& list : store.lists())
            lines.append("list " + list.id + " " + list.name);
        for (const TBItem& item : store.allItems())
            lines.append(
                QStringLiteral("item %1 %2 done=%3").arg(item.id, item.text).arg(item.done));
        std::sort(lines.begin(), lines.end());
        for (const QString& line : lines)
            std::printf("%s\n", qPrintable(line));
        const bool unsent = !store.dirtyItems().isEmpty() || !store.dirtyLists().isEmpty();
        return unsent ? 3 : 0;
    }
    std::fprintf(stderr, "unknown command\n");
    return 2;
}
