// The real program and its command line, run as processes the way a user runs them, with and
// without a running program that holds the store.
#include "ProcessTestSupport.h"

#include "intents/CommandLine.h"
#include "intents/StoreTurn.h"
#include "store/StoreLocation.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The Qt libraries a running process has loaded, by file name.
QStringList loadedQtLibraries(qint64 pid) {
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    if (!maps.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList names;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const QString name = QFileInfo(QString::fromUtf8(line.mid(line.lastIndexOf(' ') + 1)))
                                 .fileName()
                                 .section(u'.', 0, 0);
        if (name.startsWith(QLatin1String("libQt6")) && !names.contains(name))
            names.append(name);
    }
    return names;
}

class ProgramProcess : public ProcessTest {
protected:
    void SetUp() override {
        ProcessTest::SetUp();
        Seed seed(openStore());
        groceries = seed.list("Groceries");
        seed.item(groceries, "Oat milk");
        seed.item(groceries, "oat milk");
        seed.sharedList("Team", TBSharePermission::readOnly);
        seed.list("Chores");
    }

    // Every branch of the requests, in an order where each one sees the ones before, with its
    // exit code: 0 done, 3 a question nobody answers, 4 nothing found, 5 not done.
    void typeEveryBranch() {
        struct Step {
            QStringList words;
            int code;
            QString out;
        } steps[] = {
            {{"add", "--list", "Groceries", "  eggs "}, 0, "Added eggs to Groceries.\n"},
            {{"add", "--list", "my groceries list", " \t "}, 5, "I didn't catch what to add.\n"},
            {{"add", "--list-id", "GONE", "eggs"}, 4, "I couldn't find that list any more.\n"},
            {{"add", "--list", "Team", "eggs"}, 5, "Team is view only, so I can't add to it.\n"},
            {{"tick", "--list", "Groceries", "oat milk"}, 3, "Which one?\n"},
            {{"tick", "--list", "Groceries", "--choose", "2", "oat milk"},
             0,
             "Which one?\nTicked off oat milk.\n"},
            {{"tick", "--list", "Groceries", " bacon "},
             4,
             "I couldn't find  bacon  on Groceries.\n"},
            {{"tick", "--list", "Groceries", "OAT MILK"}, 0, "Ticked off Oat milk.\n"},
            {{"tick", "--list", "Groceries", "oat milk"}, 5, "Oat milk was already ticked off.\n"},
            {{"tick", "--list", "Team", "x"}, 5, "Team is view only, so I can't change it.\n"},
            {{"start", "my groceries list"}, 5, "You've already got a Groceries list.\n"},
            {{"start", " Packing "}, 0, "Started Packing.\n"},
            {{"start", ""}, 5, "I didn't catch what to call it.\n"},
            {{"read", "--list", "Chores"}, 0, "Nothing left on Chores.\n"},
            {{"add", "--list", "Groceries", "a"}, 0, "Added a to Groceries.\n"},
            {{"say", "Add to my Groceries in Tallybird", "b"}, 0, "Added b to Groceries.\n"},
            {{"add", "--list", "Groceries", "c #dairy"}, 0, "Added c #dairy to Groceries.\n"},
            {{"read", "--list", "Groceries"},
             3,
             "Four things left on Groceries. Shall I read them?\n"},
            {{"read", "--list", "Groceries", "--yes"},
             0,
             "Four things left on Groceries. Shall I read them?\neggs, a, b and c.\n"},
            {{"say", "Tallybird, what's on team?"}, 0, "Nothing left on Team.\n"},
            {{"read", "--list", "Garden"}, 4, ""},
        };
        for (const Step& step : steps) {
            SCOPED_TRACE(step.words.join(u' ').toStdString());
            const Typed result = run(step.words);
            EXPECT_EQ(result.out, step.out) << result.err.toStdString();
            EXPECT_EQ(result.code, step.code) << result.err.toStdString();
        }
    }

