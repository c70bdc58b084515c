// The PostgreSQL client library, and the dozen libraries it brings, are loaded by a request only
// when its container is a server: every other request would pay for loading them at each start.
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// What the dynamic loader opened while the program ran one request, as LD_DEBUG reports it.
QString loadedLibraries(const QTemporaryDir& home, const QStringList& arguments) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TALLYBIRD_EXECUTABLE), arguments);
    EXPECT_TRUE(program.waitForFinished(30'000)) << "the request did not end";
    return QString::fromLocal8Bit(program.readAllStandardError());
}

TEST(ServerClientLoading, OnlyARequestOnAServerLoadsTheClientLibrary) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString profile = home.filePath(QStringLiteral("profile"));
    const QString file = home.filePath(QStringLiteral("container.sqlite"));
    // Nothing listens on port 1: the request tries the server, finds it away and goes on.
    const QString server = QStringLiteral("postgresql://nobody@127.0.0.1:1/tallybird");
    const struct {
        const char* what;
        QStringList arguments;
        bool loadsClient;
    } cases[] = {
        {"the version", {QStringLiteral("--version")}, false},
        {"a list on a container file",
         {QStringLiteral("--profile"), profile, QStringLiteral("--cloud"), file,
          QStringLiteral("lists")},
         false},
        {"a list on a server",
         {QStringLiteral("--profile"), profile, QStringLiteral("--cloud"), server,
          QStringLiteral("lists")},
         true},
    };
    for (const auto& c : cases) {
        const QString loaded = loadedLibraries(home, c.arguments);
        ASSERT_TRUE(loaded.contains(QLatin1String("libQt6Core"))) << c.what << ": no loader report";
        EXPECT_EQ(loaded.contains(QLatin1String("libpq.so")), c.loadsClient) << c.what;
        EXPECT_EQ(loaded.contains(QLatin1String("libssl.so")), c.loadsClient) << c.what;
    }
}

} // namespace
