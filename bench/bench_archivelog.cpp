// The archive's log as a whole process: 100 simulated testers of 10,000
// records each collected into a SQLite archive (1,000,000 records), then
// downloads in which every tester brings 10 % new records, with and without
// a checkpoint-key and a witness; `verify` of the whole archive; the size of
// one access's proof.
//   build-release/bench/bench_archivelog
#include "SimulatedTesters.h"
#include "samples/DataloggerImageBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

using namespace nxa;

namespace {

constexpr int kTesters = 100;
constexpr int kRecords = 10000;
constexpr int kNewShare = 10; // percent of a full datalogger per download

QByteArray testerImage(int tester, int moved) {
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
    return bench::answeringTester(image);
}

double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Plant {
    QTemporaryDir folder;
    QString archive;
    bench::SimulatedTesters testers;
    int moved = 0;

    Plant()
        : archive(folder.filePath(QStringLiteral("nxa-archive.sqlite"))),
          testers(
              folder.path(), kTesters, [](int t) { return serving(testerImage(t, 0)); },
              QStringLiteral("archive=%1").arg(archive)) {
        QDir(folder.path()).mkdir(QStringLiteral("witness"));
        QFile plain(folder.filePath(QStringLiteral("nxa-collect.ini")));
        plain.open(QIODevice::ReadOnly);
        QFile keyed(folder.filePath(QStringLiteral("keyed.ini")));
        keyed.open(QIODevice::WriteOnly);
        keyed.write("checkpoint-key=plant.key\nwitness=witness\n" + plain.readAll());
        keyed.close();
        run({QStringLiteral("keygen"), QStringLiteral("plant.key")});
        run({QStringLiteral("download")});
    }

    QByteArray run(const QStringList &arguments, int *exitCode = nullptr) const {
        QProcess process;
        process.setWorkingDirectory(folder.path());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(NXA_COLLECT_PATH), arguments);
        process.waitForFinished(-1);
        if (exitCode)
            *exitCode = process.exitCode();
        return process.readAllStandardOutput();
    }
    void moveOn() {
        moved += kRecords * kNewShare / 100;
        for (int t = 0; t < kTesters; ++t)
            testers.serve(t, serving(testerImage(t, moved)));
    }
};

Plant &plant() {
    static Plant p;
    return p;
}

// A download in which every tester brings 1,000 new records, without and
// with a checkpoint at its end.
void DownloadTenPercentNew(benchmark::State &state) {
    const bool keyed = state.range(0) != 0;
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        plant().moveOn();
        state.ResumeTiming();
        const double before = childCpuSeconds();
        int exitCode = 0;
        plant().run(keyed ? QStringList{QStringLiteral("--config"), QStringLiteral("keyed.ini"),
                                        QStringLiteral("download")}
                          : QStringList{QStringLiteral("download")},
                    &exitCode);
        if (exitCode != 0)
            state.SkipWithError("the download failed");
        cpu += childCpuSeconds() - before;
    }
    state.counters["process_cpu_s"] = cpu / double(state.iterations());
}
BENCHMARK(DownloadTenPercentNew)
    ->ArgName("checkpoint")
    ->Arg(0)
    ->Arg(1)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

void VerifyWholeArchive(benchmark::State &state) {
    int exitCode = 0;
    plant().run(
        {QStringLiteral("--config"), QStringLiteral("keyed.ini"), QStringLiteral("download")});
    double cpu = 0;
    for (auto _ : state) {
        const double before = childCpuSeconds();
        plant().run({QStringLiteral("--config"), QStringLiteral("keyed.ini"),
                     QStringLiteral("verify"), QStringLiteral("--witness"),
                     QStringLiteral("witness")},
                    &exitCode);
        cpu += childCpuSeconds() - before;
        if (exitCode != 0)
            state.SkipWithError("verify did not find the archive intact");
    }
    state.counters["process_cpu_s"] = cpu / double(state.iterations());
}
BENCHMARK(VerifyWholeArchive)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void ProofOfOneAccess(benchmark::State &state) {
    QProcess sqlite;
    sqlite.start(QStringLiteral("sqlite3"),
                 {plant().archive, QStringLiteral("SELECT t.name, r.record_date || ' ' || "
                                                  "r.record_time, r.user_number FROM records r "
                                                  "JOIN testers t ON t.id = r.tester ORDER BY "
                                                  "r.attempt DESC LIMIT 1")});
    sqlite.waitForFinished(-1);
    const QStringList fields =
        QString::fromUtf8(sqlite.readAllStandardOutput()).trimmed().split(QLatin1Char('|'));
    const QString proof = plant().folder.filePath(QStringLiteral("one.tlog-proof"));
    int exitCode = 0;
    for (auto _ : state)
        plant().run({QStringLiteral("--config"), QStringLiteral("keyed.ini"),
                     QStringLiteral("prove"), QStringLiteral("--tester"), fields.value(0),
                     QStringLiteral("--record"), fields.value(1), QStringLiteral("--user"),
                     fields.value(2), QStringLiteral("--output"), proof},
                    &exitCode);
    if (exitCode != 0)
        state.SkipWithError("prove failed");
    state.counters["proof_bytes"] = double(QFileInfo(proof).size());
}
BENCHMARK(ProofOfOneAccess)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