    void expectEveryChangeKept() {
        EXPECT_EQ(itemTexts(groceries),
                  QStringList({"Oat milk ✓", "oat milk ✓", "eggs", "a", "b", "c #dairy"}));
        EXPECT_EQ(listLines(), QStringList({"Groceries", "Team", "Chores", "Packing"}));
        // The index was rewritten after the last change, by whoever made it.
        EXPECT_EQ(indexLines(), listLines(true));
    }

    QString groceries;
};

TEST_F(ProgramProcess, WithoutAProgramEachRequestOpensTheStoreItself) {
    typeEveryBranch();
    expectEveryChangeKept();
}

TEST_F(ProgramProcess, WithAProgramRunningEveryRequestGoesThroughItAndNothingIsLost) {
    startProgram();
    typeEveryBranch();
    // The program saved each change as it made it; nothing else wrote over its document.
    expectEveryChangeKept();
    stopProgram();
    expectEveryChangeKept();
    EXPECT_FALSE(QFile::exists(RequestChannel::serverName())) << "the socket is cleaned up";
}

TEST_F(ProgramProcess, OpeningAListAsksTheRunningProgram) {
    startProgram();
    const Typed opened = run({"open", "--list", "groceries"});
    EXPECT_EQ(opened.code, 0);
    EXPECT_EQ(opened.out, QString());
    // A second launch hands over to the window that runs and ends.
    EXPECT_EQ(run({}).code, 0);
    EXPECT_EQ(run({"add", "--list", "Groceries", "eggs"}).out,
              QStringLiteral("Added eggs to Groceries.\n"));
    stopProgram();
}

