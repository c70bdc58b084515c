// Ending the real program by a signal whatever is on screen, or by Quit, while its store cannot
// be written: it ends within a bound even with "Quit without saving?" up, and the change it could
// not save is kept in a file of its own, named on standard error, and named again by the next
// launch.
#include "intents/StoreNotice.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>

namespace {

// What the program is given to end in, whatever it is showing.
constexpr int endWithinMs = 5'000;

enum class Trouble {
    fullDisk,       // every save fails, as on a full disk: trying again could mend it
    folderForStore, // store.json is a folder: the store never writes
    profileIsFile,  // the profile "folder" is a file: no file can be made beside the store
};

class SignalsWithUnsavedChanges : public testing::Test {
protected:
    void SetUp() override {
        for (const QString& folder : {runtime(), home()})
            QDir().mkpath(folder);
        QFile::setPermissions(runtime(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void TearDown() override {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished();
        }
    }

    QString runtime() const { return dir.filePath(QStringLiteral("run")); }
    QString home() const { return dir.filePath(QStringLiteral("home")); }
    QString profile() const { return dir.filePath(QStringLiteral("profile")); }
    QString storeFile() const { return QDir(profile()).filePath(QStringLiteral("store.json")); }

    void arrange(Trouble trouble) {
        if (trouble == Trouble::folderForStore) {
            ASSERT_TRUE(QDir().mkpath(storeFile()));
        } else if (trouble == Trouble::profileIsFile) {
            QFile blocker(profile());
            ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        }
    }

    // Each launch is given a cloud container of its own, so that nothing it keeps comes from
    // an earlier one.
    void launch(const QString& executable, Trouble trouble = Trouble::folderForStore,
                bool quit = false) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime());
        environment.insert(QStringLiteral("HOME"), home());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           dir.filePath(QStringLiteral("config")));
        if (trouble == Trouble::fullDisk)
            environment.insert(QStringLiteral("TALLYBIRD_PROBE_FAIL_SAVES"), QStringLiteral("1"));
        if (quit)
            environment.insert(QStringLiteral("TALLYBIRD_PROBE_QUIT"), QStringLiteral("1"));
        program.setProcessEnvironment(environment);
        const QString cloud = dir.filePath(QStringLiteral("cloud-%1.sqlite").arg(++launches));
        program.start(executable, {"--profile", profile(), "--cloud", cloud});
        ASSERT_TRUE(program.waitForStarted());
    }

    // Waits for `line` on the program's standard output.
    bool waitToSay(const QByteArray& line) {
        QElapsedTimer waited;
        waited.start();
        while (!said.contains(line) && program.state() == QProcess::Running &&
               waited.elapsed() < 30'000) {
            program.waitForReadyRead(100);
            said += program.readAllStandardOutput();
        }
        return said.contains(line);
    }

    // Sends the signal (none: waits for the program to end by itself); true when the program
    // ended within the bound, as a program that quits does.
    bool endsOn(int signal) {
        if (signal != 0)
            ::kill(pid_t(program.processId()), signal);
        const bool ended = program.waitForFinished(endWithinMs);
        errors = QString::fromUtf8(program.readAllStandardError());
        if (!ended)
            return false;
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << errors.toStdString();
        EXPECT_EQ(program.exitCode(), 0) << errors.toStdString();
        return true;
    }

    // The file standard error names as where the changes are kept.
    std::optional<QString> keptIn() const {
        static const QRegularExpression kept(QStringLiteral("They are kept in “([^”]+)”"));
        const QRegularExpressionMatch match = kept.match(errors);
        if (!match.hasMatch())
            return std::nullopt;
        return match.captured(1);
    }

    static QStringList listNames(const QString& file) {
        MemoryDefaults defaults;
        ListStore kept(file, false, false, defaults, Clock::shared(), ListStore::Access::readOnly);
        QStringList names;
        for (const TBList& list : kept.lists())
            names.append(list.name);
        return names;
    }

    QTemporaryDir dir;
    int launches = 0;
    QProcess program;
    QByteArray said;
    QString errors;
};

TEST_F(SignalsWithUnsavedChanges, EverySignalAndQuitEndTheProgramAndKeepTheChange) {
    struct Row {
        const char* what;
        Trouble trouble;
        bool quit;  // the Quit command was given first
        bool asked; // "Quit without saving?" is up then
        int signal; // 0: none, the Quit command ends it
        bool keptBesideStore;
    };
    const Row rows[] = {
        {"SIGTERM with the question up", Trouble::fullDisk, true, true, SIGTERM, true},
        {"SIGINT with the question up", Trouble::fullDisk, true, true, SIGINT, true},
        {"SIGHUP: the terminal closed", Trouble::folderForStore, false, false, SIGHUP, true},
        {"SIGTERM with a store that never writes", Trouble::folderForStore, false, false, SIGTERM,
         true},
        {"Quit with a store that never writes: nothing to ask", Trouble::folderForStore, true,
         false, 0, true},
        {"SIGTERM with no folder for a file beside the store", Trouble::profileIsFile, false, false,
         SIGTERM, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QDir(profile()).removeRecursively();
        QFile::remove(profile());
        said.clear();
        arrange(row.trouble);
        launch(QStringLiteral(UNSAVED_QUIT_PROBE), row.trouble, row.quit);
        if (row.signal != 0) {
            ASSERT_TRUE(waitToSay("ready")) << program.readAllStandardError().toStdString();
            EXPECT_EQ(said.contains("asked"), row.asked) << said.toStdString();
        }

        ASSERT_TRUE(endsOn(row.signal)) << "still running " << endWithinMs << " ms later";
        const std::optional<QString> kept = keptIn();
        ASSERT_TRUE(kept) << errors.toStdString();
        EXPECT_TRUE(kept->startsWith(row.keptBesideStore ? profile() + '/' : home() + '/'))
            << kept->toStdString();
        EXPECT_EQ(listNames(*kept), QStringList{"Kept"});
        if (row.trouble == Trouble::folderForStore) {
            EXPECT_TRUE(QFileInfo(storeFile()).isDir()) << "written over what it could not open";
        }
        program.close();
    }
}

TEST_F(SignalsWithUnsavedChanges, TheNextLaunchSaysWhereTheChangesAreKept) {
    arrange(Trouble::folderForStore);
    launch(QStringLiteral(UNSAVED_QUIT_PROBE));
    ASSERT_TRUE(waitToSay("ready"));
    ASSERT_TRUE(endsOn(SIGTERM));
    const std::optional<QString> kept = keptIn();
    ASSERT_TRUE(kept) << errors.toStdString();
    program.close();

    // The program itself, with nothing to keep this time.
    launch(QStringLiteral(TALLYBIRD_EXECUTABLE));
    QElapsedTimer waited;
    waited.start();
    QString told;
    while (!told.contains(StoreNotice::unsavedCopy(*kept)) && waited.elapsed() < 30'000 &&
           program.state() == QProcess::Running) {
        program.waitForReadyRead(100);
        told += QString::fromUtf8(program.readAllStandardError());
    }
    EXPECT_TRUE(told.contains(StoreNotice::unsavedCopy(*kept))) << told.toStdString();
    ASSERT_TRUE(endsOn(SIGTERM));
    // Whatever its sync changed of the account, nothing of the lists changed.
    EXPECT_FALSE(keptIn()) << "nothing was changed this time\n" << errors.toStdString();
}

} // namespace
