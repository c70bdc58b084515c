// The window's Quit command in the middle of a burst of requests, with this test process as the
// running program: it ends the way the program does after its event loop, and every request
// whose change was made is answered first.
#include "TallybirdApp.h"
#include "intents/RequestChannel.h"
#include "platform/AppPaths.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "store/StoreLocation.h"
#include "support/QStringPrinting.h"
#include "support/RequestBurst.h"
#include "ui/window/MainWindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(QuitCommand, DuringABurstEveryChangeMadeIsAnsweredAndNoOtherIsMade) {
    QTemporaryDir dir;
    const QString runtime = dir.filePath(QStringLiteral("run"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray previousRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    AppPaths::setProfile(dir.filePath(QStringLiteral("profile")));
    auto defaults = std::make_shared<MemoryDefaults>();
    Defaults::setStandard(defaults);

    auto program = std::make_unique<TallybirdApp>(
        *defaults, CloudSetup(dir.filePath(QStringLiteral("cloud.sqlite"))));
    QString error;
    ASSERT_TRUE(program->start(RequestChannel::serverName(), 0, &error)) << error.toStdString();
    program->showWindow();
    ListStore& store = *program->core().store();
    const QString groceries = store.addList(QStringLiteral("Groceries")).id;
    store.flushSaves();

    testsupport::RequestBurst burst(RequestChannel::serverName(), groceries, "Groceries", 100);
    // The first change a request makes chooses the moment to quit.
    QObject::connect(&store, &ListStore::storeChanged, program->window(), [&program] {
        program->window()->action(WindowMenus::Command::quit)->trigger();
    });
    QTimer::singleShot(20'000, QCoreApplication::instance(), &QCoreApplication::quit);
    QCoreApplication::exec();
    // What the program does once its event loop has ended.
    program->finishBackgroundWork();
    program.reset();
    burst.collect(5'000);

    QStringList texts;
    ListStore after(SharedStore::source().fileURL(), true, false, *defaults, Clock::shared(),
                    ListStore::Access::readOnly);
    for (const TBItem& item : after.items(groceries))
        texts.append(item.text);
    EXPECT_GT(burst.taken(), 0);
    EXPECT_LT(burst.taken(), burst.count()) << "the quit came during the burst";
    EXPECT_EQ(burst.broken(texts), QStringList());
    EXPECT_FALSE(QFile::exists(RequestChannel::serverName()));

    AppPaths::setProfile(QString());
    Defaults::setStandard(std::make_shared<MemoryDefaults>());
    qputenv("XDG_RUNTIME_DIR", previousRuntime);
}

} // namespace
