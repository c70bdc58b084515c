// How long one command-line request takes on a store of 10,000 items, with sync off and on,
// without a program and through a running program, beside the floor of any request: starting
// the program to print its version. TALLYBIRD_BENCH_PROGRAM names another build of the program
// to measure, for a figure before a change.
#include "store/DiskV2.h"
#include "store/ListStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int itemCount = 10'000;
constexpr int itemsPerList = 100;

// An archived record as sync writes them: about 300 bytes of encoded record.
QByteArray archivedRecord(const QString& id) {
    QByteArray record = R"({"type":"TB_Item","name":")" + id.toUtf8() +
                        R"(","zone":"TB-zone","owner":"__defaultOwner__","changeTag":"17",)"
                        R"("fields":{"text":{"text":"Item number"},"done":{"int":0},)";
    while (record.size() < 290)
        record += ' ';
    return record + "}}";
}

// A store file of realistic shape: 100 lists of 100 items, a note on every fifth item and an
// archived record for every list and item.
QByteArray storeFile() {
    DiskV2 disk;
    for (int l = 0; l < itemCount / itemsPerList; ++l) {
        TBList list;
        list.id = QStringLiteral("LIST-%1-0000-0000-0000-000000000000").arg(l, 8, 10, QChar('0'));
        list.name = QStringLiteral("List %1").arg(l);
        list.order = l;
        list.createdAt = Date(700'000'000 + l);
        disk.lists.append(list);
        disk.archivedRecords.insert("L#" + list.id, archivedRecord(list.id).toBase64());
        for (int i = 0; i < itemsPerList; ++i) {
            TBItem item;
            item.id = QStringLiteral("ITEM-%1-%2-0000-0000-000000000000")
                          .arg(l, 8, 10, QChar('0'))
                          .arg(i, 4, 10, QChar('0'));
            item.listID = list.id;
            item.text = QStringLiteral("Item number %1 #tag%2").arg(i).arg(i % 7);
            item.order = i;
            if (i % 5 == 0)
                item.notes = "NOTE-" + item.id + "\t2025-01-01T10:00:00Z\t_me\tMe\tget the big one";
            disk.items.append(item);
            disk.archivedRecords.insert("I#" + item.id, archivedRecord(item.id).toBase64());
        }
    }
    disk.identity = UserIdentity{};
    disk.circles = QList<TBCircle>{};
    disk.aliases = QMap<QString, PersonAlias>{};
    disk.filings = QMap<QString, QString>{};
    disk.dirtyFilings = QSet<QString>{};
    disk.pendingItemDeletions = QSet<QString>{};
    disk.tombstones = QMap<QString, Tombstone>{};
    disk.dirtyTombstones = QSet<QString>{};
    disk.pendingZoneDeletions = QMap<QString, PendingZoneDeletion>{};
    return disk.encode();
}

QString program() {
    const QString other = qEnvironmentVariable("TALLYBIRD_BENCH_PROGRAM");
    return other.isEmpty() ? QStringLiteral(TALLYBIRD_EXECUTABLE) : other;
}

