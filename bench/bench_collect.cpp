// nxa-collect as a whole process: 100 simulated testers of 10,000 records
// each (127.0.0.2 to 127.0.0.101, one port) collected into an empty SQLite
// archive, the same collection again with nothing new, and the export of the
// 1,000,000 archived records to a workbook next to the manager's own workbook
// export of the same rows. Counters: archive bytes per record.
#include "SimulatedTesters.h"
#include "export/WorkbookExport.h"
#include "records/FixedWidthTextImport.h"
#include "samples/DataloggerImageBuilder.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
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

QByteArray testerImage(int tester) {
    records::SampleDataloggerOptions options;
    options.peripheralNumber = tester % 100 + 1;
    options.userCount = 1000;
    return records::sampleDatalogger(kRecords, 1000 + tester, options).transferImage();
}

// The simulated plant and its configuration, started once.
struct Plant {
    QTemporaryDir folder;
    QString archive;
    bench::SimulatedTesters testers;

    Plant()
        : archive(folder.filePath(QStringLiteral("nxa-archive.sqlite"))),
          testers(
              folder.path(), kTesters,
              [](int t) {
                  sim::SimulatorSettings settings;
                  settings.dataloggerImage = testerImage(t);
                  return settings;
              },
              QStringLiteral("archive=%1").arg(archive)) {}

    int collect(const QStringList &arguments) const {
        QProcess process;
        process.setWorkingDirectory(folder.path());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(NXA_COLLECT_PATH), arguments);
        process.waitForFinished(-1);
        return process.exitCode();
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

void CollectIntoEmptyArchive(benchmark::State &state) {
    for (auto _ : state) {
        state.PauseTiming();
        plant().removeArchive();
        state.ResumeTiming();
        if (plant().collect({QStringLiteral("download")}) != 0)
            state.SkipWithError("a tester failed");
    }
    state.counters["bytes/record"] =
        double(QFileInfo(plant().archive).size()) / (double(kTesters) * kRecords);
}
BENCHMARK(CollectIntoEmptyArchive)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void CollectAgainNothingNew(benchmark::State &state) {
    if (!QFileInfo::exists(plant().archive))
        plant().collect({QStringLiteral("download")});
    for (auto _ : state)
        if (plant().collect({QStringLiteral("download")}) != 0)
            state.SkipWithError("a tester failed");
    state.counters["bytes/record"] =
        double(QFileInfo(plant().archive).size()) / (double(kTesters) * kRecords);
}
BENCHMARK(CollectAgainNothingNew)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// CPU seconds of the finished child processes so far.
double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

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
