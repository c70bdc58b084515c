// A program that edits its store without pause, for the tests that end it while saves are
// queued. It adds the items "1", "2", ... to one list, as fast as its event loop turns, and says
// on standard output what it did:
//   "making N"    item N is about to be added to the store's memory
//   "answered N"  item N is on disk: the program's reply to a request would go out now
//   "refused N"   item N could not be saved: the reply would say so
//   "saveFailed MESSAGE"  the store told of a failed write
// SIGTERM and SIGINT end it the way they end the program.
//   store_peer STORE_FILE
#include "app/QuitOnSignal.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

namespace {

void say(const char* what, int n) {
    std::printf("%s %d\n", what, n);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        std::fprintf(stderr, "usage: store_peer STORE_FILE\n");
        return 2;
    }
    MemoryDefaults defaults;
    ListStore store(app.arguments()[1], false, false, defaults);
    if (!store.canWrite()) {
        std::fprintf(stderr, "%s\n", qPrintable(store.lockError().value_or(QString())));
        return 1;
    }
    QObject::connect(&store, &ListStore::saveFailed, [](const QString& message) {
        std::printf("saveFailed %s\n", qPrintable(message));
        std::fflush(stdout);
    });
    const QString listID = store.addList(QStringLiteral("Edits")).id;
    int made = 0;
    QTimer edit;
    QObject::connect(&edit, &QTimer::timeout, &store, [&] {
        const int n = ++made;
        // Said first: a change is never on disk before it has been said.
        say("making", n);
        store.addItem(listID, QString::number(n));
        store.whenSaved([n](bool saved) { say(saved ? "answered" : "refused", n); });
    });
    edit.start(0);
    QuitOnSignal::install();
    return QCoreApplication::exec();
}
