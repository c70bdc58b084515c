// A store that cannot be written for a reason waiting does not mend (here a profile "folder"
// that is a file, so no lock can be made beside the store) opens the window at once, and the
// window says why nothing is saved, instead of the program ending after the wait for a lock.
#include "TallybirdApp.h"
#include "intents/RequestChannel.h"
#include "platform/AppPaths.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "ui/components/TextLabel.h"
#include "ui/window/MainWindow.h"
#include "ui/window/StoreNoticeBanner.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(StoreTroubleAtStart, AStoreThatCannotBeLockedOpensTheWindowAtOnceAndSaysSo) {
    QTemporaryDir dir;
    const QString runtime = dir.filePath(QStringLiteral("run"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray previousRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    const QString profile = dir.filePath(QStringLiteral("profile"));
    QFile blocker(profile);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    AppPaths::setProfile(profile);
    auto defaults = std::make_shared<MemoryDefaults>();
    Defaults::setStandard(defaults);

    {
        TallybirdApp program(*defaults, CloudSetup(dir.filePath(QStringLiteral("cloud.sqlite"))));
        QElapsedTimer waited;
        waited.start();
        QString error;
        ASSERT_TRUE(program.start(RequestChannel::serverName(), 10'000, &error))
            << error.toStdString();
        EXPECT_LT(waited.elapsed(), 5'000) << "waited for a lock nobody holds";
        ListStore& store = *program.core().store();
        ASSERT_TRUE(store.lockError());
        EXPECT_FALSE(store.lockHeldElsewhere());

        program.showWindow();
        auto* banner = program.window()->findChild<StoreNoticeBanner*>();
        ASSERT_NE(banner, nullptr);
        EXPECT_TRUE(banner->isVisible());
        EXPECT_EQ(banner->titleLabel()->text(), "Your changes are not being saved");
        EXPECT_EQ(banner->messageLabel()->text(), *store.lockError());
    }
    AppPaths::setProfile(QString());
    Defaults::setStandard(std::make_shared<MemoryDefaults>());
    qputenv("XDG_RUNTIME_DIR", previousRuntime);
}

} // namespace
