// Where the program's sockets go: the session's runtime folder, or a folder of the user's own
// under the shared temporary folder, which anyone may have put something in first.
#include "intents/RequestChannel.h"
#include "platform/AppPaths.h"
#include "support/QStringPrinting.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t modeOf(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

// An environment variable set, or unset, for as long as it lives.
class Variable {
public:
    Variable(const char* name, const std::optional<QString>& value)
        : name_(name),
          before_(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt) {
        if (value)
            qputenv(name, value->toLocal8Bit());
        else
            qunsetenv(name);
    }
    ~Variable() {
        if (before_)
            qputenv(name_, *before_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    const std::optional<QByteArray> before_;
};

class RequestChannelTest : public ::testing::Test {
protected:
    void SetUp() override { AppPaths::setProfile(dir.filePath("profile")); }
    void TearDown() override { AppPaths::setProfile(QString()); }

    // The user's folder under the temporary folder `tmp`.
    static QString ownFolder(const QString& tmp) {
        return QDir(tmp).filePath(QStringLiteral("tallybird-%1").arg(::getuid()));
    }

    QTemporaryDir dir;
    const QString tmp = dir.filePath("tmp");
    Variable tmpdir{"TMPDIR", tmp};
    Variable runtime{"XDG_RUNTIME_DIR", std::nullopt};
};

TEST(RequestChannel, OnlyAFolderOfTheUsersOwnHoldsItsSockets) {
    struct Case {
        const char* what;
        mode_t mode;
        uid_t owner;
        QString refusal;
    };
    const uid_t user = 1000;
    const Case cases[] = {
        {"the user's folder", S_IFDIR | 0700, user, ""},
        {"the user's folder, open to others (closed before use)", S_IFDIR | 0777, user, ""},
        {"another user's folder", S_IFDIR | 0700, 1001, "belongs to another user (1001)"},
        {"the superuser's folder", S_IFDIR | 0755, 0, "belongs to another user (0)"},
        {"a symbolic link of the user's", S_IFLNK | 0777, user, "is a symbolic link"},
        {"another user's symbolic link", S_IFLNK | 0777, 1001, "is a symbolic link"},
        {"a file of the user's", S_IFREG | 0600, user, "is not a folder"},
        {"a named pipe of the user's", S_IFIFO | 0600, user, "is not a folder"},
    };
    for (const Case& c : cases) {
        struct stat info {};
        info.st_mode = c.mode;
        info.st_uid = c.owner;
        EXPECT_EQ(RequestChannel::refusal(info, user), c.refusal) << c.what;
    }
}

TEST_F(RequestChannelTest, ALinkInTheUsersPlaceIsRefusedAndWhereItLeadsIsLeftAlone) {
    ASSERT_TRUE(QDir().mkpath(tmp));
    // Another user's folder, and a link to it where this user's folder goes.
    const QString victim = dir.filePath("victim");
    ASSERT_TRUE(QDir().mkdir(victim));
    ASSERT_EQ(::chmod(QFile::encodeName(victim).constData(), 0755), 0);
    ASSERT_TRUE(QFile::link(victim, ownFolder(tmp)));

    EXPECT_EQ(RequestChannel::serverName(), QString());
    EXPECT_EQ(modeOf(victim), 0755u) << "the folder the link leads to was changed";
    EXPECT_TRUE(QFileInfo(ownFolder(tmp)).isSymLink());
    EXPECT_EQ(RequestChannel::place().error,
              "Tallybird cannot listen for requests: the folder “" + ownFolder(tmp) +
                  "” it keeps its sockets in is a symbolic link, so it was left as it is. Remove "
                  "it, or set XDG_RUNTIME_DIR to a folder of your own.");
}

TEST_F(RequestChannelTest, AnotherUsersFolderInTheUsersPlaceIsRefusedUnchanged) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only the superuser can give a folder to another user";
    ASSERT_TRUE(QDir().mkpath(ownFolder(tmp)));
    const QByteArray name = QFile::encodeName(ownFolder(tmp));
    ASSERT_EQ(::chmod(name.constData(), 0755), 0);
    ASSERT_EQ(::chown(name.constData(), 54321, 54321), 0);
    EXPECT_EQ(RequestChannel::serverName(), QString());
    EXPECT_EQ(modeOf(ownFolder(tmp)), 0755u);
    EXPECT_TRUE(RequestChannel::place().error.contains("belongs to another user (54321)"));
}

TEST_F(RequestChannelTest, TheUsersFolderIsMadeOrClosedForTheUserAlone) {
    ASSERT_TRUE(QDir().mkpath(tmp));
    const mode_t before = ::umask(0);
    const QString made = RequestChannel::serverName();
    ::umask(before);
    EXPECT_EQ(QFileInfo(made).absolutePath(), ownFolder(tmp));
    EXPECT_EQ(modeOf(ownFolder(tmp)), 0700u);

    // The user's own folder, opened to others since, is closed again.
    ASSERT_EQ(::chmod(QFile::encodeName(ownFolder(tmp)).constData(), 0777), 0);
    EXPECT_EQ(RequestChannel::serverName(), made);
    EXPECT_EQ(modeOf(ownFolder(tmp)), 0700u);
}

// A socket's address holds 107 bytes of path: a runtime folder with a longer path would leave
// the program unable to listen, so the temporary folder is used instead; when neither fits,
// that is said before anything else is done.
TEST_F(RequestChannelTest, ASocketPathTooLongForAnAddressIsNeverChosen) {
    ASSERT_TRUE(QDir().mkpath(tmp));
    const QString longFolder = dir.filePath(QString(120, 'r'));
    ASSERT_TRUE(QDir().mkpath(longFolder));
    {
        const Variable longRuntime("XDG_RUNTIME_DIR", longFolder);
        const QString name = RequestChannel::serverName();
        EXPECT_EQ(QFileInfo(name).absolutePath(), ownFolder(tmp));
        EXPECT_LE(QFile::encodeName(name).size() + RequestChannel::longestSuffix, 107);
    }
    {
        const Variable longRuntime("XDG_RUNTIME_DIR", longFolder);
        const Variable longTmp("TMPDIR", longFolder);
        const RequestChannel::Place place = RequestChannel::place();
        EXPECT_EQ(place.serverName, QString());
        EXPECT_TRUE(place.error.contains("is longer than a socket's address can hold (100 bytes)"))
            << place.error.toStdString();
        EXPECT_FALSE(QFileInfo::exists(ownFolder(longFolder))) << "nothing is made for it";
    }
    // A runtime folder with room is the place.
    const QString runtimeFolder = dir.filePath("run");
    ASSERT_TRUE(QDir().mkpath(runtimeFolder));
    const Variable shortRuntime("XDG_RUNTIME_DIR", runtimeFolder);
    EXPECT_EQ(QFileInfo(RequestChannel::serverName()).absolutePath(), runtimeFolder);
}

} // namespace
