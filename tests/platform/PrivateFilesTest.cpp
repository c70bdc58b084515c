// The profile's files are read only when they are regular files (a pipe or a device in their
// place is refused at once, never waited on), and what the program makes there is its owner's
// alone whatever the umask.
#include "platform/DurableFile.h"
#include "platform/FileLock.h"
#include "platform/PrivateFolder.h"
#include "platform/RegularFile.h"
#include "support/ChildWithin.h"
#include "support/FileBytes.h"
#include "support/QStringPrinting.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using testsupport::writeBytes;

// Long enough for any open or read that does not block; a pipe waited on never ends.
constexpr int withinMs = 10'000;

mode_t modeOf(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

// Sets the umask for as long as it lives.
class Umask {
public:
    explicit Umask(mode_t mask) : before_(::umask(mask)) {}
    ~Umask() { ::umask(before_); }

private:
    const mode_t before_;
};

bool makeSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (fd < 0 || name.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

// What a child reports about one attempt.
enum Report { opened = 10, missing, refusedAsExpected, refusedOtherwise, wrongBytes };

class RegularFileTest : public ::testing::Test {
protected:
    QString at(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir;
    const QByteArray bytes = "{\"kept\": true}\n";
};

TEST_F(RegularFileTest, OnlyARegularFileIsOpenedAndAnythingElseIsNamedAtOnce) {
    struct Case {
        const char* what;
        std::function<bool(const QString& path)> make;
        Report report;
        const char* error; // part of the error, when refused
    };
    const Case cases[] = {
        {"a regular file",
         [&](const QString& p) {
             writeBytes(p, bytes);
             return QFile::exists(p);
         },
         opened, ""},
        {"nothing", [](const QString&) { return true; }, missing, ""},
        {"a link to nothing", [&](const QString& p) { return QFile::link(at("nowhere"), p); },
         missing, ""},
        {"a link to a regular file",
         [&](const QString& p) {
             writeBytes(at("target"), bytes);
             return QFile::link(at("target"), p);
         },
         opened, ""},
        {"a named pipe",
         [](const QString& p) { return ::mkfifo(QFile::encodeName(p).constData(), 0600) == 0; },
         refusedAsExpected, "file to open is a named pipe, not a regular file"},
        {"a link to /dev/zero", [](const QString& p) { return QFile::link("/dev/zero", p); },
         refusedAsExpected, "file to open is a device, not a regular file"},
        {"a folder", [](const QString& p) { return QDir().mkdir(p); }, refusedAsExpected,
         "file to open is a directory"},
        {"a socket", makeSocket, refusedAsExpected, "file to open is a socket, not a regular file"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir.filePath(QStringLiteral("case-%1").arg(n++));
        ASSERT_TRUE(c.make(path));
        // Both ways in: opening, and reading the whole file.
        const int openedReport = testsupport::inChildWithin(withinMs, [&] {
            QFile file;
            QString error;
            switch (RegularFile::open(file, path, &error)) {
            case RegularFile::Outcome::opened:
                return file.readAll() == bytes ? int(opened) : int(wrongBytes);
            case RegularFile::Outcome::missing:
                return int(missing);
            case RegularFile::Outcome::refused:
                break;
            }
            return error == QLatin1String(c.error) ? int(refusedAsExpected) : int(refusedOtherwise);
        });
        EXPECT_EQ(openedReport, c.report) << "open";
        const int readReport = testsupport::inChildWithin(withinMs, [&] {
            QString error;
            const std::optional<QByteArray> read = RegularFile::read(path, &error);
            if (read)
                return *read == bytes ? int(opened) : int(wrongBytes);
            if (error.isEmpty())
                return int(missing);
            return error == QLatin1String(c.error) ? int(refusedAsExpected) : int(refusedOtherwise);
        });
        EXPECT_EQ(readReport, c.report) << "read";
    }
}

TEST_F(RegularFileTest, AFileLongerThanTheLimitIsNotRead) {
    const QString path = at("file");
    writeBytes(path, bytes);
    QString error;
    EXPECT_EQ(RegularFile::read(path, &error, bytes.size()), bytes);
    EXPECT_EQ(RegularFile::read(path, &error, bytes.size() - 1), std::nullopt);
    EXPECT_EQ(error, QStringLiteral("the file is larger than %1 bytes").arg(bytes.size() - 1));
}

TEST(PrivateFiles, WhatTheProgramMakesIsItsOwnersAloneWhateverTheUmask) {
    for (const mode_t mask : {mode_t(0), mode_t(022), mode_t(077), mode_t(0277)}) {
        SCOPED_TRACE(QStringLiteral("umask %1").arg(mask, 4, 8, QLatin1Char('0')).toStdString());
        QTemporaryDir dir;
        const Umask umask(mask);
        const QString shared = dir.filePath("shared");
        ASSERT_TRUE(QDir().mkdir(shared));
        ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 0755), 0);

        // Every folder made on the way, none that was there.
        const QString profile = shared + "/a/b/profile";
        ASSERT_TRUE(PrivateFolder::make(profile));
        EXPECT_EQ(modeOf(shared), 0755u) << "a folder that was there keeps its mode";
        for (const QString& made : {shared + "/a", shared + "/a/b", profile})
            EXPECT_EQ(modeOf(made), 0700u) << made.toStdString();
        EXPECT_TRUE(PrivateFolder::make(profile)) << "a folder that is there is fine";

        // A new file of the profile, a copy of it, a lock beside it.
        const QString store = profile + "/store.json";
        ASSERT_TRUE(DurableFile::replace(store, QByteArrayView("{}")));
        EXPECT_EQ(modeOf(store), 0600u);
        ASSERT_TRUE(DurableFile::copy(store, store + ".copy"));
        EXPECT_EQ(modeOf(store + ".copy"), 0600u);
        {
            FileLock lock(store + ".lock");
            ASSERT_EQ(lock.tryLock(), FileLock::Outcome::locked);
            EXPECT_EQ(modeOf(store + ".lock"), 0600u);
        }

        // A file the person chose to give a mode of its own keeps it when it is replaced.
        ASSERT_EQ(::chmod(QFile::encodeName(store).constData(), 0640), 0);
        ASSERT_TRUE(DurableFile::replace(store, QByteArrayView("{\"a\": 1}")));
        EXPECT_EQ(modeOf(store), 0640u);

        // A file made for use outside the program gets what the umask leaves.
        const QString exported = dir.filePath("Groceries.md");
        ASSERT_TRUE(DurableFile::replace(exported, QByteArrayView("# Groceries\n"), nullptr,
                                         DurableFile::Sync::skip, DurableFile::NewFile::umask));
        EXPECT_EQ(modeOf(exported), 0666u & ~mask);
    }
}

TEST(PrivateFiles, ALockFileThatIsAPipeIsRefusedNotWaitedOn) {
    QTemporaryDir dir;
    const QString path = dir.filePath("store.json.lock");
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    const int report = testsupport::inChildWithin(withinMs, [&] {
        FileLock lock(path);
        if (lock.tryLock() != FileLock::Outcome::failed)
            return 1;
        return lock.errorString() == "file to open is a named pipe, not a regular file" ? 0 : 2;
    });
    EXPECT_EQ(report, 0);
}

} // namespace
