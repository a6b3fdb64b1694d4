// nxa-collect as a whole process: 100 simulated testers of 10,000 records
// each (127.0.0.2 to 127.0.0.101, one port) collected into an empty SQLite
// archive next to the floor of storing the same rows (executemany-floor.py),
// the same collection again with nothing new, again after every datalogger
// moved on by a few records (stored from where the last image ended, and
// whole), and the export of the archived records to a workbook next to the
// manager's own workbook export of the same rows. Counters: CPU seconds of
// the processes, archive bytes per record.
#include "SimulatedTesters.h"
#include "export/WorkbookExport.h"
#include "records/FixedWidthTextImport.h"
#include "samples/DataloggerImageBuilder.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace nxa;

namespace {

constexpr int kTesters = 100;
constexpr int kRecords = 10000;

// A full datalogger whose oldest `moved` records were overwritten by as many new ones.
QByteArray testerImage(int tester, int moved = 0) {
    records::SampleDataloggerOptions options;
    options.peripheralNumber = tester % 100 + 1;
    options.userCount = 1000;
    records::DataloggerImageBuilder builder = records::sampleDatalogger(0, 1000 + tester, options);
    const std::vector<records::AccessRecord> all =
        records::generateSampleRecords(kRecords + moved, 1000 + tester, options);
    builder.addRecords({all.begin() + moved, all.end()});
    return builder.transferImage();
}

sim::SimulatorSettings serving(const QByteArray &image) {
    sim::SimulatorSettings settings;
    settings.dataloggerImage = image;
    return settings;
}

// CPU seconds of the finished child processes so far.
double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The simulated plant and its configuration, started once.
struct Plant {
    QTemporaryDir folder;
    QString archive;
    bench::SimulatedTesters testers;

    Plant()
        : archive(folder.filePath(QStringLiteral("nxa-archive.sqlite"))),
          testers(
              folder.path(), kTesters, [](int t) { return serving(testerImage(t)); },
              QStringLiteral("archive=%1").arg(archive)) {}

    int collect(const QStringList &arguments) const {
        QProcess process;
        process.setWorkingDirectory(folder.path());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(NXA_COLLECT_PATH), arguments);
        process.waitForFinished(-1);
        return process.exitCode();
    }
    // A Python script's standard output; empty when it failed.
    QString python(const QStringList &arguments) const {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral("python3"), arguments);
        process.waitForFinished(-1);
        return process.exitCode() == 0 ? QString::fromUtf8(process.readAllStandardOutput())
                                       : QString();
    }
    // Every tester's datalogger moved on by `moved` records since the first collection.
    void moveOn(int moved) {
        for (int t = 0; t < kTesters; ++t)
            testers.restart(t, serving(testerImage(t, moved)));
    }
    void removeArchive() const {
        for (const char *suffix : {"", "-wal", "-shm", ".lock"})
            QFile::remove(archive + QLatin1String(suffix));
    }
};

Plant &plant() {
    static Plant p;
    return p;
}

