// What sync costs a person as builds of the program compare, each run as a person runs it:
// the first upload of a device that never synced, by one change request on a store of 10,000,
// 30,000 and 100,000 items through a container file; and everyday `add` and `tick` requests on
// a 10,000-item profile that has synced. Each figure is the time a request takes beside the
// bytes it wrote (what its process handed to write calls, and what of it reached the disk's
// queue). The builds run in turn, round by round, so that a busy machine weighs on each alike;
// the medians are printed with each build's ratio to the first.
//
//     first_upload_bench [label=program ...]
// names the builds (by default this build's program). TALLYBIRD_BENCH_SIZES lists the store
// sizes ("10000,30000,100000"), TALLYBIRD_BENCH_ROUNDS the first uploads per build and size
// (3), TALLYBIRD_BENCH_CHANGES the add and tick pairs per build (20); sizes "0" leaves the
// first uploads out.
#include "platform/Defaults.h"
#include "store/DiskV2.h"
#include "store/ListStore.h"
#include "support/SampleStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int itemsPerList = 100;

struct Build {
    QString label;
    QString program;
};

// What this process and the children it has waited for wrote so far.
struct Written {
    double wchar = 0;      // bytes handed to write calls
    double writeBytes = 0; // bytes sent towards the disk
};

Written writtenSoFar() {
    QFile io(QStringLiteral("/proc/self/io"));
    Written written;
    if (!io.open(QIODevice::ReadOnly))
        return written;
    for (const QByteArray& line : io.readAll().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() != 2)
            continue;
        if (parts[0] == "wchar:")
            written.wchar = parts[1].toDouble();
        else if (parts[0] == "write_bytes:")
            written.writeBytes = parts[1].toDouble();
    }
    return written;
}

