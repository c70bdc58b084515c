// The memory of the running window program: holding a store of 10,000 or 100,000 items with a
// list shown, with sync off and on, and through the first sync of a store that never synced;
// each beside the same program showing no store ("above an empty window"), and over the store
// file ("x_file"). "rss" is what the process holds once it has settled, "peak" the most it held.
// The window draws offscreen, with a runtime folder of its own. TALLYBIRD_BENCH_PROGRAM names
// another build of the program to measure, for a figure before a change.
#include "store/DiskV2.h"
#include "store/ListStore.h"
#include "support/SampleStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

namespace {

constexpr int itemsPerList = 100;

QString program() {
    const QString other = qEnvironmentVariable("TALLYBIRD_BENCH_PROGRAM");
    return other.isEmpty() ? QStringLiteral(TALLYBIRD_EXECUTABLE) : other;
}

// A store of `itemCount` items, 100 a list, a note on every fifth item and every third ticked,
// never synced: every list and item marked to be sent, nothing archived, as a store filled with
// sync off is.
QByteArray storeFile(int itemCount) {
    DiskV2 disk;
    for (int l = 0; l < itemCount / itemsPerList; ++l) {
        TBList list = SampleStore::list(l);
        disk.lists.append(list);
        disk.dirtyLists.insert(list.id, ListStore::allListFields());
        for (int i = 0; i < itemsPerList; ++i) {
            const TBItem item = SampleStore::item(list, l, i);
            disk.items.append(item);
            disk.dirtyItems.insert(item.id, ListStore::allItemFields());
        }
    }
    SampleStore::completeFile(disk);
    return disk.encode();
}

// A field of /proc/PID/status, in KiB; -1 when it cannot be read.
qint64 statusKiB(qint64 pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::stoll(line.substr(field.size()));
    }
    return -1;
}

// The CPU time the process has used so far, in clock ticks.
long long cpuTicks(qint64 pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The fields after the command's name, which is in parentheses and may hold blanks.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long long user = 0;
    long long system = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14)
            user = std::stoll(field);
        if (i == 15)
            system = std::stoll(field);
    }
    return user + system;
}

// What one window program held: once settled, and at most.
struct Held {
    double rssMiB = 0;
    double peakMiB = 0;
};

