// Replacing a file when the disk is full: the old file stays whole unless every byte of the new
// one was written. A full disk is a file-size limit on a child process, which needs no
// privileges.
#include "platform/DurableFile.h"
#include "platform/FileLock.h"
#include "support/FileBytes.h"
#include "support/FileSizeLimit.h"
#include "support/QStringPrinting.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using testsupport::bytesOf;
using testsupport::writeBytes;

// The exit status of `body` run in a child process whose files may not grow past `limit`.
int inChild(long long limit, const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        testsupport::FileSizeLimit::setForGood(limit);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// What a child reports: 0 replaced, 1 refused for the file-size limit, 2 refused otherwise.
int outcome(bool replaced, const QString& error) {
    if (replaced)
        return 0;
    return error == QStringLiteral("File too large") ? 1 : 2;
}

// The names in the folder other than `kept`: a temporary file left behind.
QStringList leftOver(const QString& folder, const QStringList& kept) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.removeIf([&](const QString& name) { return kept.contains(name); });
    return names;
}

class DurableFileTest : public ::testing::Test {
protected:
    QString path() const { return dir.filePath(QStringLiteral("file.json")); }
    QTemporaryDir dir;
    const QByteArray old = QByteArray(10'000, 'o');
    const QByteArray next = QByteArray(30'000, 'n');
};

TEST_F(DurableFileTest, AFileSizeLimitAnywhereLeavesTheOldFileAndReportsTheFailure) {
    // The new contents in pieces, as the store's encoder hands them over; one writer checks
    // each write, the other does not, and neither may leave a cut file.
    const auto pieces = [this](bool checks) {
        return [this, checks](QIODevice& device) {
            for (qsizetype at = 0; at < next.size(); at += 4'096) {
                const QByteArray piece = next.mid(at, 4'096);
                if (device.write(piece) != piece.size() && checks)
                    return false;
            }
            return true;
        };
    };
    struct Case {
        const char* what;
        long long limit;
        bool replaced;
    };
    const Case cases[] = {
        {"nothing may be written", 0, false},   {"below the old file's size", 5'000, false},
        {"inside the new file", 15'000, false}, {"one byte short of the new file", 29'999, false},
        {"exactly the new file", 30'000, true}, {"above the new file", 1 << 20, true},
    };
    for (const bool checks : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (checks ? "" : ", writes not checked"));
            writeBytes(path(), old);
            const int status = inChild(c.limit, [&] {
                QString error;
                const bool replaced = DurableFile::replace(path(), pieces(checks), &error);
                return outcome(replaced, error);
            });
            EXPECT_EQ(status, c.replaced ? 0 : 1);
            EXPECT_EQ(bytesOf(path()), c.replaced ? next : old);
            EXPECT_EQ(leftOver(dir.path(), {"file.json"}), QStringList());
        }
    }
}

TEST_F(DurableFileTest, AWriterThatGivesUpMidwayLeavesTheOldFile) {
    writeBytes(path(), old);
    QString error = QStringLiteral("stale");
    EXPECT_FALSE(DurableFile::replace(
        path(),
        [this](QIODevice& device) {
            device.write(next.left(20'000));
            return false;
        },
        &error));
    EXPECT_EQ(error, QString()) << "the writer knows why it gave up";
    EXPECT_EQ(bytesOf(path()), old);
    EXPECT_EQ(leftOver(dir.path(), {"file.json"}), QStringList());
}

TEST_F(DurableFileTest, TheReplacementKeepsTheOldFilesModeAndALinksTarget) {
    writeBytes(path(), old);
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
    const QString link = dir.filePath(QStringLiteral("link.json"));
    ASSERT_TRUE(QFile::link(path(), link));
    QString error;
    ASSERT_TRUE(DurableFile::replace(link, next, &error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink()) << "the link was replaced instead of its target";
    EXPECT_EQ(bytesOf(path()), next);
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// A link in the profile that leads to a device or a pipe is never followed to write over it:
// the link itself makes way for the file.
TEST_F(DurableFileTest, ALinkToWhatIsNoRegularFileIsReplacedItself) {
    const QString pipe = dir.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString link = dir.filePath(QStringLiteral("link.json"));
    ASSERT_TRUE(QFile::link(pipe, link));
    QString error;
    ASSERT_TRUE(DurableFile::replace(link, next, &error)) << error.toStdString();
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(pipe).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the pipe was written over";
    ASSERT_EQ(::lstat(QFile::encodeName(link).constData(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(bytesOf(link), next);
}

TEST_F(DurableFileTest, ACopyIsWholeOrAbsent) {
    writeBytes(path(), next);
    const QString copy = dir.filePath(QStringLiteral("copy.json"));
    EXPECT_EQ(inChild(15'000,
                      [&] {
                          QString error;
                          return outcome(DurableFile::copy(path(), copy, &error), error);
                      }),
              1);
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_EQ(leftOver(dir.path(), {"file.json"}), QStringList());
    QString error;
    EXPECT_TRUE(DurableFile::copy(path(), copy, &error)) << error.toStdString();
    EXPECT_EQ(bytesOf(copy), next);
    EXPECT_FALSE(DurableFile::copy(dir.filePath(QStringLiteral("missing")), copy, &error));
    EXPECT_EQ(bytesOf(copy), next);
}

TEST_F(DurableFileTest, LeftoversOfAKilledWriterGoAndNothingElse) {
    const QStringList kept = {"file.json", "file.json.unreadable-20260101T000000.000Z",
                              ".file.json.unreadable-20260101T000000.000Z.tmp-k3x9",
                              ".file.json.lock", ".other.json.tmp-k3x9"};
    for (const QString& name : kept + QStringList{".file.json.tmp-k3x9", ".file.json.tmp-0"})
        writeBytes(dir.filePath(name), old);
    DurableFile::removeLeftovers(path());
    QStringList names = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    names.sort();
    QStringList expected = kept;
    expected.sort();
    EXPECT_EQ(names, expected);
}

// The descriptors of this process that name a file deleted from `folder`.
int deletedFilesHeldOpen(const QString& folder) {
    int held = 0;
    const QByteArray prefix = QFile::encodeName(QDir(folder).canonicalPath()) + '/';
    const QStringList descriptors =
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System);
    for (const QString& fd : descriptors) {
        char target[4096];
        const QByteArray link = QFile::encodeName(QStringLiteral("/proc/self/fd/") + fd);
        const ssize_t size = ::readlink(link.constData(), target, sizeof target);
        const QByteArray name(target, size > 0 ? size : 0);
        held += name.startsWith(prefix) && name.endsWith(" (deleted)");
    }
    return held;
}

TEST_F(DurableFileTest, TheOldFileIsKeptOpenUntilItIsLetGo) {
    struct Case {
        const char* what;
        bool oldFile;
        bool succeeds;
        bool held;
    };
    const Case cases[] = {
        {"a replaced file", true, true, true},
        {"no file before", false, true, false},
        {"a writer that gives up", true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(path());
        if (c.oldFile)
            writeBytes(path(), old);
        DurableFile::Displaced displaced;
        QString error;
        const bool replaced = DurableFile::replace(
            path(),
            [&](QIODevice& device) { return device.write(next) == next.size() && c.succeeds; },
            &error, DurableFile::Sync::toDisk, &displaced);
        EXPECT_EQ(replaced, c.succeeds) << error.toStdString();
        EXPECT_EQ(bytesOf(path()), c.succeeds ? next : c.oldFile ? old : QByteArray());
        EXPECT_EQ(displaced.holdsFile(), c.held);
        EXPECT_EQ(deletedFilesHeldOpen(dir.path()), c.held ? 1 : 0);
        displaced.release();
        EXPECT_FALSE(displaced.holdsFile());
        EXPECT_EQ(deletedFilesHeldOpen(dir.path()), 0) << "the old file was not let go";
    }
}

TEST_F(DurableFileTest, AReplacementHeldOverAnotherLetsTheFirstGo) {
    const auto writing = [](const QByteArray& bytes) {
        return [bytes](QIODevice& device) { return device.write(bytes) == bytes.size(); };
    };
    writeBytes(path(), old);
    DurableFile::Displaced displaced;
    ASSERT_TRUE(DurableFile::replace(path(), writing(next), nullptr, DurableFile::Sync::toDisk,
                                     &displaced));
    {
        DurableFile::Displaced second;
        ASSERT_TRUE(DurableFile::replace(path(), writing(old), nullptr, DurableFile::Sync::toDisk,
                                         &second));
        EXPECT_EQ(deletedFilesHeldOpen(dir.path()), 2);
        displaced = std::move(second);
        EXPECT_EQ(deletedFilesHeldOpen(dir.path()), 1) << "a moved-over file was not let go";
    }
    EXPECT_EQ(deletedFilesHeldOpen(dir.path()), 1) << "a moved-from holder let go of the file";
    EXPECT_EQ(bytesOf(path()), old);
}

TEST_F(DurableFileTest, ALargeFileWrittenInPiecesArrivesWhole) {
    // Large enough that the disk is started on it while it is still being written.
    QByteArray large(5 << 20, Qt::Uninitialized);
    for (qsizetype i = 0; i < large.size(); ++i)
        large[i] = char('a' + (i * 7919) % 26);
    writeBytes(path(), old);
    QString error;
    ASSERT_TRUE(DurableFile::replace(
        path(),
        [&](QIODevice& device) {
            for (qsizetype at = 0; at < large.size(); at += 300'000) {
                const QByteArray piece = large.mid(at, 300'000);
                if (device.write(piece) != piece.size())
                    return false;
            }
            return true;
        },
        &error))
        << error.toStdString();
    EXPECT_EQ(bytesOf(path()), large);
}

TEST(FileLock, AHolderThatDiesLetsGoAndALiveOneIsNamed) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("store.json.lock"));
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        FileLock lock(path);
        const char said = lock.tryLock() == FileLock::Outcome::locked ? 'y' : 'n';
        [[maybe_unused]] const ssize_t written = ::write(ready[1], &said, 1);
        ::pause(); // until killed: the lock file is never removed
        ::_exit(0);
    }
    char said = 0;
    ASSERT_EQ(::read(ready[0], &said, 1), 1);
    ASSERT_EQ(said, 'y');
    {
        FileLock lock(path);
        EXPECT_EQ(lock.tryLock(), FileLock::Outcome::held);
        EXPECT_EQ(lock.holder(), qint64(holder));
    }
    EXPECT_TRUE(QFile::exists(path)) << "a refused lock removed the holder's file";
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);

    ASSERT_TRUE(QFile::exists(path)) << "the killed holder's file is the case to test";
    {
        FileLock lock(path);
        EXPECT_EQ(lock.tryLock(), FileLock::Outcome::locked);
        EXPECT_EQ(lock.holder(), QCoreApplication::applicationPid());
    }
    EXPECT_FALSE(QFile::exists(path)) << "the lock file goes with its holder";

    FileLock nowhere(dir.filePath(QStringLiteral("missing/store.json.lock")));
    EXPECT_EQ(nowhere.tryLock(), FileLock::Outcome::failed);
    EXPECT_EQ(nowhere.errorString(), QStringLiteral("No such file or directory"));
}

} // namespace