// The collection's CPU against the floor's: the same rows read back from the
// archive and inserted with one executemany per tester, timed in the script.
void CollectIntoEmptyArchive(benchmark::State &state) {
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        plant().removeArchive();
        state.ResumeTiming();
        const double before = childCpuSeconds();
        if (plant().collect({QStringLiteral("download")}) != 0)
            state.SkipWithError("a tester failed");
        cpu += childCpuSeconds() - before;
    }
    state.counters["process_cpu_s"] = cpu / double(state.iterations());
    state.counters["bytes/record"] =
        double(QFileInfo(plant().archive).size()) / (double(kTesters) * kRecords);
    const QString floor =
        plant().python({QStringLiteral(NXA_BENCH_SOURCE_DIR "/executemany-floor.py"),
                        plant().archive, plant().folder.filePath(QStringLiteral("floor.sqlite"))});
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("cpu_s=([0-9.]+)")).match(floor);
    if (!match.hasMatch()) {
        state.SkipWithError("the floor script failed");
        return;
    }
    state.counters["floor_cpu_s"] = match.captured(1).toDouble();
    state.counters["cpu_ratio"] = cpu / double(state.iterations()) / match.captured(1).toDouble();
}
BENCHMARK(CollectIntoEmptyArchive)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void CollectAgainNothingNew(benchmark::State &state) {
    if (!QFileInfo::exists(plant().archive))
        plant().collect({QStringLiteral("download")});
    double cpu = 0;
    for (auto _ : state) {
        const double before = childCpuSeconds();
        if (plant().collect({QStringLiteral("download")}) != 0)
            state.SkipWithError("a tester failed");
        cpu += childCpuSeconds() - before;
    }
    state.counters["process_cpu_s"] = cpu / double(state.iterations());
    state.counters["bytes/record"] =
        double(QFileInfo(plant().archive).size()) / (double(kTesters) * kRecords);
}
BENCHMARK(CollectAgainNothingNew)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// Every datalogger moved on by 5 records since the last collection, turn
// about: stored from where each tester's last image ended, and stored whole
// (the last images forgotten first, as in an archive of an older layout).
void CollectFewNew(benchmark::State &state) {
    if (!QFileInfo::exists(plant().archive))
        plant().collect({QStringLiteral("download")});
    const bool whole = state.range(0) != 0;
    static int moved = 0;
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        plant().moveOn(moved += 5);
        if (whole && !plant()
                          .python({QStringLiteral("-c"),
                                   QStringLiteral("import sqlite3, sys; c = sqlite3.connect("
                                                  "sys.argv[1]); c.execute('DELETE FROM "
                                                  "last_images'); c.commit(); print('ok')"),
                                   plant().archive})
                          .startsWith(QLatin1String("ok")))
            state.SkipWithError("cannot forget the last images");
        state.ResumeTiming();
        const double before = childCpuSeconds();
        if (plant().collect({QStringLiteral("download")}) != 0)
            state.SkipWithError("a tester failed");
        cpu += childCpuSeconds() - before;
    }
    state.counters["process_cpu_s"] = cpu / double(state.iterations());
}
BENCHMARK(CollectFewNew)
    ->ArgName("whole")
    ->Arg(0)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

void ExportArchiveToWorkbook(benchmark::State &state) {
    if (!QFileInfo::exists(plant().archive))
        plant().collect({QStringLiteral("download")});
    const QString out = plant().folder.filePath(QStringLiteral("archive.xlsx"));
    double cpu = 0;
    for (auto _ : state) {
        const double before = childCpuSeconds();
        if (plant().collect({QStringLiteral("export"), QStringLiteral("/XLSX"), out}) != 0)
            state.SkipWithError("export failed");
        cpu += childCpuSeconds() - before;
    }
    state.counters["process_cpu_s"] = cpu / double(state.iterations());
}
BENCHMARK(ExportArchiveToWorkbook)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The manager's workbook export of the same 1,000,000 rows in the same order:
// the archive's text export, without its tester column, read back by the
// manager's own line parser.
void ManagerWorkbookExport(benchmark::State &state) {
    const QString text = plant().folder.filePath(QStringLiteral("archive.txt"));
    if (plant().collect({QStringLiteral("export"), QStringLiteral("/TXT"), text}) != 0)
        state.SkipWithError("text export failed");
    QFile file(text);
    file.open(QIODevice::ReadOnly);
    std::vector<records::Row> rows;
    // The collector's text puts the tester in front, as wide as the title line says.
    const qsizetype testerWidth = file.readLine().indexOf("Tester") + qsizetype(strlen("Tester"));
    while (!file.atEnd()) {
        QByteArray line = file.readLine().mid(testerWidth);
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        rows.push_back(records::rowFromTextLine(QString::fromUtf8(line)));
    }
    records::DataloggerTable table;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        table.insertAtTop(std::move(*row));
    rows.clear();
    const QString out = plant().folder.filePath(QStringLiteral("manager.xlsx"));
    for (auto _ : state)
        if (!exports::workbookExport(table, out).ok)
            state.SkipWithError("export failed");
    state.counters["rows"] = table.rowCount();
}
BENCHMARK(ManagerWorkbookExport)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