// The processor time of the children waited for so far, user and system.
double childCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval& t) {
        return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

struct Figure {
    double ms = 0;
    double cpuMs = 0;
    Written written;
};

// A profile folder whose store holds `count` items in lists of 100, none of them ever synced,
// with sync switched on and a container of its own.
class Profile {
public:
    explicit Profile(int count) {
        // TALLYBIRD_BENCH_KEEP keeps the folders, for a look at what a run left.
        if (qEnvironmentVariableIsSet("TALLYBIRD_BENCH_KEEP")) {
            dir.setAutoRemove(false);
            std::fprintf(stderr, "profile %s\n", qPrintable(dir.path()));
        }
        QDir().mkpath(runtime());
        QFile::setPermissions(runtime(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        DiskV2 disk;
        const FieldSet listMarks = marksOfNew().first;
        const FieldSet itemMarks = marksOfNew().second;
        for (int l = 0; l < count / itemsPerList; ++l) {
            const TBList list = SampleStore::list(l);
            disk.lists.append(list);
            disk.dirtyLists.insert(list.id, listMarks);
            for (int i = 0; i < itemsPerList; ++i) {
                const TBItem item = SampleStore::item(list, l, i);
                disk.items.append(item);
                disk.dirtyItems.insert(item.id, itemMarks);
            }
        }
        SampleStore::completeFile(disk);
        QFile store(dir.filePath("store.json"));
        store.open(QIODevice::WriteOnly);
        store.write(disk.encode());
        store.close();
        QFile defaults(dir.filePath("defaults.json"));
        defaults.open(QIODevice::WriteOnly);
        defaults.write(R"({"cloudSyncEnabled":true})");
    }

    // Runs one request of `program` to its end.
    Figure run(const QString& program, const QStringList& words, QByteArray* printed = nullptr) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", runtime());
        process.setProcessEnvironment(environment);
        const Written before = writtenSoFar();
        const double cpuBefore = childCpuMs();
        QElapsedTimer timer;
        timer.start();
        process.start(
            program,
            QStringList{"--profile", dir.path(), "--cloud", dir.filePath("cloud.sqlite")} + words);
        process.closeWriteChannel();
        process.waitForFinished(-1);
        Figure figure;
        figure.ms = double(timer.nsecsElapsed()) / 1e6;
        figure.cpuMs = childCpuMs() - cpuBefore;
        const Written after = writtenSoFar();
        figure.written = {after.wchar - before.wchar, after.writeBytes - before.writeBytes};
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            std::fprintf(stderr, "%s %s failed: %s\n", qPrintable(program), qPrintable(words[0]),
                         process.readAllStandardError().constData());
        if (printed)
            *printed = process.readAllStandardOutput();
        return figure;
    }

    // Items the store still counts as unsent.
    qsizetype waiting() const {
        QFile store(dir.filePath("store.json"));
        store.open(QIODevice::ReadOnly);
        return DiskV2::decode(store.readAll(), Date(0)).dirtyItems.size();
    }

    static QString firstList() { return SampleStore::list(0).id; }

private:
    QString runtime() const { return dir.filePath("run"); }
    // The marks a list and an item made by a person carry before their first sync.
    static std::pair<FieldSet, FieldSet> marksOfNew() {
        static const std::pair<FieldSet, FieldSet> marks = [] {
            QTemporaryDir folder;
            MemoryDefaults defaults;
            ListStore store(folder.filePath("store.json"), false, false, defaults);
            const QString listID = store.addList(QStringLiteral("List")).id;
            const QString itemID = store.addItem(listID, QStringLiteral("Item")).value().id;
            return std::pair(store.dirtyLists().value(listID), store.dirtyItems().value(itemID));
        }();
        return marks;
    }

    QTemporaryDir dir;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

struct Series {
    std::vector<double> ms, cpuMs, wchar, writeBytes;
    void add(const Figure& figure) {
        ms.push_back(figure.ms);
        cpuMs.push_back(figure.cpuMs);
        wchar.push_back(figure.written.wchar);
        writeBytes.push_back(figure.written.writeBytes);
    }
};

// One line a build: median time and bytes, and the ratios to the first build's.
void print(const std::string& what, const std::vector<Build>& builds,
           std::map<QString, Series>& figures) {
    const Series& first = figures[builds.front().label];
    std::printf("%s\n", what.c_str());
    for (const Build& build : builds) {
        const Series& s = figures[build.label];
        std::printf("  %-10s %9.1f ms (cpu %9.1f ms) %9.1f MB written (%8.1f MB to disk)   "
                    "x%.2f time, x%.2f cpu, x%.2f bytes  [%zu runs]\n",
                    qPrintable(build.label), median(s.ms), median(s.cpuMs), median(s.wchar) / 1e6,
                    median(s.writeBytes) / 1e6, median(s.ms) / median(first.ms),
                    median(s.cpuMs) / median(first.cpuMs), median(s.wchar) / median(first.wchar),
                    s.ms.size());
    }
    std::fflush(stdout);
}

std::vector<int> sizes() {
    std::vector<int> out;
    const QString asked = qEnvironmentVariable("TALLYBIRD_BENCH_SIZES", "10000,30000,100000");
    for (const QString& size : asked.split(',', Qt::SkipEmptyParts)) {
        if (size.toInt() > 0)
            out.push_back(size.toInt());
    }
    return out;
}

int envInt(const char* name, int otherwise) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : otherwise;
}

void firstUploads(const std::vector<Build>& builds) {
    const int rounds = envInt("TALLYBIRD_BENCH_ROUNDS", 3);
    for (const int size : sizes()) {
        std::map<QString, Series> figures;
        for (int round = 0; round < rounds; ++round) {
            for (const Build& build : builds) {
                Profile profile(size);
                figures[build.label].add(profile.run(
                    build.program, {"add", "--list-id", Profile::firstList(), "first sync"}));
                if (const qsizetype left = profile.waiting())
                    std::fprintf(stderr, "%s left %lld items unsent\n", qPrintable(build.label),
                                 static_cast<long long>(left));
            }
        }
        print("first upload, " + std::to_string(size) + " items, container file", builds, figures);
    }
}

// Everyday changes: an item added, and an item of another list ticked off, on a profile that
// has synced, each a request of its own.
void everydayChanges(const std::vector<Build>& builds) {
    const int pairs = envInt("TALLYBIRD_BENCH_CHANGES", 20);
    if (pairs <= 0)
        return;
    std::map<QString, std::unique_ptr<Profile>> profiles;
    for (const Build& build : builds) {
        profiles[build.label] = std::make_unique<Profile>(10'000);
        profiles[build.label]->run(build.program,
                                   {"add", "--list-id", Profile::firstList(), "first sync"});
    }
    std::map<QString, Series> adds, ticks;
    for (int pair = 0; pair < pairs; ++pair) {
        for (const Build& build : builds) {
            Profile& profile = *profiles[build.label];
            adds[build.label].add(
                profile.run(build.program, {"add", "--list-id", Profile::firstList(), "bread"}));
            // Items not ticked yet: every third is ticked in the sample store.
            const int l = 1 + pair % 90;
            const int i = 1 + 3 * (pair / 90);
            QByteArray printed;
            ticks[build.label].add(
                profile.run(build.program,
                            {"tick", "--list", QStringLiteral("list %1").arg(l),
                             QStringLiteral("item number %1 tag%2").arg(i).arg(i % 7)},
                            &printed));
            if (!printed.startsWith("Ticked off "))
                std::fprintf(stderr, "%s tick: %s\n", qPrintable(build.label), printed.constData());
        }
    }
    print("add, 10,000 items, container file", builds, adds);
    print("tick, 10,000 items, container file", builds, ticks);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<Build> builds;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const qsizetype equals = arg.indexOf('=');
        if (equals > 0)
            builds.push_back({arg.left(equals), arg.mid(equals + 1)});
    }
    if (builds.empty())
        builds.push_back({QStringLiteral("this"), QStringLiteral(TALLYBIRD_EXECUTABLE)});
    firstUploads(builds);
    everydayChanges(builds);
    return 0;
}