TEST_F(ProgramProcess, OpeningWithNoProgramStartsTheWindowOnItsOwnAndEndsOnceItShowsTheList) {
    // As a script would ask: the shell waits for the request's output to end as well as for
    // the request, so a window that kept either would hold it up.
    QProcess script;
    script.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"),
                  QStringLiteral("out=$(\"$0\" --profile \"$1\" --cloud \"$2\" open --list "
                                 "Groceries); echo \"$? [$out]\""),
                  QStringLiteral(TALLYBIRD_EXECUTABLE), dir.path(), cloudFile()});
    script.closeWriteChannel();
    const bool ended = script.waitForFinished(60'000);
    if (!ended)
        script.kill();
    // The window runs on, in a session of its own, showing the list, and answers requests
    // like any other; it is ended when the test is, whatever happens.
    DetachedProgram window(listeningProgram());
    const QString said = QString::fromUtf8(script.readAllStandardError());
    ASSERT_TRUE(ended) << "the request waited on the window";
    EXPECT_EQ(script.readAllStandardOutput(), "0 []\n") << said.toStdString();
    ASSERT_GT(window.pid(), 0) << "no window answers";
    EXPECT_EQ(::getsid(window.pid()), window.pid());
    // The list it opened is remembered in the profile's settings, which the window writes.
    const auto opened = [this] {
        QFile settings(dir.filePath(QStringLiteral("defaults.json")));
        if (!settings.open(QIODevice::ReadOnly))
            return QString();
        return QJsonDocument::fromJson(settings.readAll())
            .object()
            .value(QStringLiteral("lastOpenedList"))
            .toString();
    };
    const QDeadlineTimer deadline(10'000);
    while (opened() != groceries && !deadline.hasExpired())
        QThread::msleep(50);
    EXPECT_EQ(opened(), groceries);
    const Typed added = run({"add", "--list", "Groceries", "eggs"});
    EXPECT_EQ(added.out, QStringLiteral("Added eggs to Groceries.\n"));
    EXPECT_TRUE(window.end()) << "the window ended as a desktop session ends it";
    EXPECT_EQ(itemTexts(groceries), QStringList({"Oat milk", "oat milk", "eggs"}));
}

TEST_F(ProgramProcess, OpeningWhenTheWindowCannotStartSaysWhyAndFailsInTime) {
    // Another process holds the store for longer than the window waits for it.
    auto holder = openStore();
    ASSERT_TRUE(holder->canWrite());
    QProcess request;
    launch(request, {"open", "--list", "Groceries"});
    request.closeWriteChannel();
    const bool ended = request.waitForFinished(60'000);
    if (!ended)
        request.kill();
    ASSERT_TRUE(ended) << "the request waited past its time";
    EXPECT_EQ(request.exitCode(), CommandLine::failed);
    const QString said = QString::fromUtf8(request.readAllStandardError());
    EXPECT_TRUE(said.contains(QStringLiteral("in use"))) << said.toStdString();
    const DetachedProgram left(listeningProgram());
    EXPECT_EQ(left.pid(), 0) << "no window was left behind";
}

TEST_F(ProgramProcess, ARequestLoadsNoWindowLibrariesAndTheWindowKeepsTheProcessStarted) {
    {
        // Holding the store keeps a request waiting half-way, where it can be looked at.
        std::unique_ptr<StoreTurn> turn =
            StoreTurn::take(SharedStore::source().fileURL(), QDeadlineTimer(5'000));
        ASSERT_TRUE(turn);
        QProcess request;
        launch(request, {"add", "--list", "Groceries", "eggs"});
        ASSERT_TRUE(request.waitForStarted());
        QElapsedTimer waited;
        waited.start();
        while (!loadedQtLibraries(request.processId()).contains(QLatin1String("libQt6Network")) ||
               waited.elapsed() < 500)
            QThread::msleep(20);
        ASSERT_EQ(request.state(), QProcess::Running);
        const QStringList loaded = loadedQtLibraries(request.processId());
        for (const char* windowLibrary : {"libQt6Widgets", "libQt6Gui", "libQt6Multimedia"})
            EXPECT_FALSE(loaded.contains(QLatin1String(windowLibrary)))
                << windowLibrary << " in " << loaded.join(u' ').toStdString();
        turn.reset();
        request.closeWriteChannel();
        ASSERT_TRUE(request.waitForFinished(60'000));
        EXPECT_EQ(request.readAllStandardOutput(), "Added eggs to Groceries.\n");
    }

    startProgram();
    EXPECT_TRUE(loadedQtLibraries(program->processId()).contains(QLatin1String("libQt6Widgets")))
        << "the window runs in the process `tallybird` started as";
    // Answered from the window's event loop, which runs once it quits on a signal.
    EXPECT_EQ(run({"add", "--list", "Groceries", "jam"}).out, "Added jam to Groceries.\n");
    stopProgram();
}

TEST_F(ProgramProcess, ControlCharactersFromTheStoreNeverReachTheTerminal) {
    // Names that came from someone else through a shared list: a line break and an escape
    // sequence that would retitle the terminal; a tab that would add a column to the list of
    // lists; a right-to-left override and a line separator that would reorder or split a line.
    Seed seed(openStore());
    const QString odd = seed.list(QStringLiteral("Odd\nname\x1b]0;owned\x07\u009b2J"));
    const QString tabbed = seed.list(QString::fromUtf16(u"Tab\there\u202Eevil\u2028x\u2066y"));
    seed.release();

    const Typed listed = run({"lists"});
    EXPECT_EQ(listed.out.count(u'\n'), 5) << "one line per list";
    EXPECT_EQ(listed.out.count(u'\t'), 5) << "one tab per line";
    EXPECT_TRUE(listed.out.contains(odd + "\tOdd\uFFFDname\uFFFD]0;owned\uFFFD\uFFFD2J\n"));
    EXPECT_TRUE(listed.out.contains(tabbed + "\tTab\uFFFDhere\uFFFDevil\uFFFDx\uFFFDy\n"));
    const Typed read = run({"read", "--list-id", odd});
    EXPECT_EQ(read.out, "Nothing left on Odd\uFFFDname\uFFFD]0;owned\uFFFD\uFFFD2J.\n");
    EXPECT_EQ(run({"read", "--list-id", tabbed}).out,
              "Nothing left on Tab\uFFFDhere\uFFFDevil\uFFFDx\uFFFDy.\n");
    EXPECT_TRUE(run({"--help"}).out.contains("a line of\n\"lists\" splits at its only tab"));
}

} // namespace