// A profile folder holding the store, with sync switched off or on, and a program when asked
// for. With sync on the store has been through its first sync, with a container of its own.
struct Profile {
    Profile(bool withProgram, bool syncOn) {
        QDir().mkpath(runtime());
        QFile::setPermissions(runtime(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile store(dir.filePath("store.json"));
        store.open(QIODevice::WriteOnly);
        store.write(storeFile());
        store.close();
        QFile defaults(dir.filePath("defaults.json"));
        defaults.open(QIODevice::WriteOnly);
        defaults.write(syncOn ? R"({"cloudSyncEnabled":true})" : R"({"cloudSyncEnabled":false})");
        defaults.close();
        if (syncOn && run({"add", "--list-id", firstList(), "first sync"}) != 0)
            qFatal("The first sync failed.");
        if (withProgram) {
            program = std::make_unique<QProcess>();
            // The window draws offscreen: a benchmark has no display, and without one the
            // program would end at once and every request would run on its own.
            QProcessEnvironment environment = this->environment();
            environment.insert("QT_QPA_PLATFORM", "offscreen");
            program->setProcessEnvironment(environment);
            program->start(::program(), arguments({}));
            program->waitForStarted();
            // Listening once its socket is there (the command line's own fallback would answer
            // a request without it).
            for (int attempt = 0; !listening(); ++attempt) {
                if (attempt > 600 || program->state() != QProcess::Running)
                    qFatal("The program never started listening.");
                QThread::msleep(50);
            }
        }
    }
    ~Profile() {
        if (program) {
            program->terminate();
            program->waitForFinished(30'000);
        }
    }
    QStringList arguments(const QStringList& words) const {
        return QStringList{"--profile", dir.path(), "--cloud", dir.filePath("cloud.sqlite")} +
               words;
    }
    // The program's sockets go to a folder of this profile's own, where nothing else listens.
    QProcessEnvironment environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", runtime());
        return environment;
    }
    QString runtime() const { return dir.filePath("run"); }
    bool listening() const {
        return !QDir(runtime()).entryList({"*-window"}, QDir::System | QDir::Files).isEmpty();
    }
    int run(const QStringList& words) const {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(::program(), arguments(words));
        process.closeWriteChannel();
        process.waitForFinished(60'000);
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    static QString firstList() {
        return QStringLiteral("LIST-00000000-0000-0000-0000-000000000000");
    }

    QTemporaryDir dir;
    std::unique_ptr<QProcess> program;
};

Profile& profile(bool withProgram, bool syncOn) {
    static Profile alone(false, false);
    static Profile running(true, false);
    static Profile aloneSyncing(false, true);
    static Profile runningSyncing(true, true);
    if (syncOn)
        return withProgram ? runningSyncing : aloneSyncing;
    return withProgram ? running : alone;
}

// Every run's time by request, without a program, for the summary against the targets: sync off
// then on.
std::map<std::string, std::vector<double>> aloneMs[2];

void runEach(benchmark::State& state, const std::string& name, const QStringList& words) {
    const bool withProgram = state.range(0) != 0;
    const bool syncOn = state.range(1) != 0;
    const Profile& where = profile(withProgram, syncOn);
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        if (where.run(words) != 0)
            state.SkipWithError("the request failed");
        if (!withProgram)
            aloneMs[syncOn][name].push_back(double(timer.nsecsElapsed()) / 1e6);
    }
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The medians next to the targets: the floor, and each request without a program.
void printSummary() {
    std::printf("\nmedians without a program:\n");
    if (const auto floor = aloneMs[0].find("Floor"); floor != aloneMs[0].end())
        std::printf("  floor (tallybird --version) %.1f ms; target at most 5 ms\n",
                    median(floor->second));
    for (const bool syncOn : {false, true}) {
        std::printf("  sync %s:", syncOn ? "on" : "off");
        for (const auto& [name, times] : aloneMs[syncOn]) {
            if (name != "Floor")
                std::printf(" %s %.1f ms,", name.c_str(), median(times));
        }
        std::printf(" target under %d ms\n", syncOn ? 150 : 60);
    }
}

void Floor(benchmark::State& state) {
    runEach(state, "Floor", {"--version"});
}
void Lists(benchmark::State& state) {
    runEach(state, "Lists", {"lists"});
}
void ReadByName(benchmark::State& state) {
    runEach(state, "ReadByName", {"read", "--list", "list 42", "--no"});
}
void AddByName(benchmark::State& state) {
    runEach(state, "AddByName", {"add", "--list", "list 42", "bread"});
}
void AddById(benchmark::State& state) {
    runEach(state, "AddById", {"add", "--list-id", Profile::firstList(), "bread"});
}
void TickByName(benchmark::State& state) {
    runEach(state, "TickByName", {"tick", "--list", "list 7", "item number 3 tag3"});
}
void StartTaken(benchmark::State& state) {
    runEach(state, "StartTaken", {"start", "List 9"});
}

// The arguments: 0 without a program, 1 through a running program; then sync 0 off, 1 on.
#define REQUEST_BENCHMARK(name)                                                                    \
    BENCHMARK(name)                                                                                \
        ->ArgsProduct({{0, 1}, {0, 1}})                                                            \
        ->ArgNames({"program", "sync"})                                                            \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->UseRealTime()                                                                            \
        ->MinTime(1.0)

REQUEST_BENCHMARK(Floor);
REQUEST_BENCHMARK(Lists);
REQUEST_BENCHMARK(ReadByName);
REQUEST_BENCHMARK(AddByName);
REQUEST_BENCHMARK(AddById);
REQUEST_BENCHMARK(TickByName);
REQUEST_BENCHMARK(StartTaken);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printSummary();
    return 0;
}
