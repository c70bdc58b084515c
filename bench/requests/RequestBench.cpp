// How long one command-line request takes on a store of 10,000 items, with sync off and on,
// without a program and through a running program, beside the floor of any request: starting
// the program to print its version. A tick by name is also timed on a store of 100,000 items;
// every tick finds an item still open, and the run fails when one does not tick it off.
// Through a running program with sync on, the program may use one CPU only, as on a single-CPU
// machine or a container limited to one, where the pool that Qt's painting waits for has one
// thread. TALLYBIRD_BENCH_PROGRAM names another build of the program to measure, for a figure
// before a change.
#include "store/DiskV2.h"
#include "store/ListStore.h"
#include "support/SampleStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <sched.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

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

// A store file of realistic shape: lists of 100 items, a note on every fifth item and an
// archived record for every list and item. No item is ticked off.
QByteArray storeFile(int itemCount) {
    DiskV2 disk;
    for (int l = 0; l < itemCount / itemsPerList; ++l) {
        TBList list = SampleStore::list(l);
        disk.lists.append(list);
        disk.archivedRecords.insert("L#" + list.id, archivedRecord(list.id).toBase64());
        for (int i = 0; i < itemsPerList; ++i) {
            const TBItem item = SampleStore::item(list, l, i, SampleStore::Ticks::none);
            disk.items.append(item);
            disk.archivedRecords.insert("I#" + item.id, archivedRecord(item.id).toBase64());
        }
    }
    SampleStore::completeFile(disk);
    return disk.encode();
}

QString program() {
    const QString other = qEnvironmentVariable("TALLYBIRD_BENCH_PROGRAM");
    return other.isEmpty() ? QStringLiteral(TALLYBIRD_EXECUTABLE) : other;
}

// The first CPU this process may use.
int firstCpu() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
        for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
            if (CPU_ISSET(cpu, &allowed))
                return cpu;
        }
    }
    return 0;
}

// A profile folder holding the store, with sync switched off or on, and a program when asked
// for. With sync on the store has been through its first sync, with a container of its own, and
// the program may use one CPU.
struct Profile {
    Profile(bool withProgram, bool syncOn, int itemCount) : lists(itemCount / itemsPerList) {
        QDir().mkpath(runtime());
        QFile::setPermissions(runtime(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile store(dir.filePath("store.json"));
        store.open(QIODevice::WriteOnly);
        store.write(storeFile(itemCount));
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
            if (syncOn) {
                cpu_set_t one;
                CPU_ZERO(&one);
                CPU_SET(firstCpu(), &one);
                program->setChildProcessModifier([one] { sched_setaffinity(0, sizeof one, &one); });
            }
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
    // The request's exit code (-1 when it did not end by itself), and what it printed.
    int run(const QStringList& words, QByteArray* printed = nullptr) const {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(::program(), arguments(words));
        process.closeWriteChannel();
        // A first sync of a large store takes a while.
        process.waitForFinished(600'000);
        if (printed)
            *printed = process.readAllStandardOutput();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    // A tick of the next item no run has ticked yet: the items of every list in turn, from the
    // eighth list on, by their words with their tags ("item number 3 tag3").
    QStringList nextTick() {
        const int list = (7 + ticked / itemsPerList) % lists;
        const int item = ticked % itemsPerList;
        ++ticked;
        return {"tick", "--list", QStringLiteral("list %1").arg(list),
                QStringLiteral("item number %1 tag%2").arg(item).arg(item % 7)};
    }
    static QString firstList() {
        return QStringLiteral("LIST-00000000-0000-0000-0000-000000000000");
    }

    QTemporaryDir dir;
    std::unique_ptr<QProcess> program;
    const int lists;
    int ticked = 0;  // items ticked off by the runs so far
    int started = 0; // lists started by the runs so far
};

// One profile for each way of running and each size, made on first use and kept to the end.
Profile& profile(bool withProgram, bool syncOn, int itemCount) {
    static std::map<std::tuple<bool, bool, int>, std::unique_ptr<Profile>> profiles;
    auto& slot = profiles[{withProgram, syncOn, itemCount}];
    if (!slot)
        slot = std::make_unique<Profile>(withProgram, syncOn, itemCount);
    return *slot;
}

// Every run's time by request, without a program, for the summary against the targets: sync off
// then on.
std::map<std::string, std::vector<double>> aloneMs[2];

// Runs the request `next()` gives, once a run. `done` tells a request that did what it was
// asked from one that did not, by what it printed; a run of the second kind fails.
void runEach(benchmark::State& state, const std::string& name,
             const std::function<QStringList(Profile&)>& next,
             const std::function<bool(const QByteArray&)>& done = {}) {
    const bool withProgram = state.range(0) != 0;
    const bool syncOn = state.range(1) != 0;
    const int itemCount = state.range(2) != 0 ? int(state.range(2)) : 10'000;
    Profile& where = profile(withProgram, syncOn, itemCount);
    for (auto _ : state) {
        state.PauseTiming();
        const QStringList words = next(where);
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        QByteArray printed;
        const int code = where.run(words, &printed);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        if (code != 0 || (done && !done(printed))) {
            const std::string why = ("the request failed: " + printed.trimmed()).toStdString();
            state.SkipWithError(why.c_str());
            break;
        }
        if (!withProgram && itemCount == 10'000)
            aloneMs[syncOn][name].push_back(ms);
    }
}

void runEach(benchmark::State& state, const std::string& name, const QStringList& words) {
    runEach(state, name, [words](Profile&) { return words; });
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
    runEach(
        state, "TickByName", [](Profile& where) { return where.nextTick(); },
        [](const QByteArray& printed) { return printed.startsWith("Ticked off "); });
}
// Every run starts a list of a name no list has yet: a taken name is refused, and a refusal
// is not what this times.
void StartNew(benchmark::State& state) {
    runEach(
        state, "StartNew",
        [](Profile& where) {
            return QStringList{"start", QStringLiteral("Trip %1").arg(where.started++)};
        },
        [](const QByteArray& printed) { return printed.startsWith("Started Trip "); });
}

// The arguments: 0 without a program, 1 through a running program; then sync 0 off, 1 on; then
// the items in the store.
#define REQUEST_BENCHMARK(name, ...)                                                               \
    BENCHMARK(name)                                                                                \
        ->ArgsProduct({{0, 1}, {0, 1}, {__VA_ARGS__}})                                             \
        ->ArgNames({"program", "sync", "items"})                                                   \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->UseRealTime()                                                                            \
        ->MinTime(1.0)

REQUEST_BENCHMARK(Floor, 10'000);
REQUEST_BENCHMARK(Lists, 10'000);
REQUEST_BENCHMARK(ReadByName, 10'000);
REQUEST_BENCHMARK(AddByName, 10'000);
REQUEST_BENCHMARK(AddById, 10'000);
REQUEST_BENCHMARK(TickByName, 10'000, 100'000);
REQUEST_BENCHMARK(StartNew, 10'000);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printSummary();
    return 0;
}