// A profile folder and the window program running on it.
class Window {
public:
    // `store`: the store file's bytes, none for a profile without a store. `syncedFirst`: the
    // store goes through its first sync by a request of the command line, with sync on, before
    // the window starts (with sync on or off).
    Window(const QByteArray& store, bool syncOn, bool syncedFirst = false) {
        QDir().mkpath(runtime());
        QFile::setPermissions(runtime(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (!store.isEmpty()) {
            QFile file(dir_.filePath("store.json"));
            file.open(QIODevice::WriteOnly);
            file.write(store);
        }
        if (syncedFirst) {
            setSync(true);
            if (run({"add", "--list", "list 0", "first sync"}) != 0)
                qFatal("The first sync failed.");
        }
        setSync(syncOn);
        QProcessEnvironment environment = this->environment();
        // The window draws offscreen: a benchmark has no display.
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        process_.setProcessEnvironment(environment);
        process_.start(program(), arguments({}));
        process_.waitForStarted();
    }
    ~Window() {
        process_.terminate();
        process_.waitForFinished(60'000);
    }

    // Waits until the window takes requests, then for its list to show: the first list by
    // itself, or the one asked for.
    bool show(const QString& listName) {
        for (int attempt = 0; !listening(); ++attempt) {
            if (attempt > 1200 || process_.state() != QProcess::Running)
                return false;
            QThread::msleep(50);
        }
        if (listName.isEmpty())
            return true;
        return run({"open", "--list", listName}) == 0;
    }

    // Waits until the program has used no CPU for a second (a sync under way keeps it busy),
    // and `done` holds; false when that takes longer than `limitMs`.
    bool settle(int limitMs, const std::function<bool()>& done = {}) {
        QElapsedTimer waited;
        waited.start();
        long long last = cpuTicks(pid());
        int quiet = 0;
        while (waited.elapsed() < limitMs) {
            QThread::msleep(250);
            const long long now = cpuTicks(pid());
            quiet = now - last <= 1 ? quiet + 1 : 0;
            last = now;
            if (quiet >= 4 && (!done || done()))
                return true;
        }
        return false;
    }

    Held held() const {
        return {double(statusKiB(pid(), "VmRSS:")) / 1024,
                double(statusKiB(pid(), "VmHWM:")) / 1024};
    }
    QString storePath() const { return dir_.filePath("store.json"); }

private:
    void setSync(bool on) {
        QFile defaults(dir_.filePath("defaults.json"));
        defaults.open(QIODevice::WriteOnly);
        defaults.write(on ? R"({"cloudSyncEnabled":true})" : R"({"cloudSyncEnabled":false})");
    }
    qint64 pid() const { return process_.processId(); }
    QStringList arguments(const QStringList& words) const {
        return QStringList{"--profile", dir_.path(), "--cloud", dir_.filePath("cloud.sqlite")} +
               words;
    }
    QProcessEnvironment environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", runtime());
        return environment;
    }
    QString runtime() const { return dir_.filePath("run"); }
    bool listening() const {
        return !QDir(runtime()).entryList({"*-window"}, QDir::System | QDir::Files).isEmpty();
    }
    int run(const QStringList& words) const {
        QProcess request;
        request.setProcessEnvironment(environment());
        request.start(program(), arguments(words));
        request.closeWriteChannel();
        // A first sync of a large store takes a while.
        request.waitForFinished(600'000);
        return request.exitStatus() == QProcess::NormalExit ? request.exitCode() : -1;
    }

    QTemporaryDir dir_;
    QProcess process_;
};

// The window without a store, settled: what every figure is above.
Held emptyWindow(bool syncOn) {
    Window window({}, syncOn);
    if (!window.show({}) || !window.settle(30'000))
        return {};
    return window.held();
}

void report(benchmark::State& state, const Held& store, const Held& empty, double fileBytes) {
    const double file = fileBytes / 1024 / 1024;
    state.counters["rss_MiB"] = store.rssMiB - empty.rssMiB;
    state.counters["peak_MiB"] = store.peakMiB - empty.peakMiB;
    state.counters["x_file"] = (store.rssMiB - empty.rssMiB) / file;
    state.counters["x_file_peak"] = (store.peakMiB - empty.peakMiB) / file;
    state.counters["file_MiB"] = file;
}

// A synced store, its first list shown.
void BM_WindowShowingAList(benchmark::State& state) {
    const bool syncOn = state.range(1) != 0;
    const QByteArray bytes = storeFile(int(state.range(0)));
    for (auto _ : state) {
        const Held empty = emptyWindow(syncOn);
        Window window(bytes, syncOn, true);
        if (!window.show("list 0") || !window.settle(120'000)) {
            state.SkipWithError("the window did not show the list");
            break;
        }
        report(state, window.held(), empty, double(QFileInfo(window.storePath()).size()));
    }
}

// A store filled with sync off, opened with sync on: the window's first sync sends it all.
// Measured once that sync has ended (nothing left marked in the file) and the window is
// quiet, beside the file the sync left.
void BM_WindowFirstSync(benchmark::State& state) {
    const QByteArray bytes = storeFile(int(state.range(0)));
    for (auto _ : state) {
        const Held empty = emptyWindow(true);
        Window window(bytes, true);
        const auto sent = [&] {
            QFile file(window.storePath());
            if (!file.open(QIODevice::ReadOnly))
                return false;
            try {
                return DiskV2::decode(file.readAll(), Date(0)).dirtyItems.isEmpty();
            } catch (const DecodeError&) {
                return false;
            }
        };
        if (!window.show("list 0") || !window.settle(600'000, sent)) {
            state.SkipWithError("the first sync did not end");
            break;
        }
        report(state, window.held(), empty, double(QFileInfo(window.storePath()).size()));
        state.counters["x_unsynced_file_peak"] =
            state.counters["peak_MiB"] / (double(bytes.size()) / 1024 / 1024);
    }
}

BENCHMARK(BM_WindowShowingAList)
    ->ArgsProduct({{10'000, 100'000}, {0, 1}})
    ->ArgNames({"items", "sync"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowFirstSync)
    ->Arg(10'000)
    ->Arg(100'000)
    ->ArgName("items")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // `window_bench --write-store FILE ITEMS` only writes a never-synced store, for profiling the
    // program by hand.
    if (argc == 4 && QByteArray(argv[1]) == "--write-store") {
        QFile file(QString::fromLocal8Bit(argv[2]));
        return file.open(QIODevice::WriteOnly) && file.write(storeFile(std::atoi(argv[3]))) > 0 ? 0
                                                                                                : 1;
    }
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
