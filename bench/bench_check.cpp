// The morning check of a plant-sized archive as a whole process: 100
// simulated testers, each with 50 persons and 10,000 records over the 90 days
// before today (1,000,000 records, 5,000 persons), collected once into a
// SQLite archive together with their configurations; then `nxa-collect check`
// of yesterday, timed in wall and CPU time with its peak memory. A second
// archive with the same persons over 45 days (half the records) shows how the
// cost grows with records. Then the audit report of the last 30 days of the
// full archive, in HTML and in PDF. Last, the web view's plant page on the
// full archive: the first request, which computes it, and the requests per
// second once it is kept.
#include "SimulatedTesters.h"
#include "config/ConfigurationImage.h"
#include "samples/DataloggerImageBuilder.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using namespace nxa;

namespace {

constexpr int kTesters = 100;
constexpr int kPersons = 50;
constexpr int kRecords = 10000;

// Records spread evenly over `days` days ending yesterday, each person's
// values steady with a little spread, one in twenty first tests failing.
QByteArray testerImage(int tester, int days) {
    records::DataloggerImageBuilder builder;
    builder.setPeripheralNumber(tester % 100 + 1);
    for (int p = 1; p <= kPersons; ++p)
        builder.setUserName(p, "Person " + QByteArray::number(tester * kPersons + p));
    const QDate yesterday = QDate::currentDate().addDays(-1);
    quint32 dice = 2654435761U * quint32(tester + 1);
    for (int i = 0; i < kRecords; ++i) {
        dice = dice * 1664525U + 1013904223U;
        const int day = i * days / kRecords;
        const QDate d = yesterday.addDays(day - days + 1);
        const int firstOfDay = (day * kRecords + days - 1) / days;
        // The day's records in the order of their times, 06:00 to 18:00.
        const int second = 6 * 3600 + (i - firstOfDay) * 12 * 3600 * days / kRecords;
        records::AccessRecord r;
        r.user = quint16(1 + i % kPersons);
        r.footwear = 1000 + (dice >> 20) % 200 + r.user * 20;
        r.right = 1100 + (dice >> 12) % 200 + r.user * 20;
        r.wristStrap = 4000 + (dice >> 4) % 500;
        r.timestamp = records::AccessRecord::dosTimestamp(d.year(), d.month(), d.day(),
                                                          second / 3600, second / 60 % 60, 0);
        // One first test in sixteen fails; the person passes later that day,
        // as at a real entrance (the day's second half of records all pass).
        const bool failed = (dice >> 28) == 0 && i - firstOfDay < kPersons &&
                            (i + kPersons) * days / kRecords == day;
        r.flags = failed ? 0 : records::kFlagPass | records::kFlagRelay;
        builder.addRecord(r);
    }
    return builder.transferImage();
}

QByteArray testerConfiguration(int tester) {
    config::StationConfig station;
    station.setPeripheralNumber(tester % 100 + 1);
    for (int u = 0; u < config::kUserCount; ++u)
        station.users[size_t(u)].active = u >= 1 && u <= kPersons;
    return config::encodeConfigurationTransfer(station);
}

struct Figures {
    double cpuSeconds = 0;
    double peakMegabytes = 0;
};

// One archive of the plant, collected once.
struct Archive {
    QTemporaryDir folder;

    explicit Archive(int days) {
        // For profiling the check by hand: the archive stays and says where.
        if (qEnvironmentVariableIsSet("NXA_BENCH_KEEP_ARCHIVE")) {
            folder.setAutoRemove(false);
            qInfo("archive of %d days kept in %s", days, qPrintable(folder.path()));
        }
        {
            const bench::SimulatedTesters testers(
                folder.path(), kTesters,
                [days](int t) {
                    sim::SimulatorSettings settings;
                    settings.dataloggerImage = testerImage(t, days);
                    settings.configurationImage = testerConfiguration(t);
                    return settings;
                },
                QStringLiteral("archive=nxa-archive.sqlite"));
            if (run({QStringLiteral("download")}).cpuSeconds < 0)
                qFatal("the collection failed");
        }
    }

    // Runs nxa-collect in the archive's folder, under /usr/bin/time for the
    // CPU time and peak memory of that process alone.
    Figures run(const QStringList &arguments) const {
        QProcess process;
        process.setWorkingDirectory(folder.path());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(QStringLiteral("/usr/bin/time"),
                      QStringList{QStringLiteral("-f"), QStringLiteral("%U %S %M"),
                                  QStringLiteral(NXA_COLLECT_PATH)} +
                          arguments);
        process.waitForFinished(-1);
        const int code = process.exitCode();
        const QList<QByteArray> fields =
            process.readAllStandardError().trimmed().split('\n').last().split(' ');
        if (process.exitStatus() != QProcess::NormalExit || code == 1 || code == 2 ||
            fields.size() != 3)
            return {-1, 0};
        return {fields[0].toDouble() + fields[1].toDouble(), fields[2].toDouble() / 1024.0};
    }
};

const Archive &fullArchive() {
    static Archive full(90);
    return full;
}

void CheckYesterday(benchmark::State &state) {
    static Archive half(45);
    const Archive &archive = state.range(0) == 90 ? fullArchive() : half;
    Figures figures;
    for (auto _ : state) {
        figures = archive.run({QStringLiteral("check")});
        if (figures.cpuSeconds < 0)
            state.SkipWithError("check failed");
    }
    state.counters["records"] = double(kTesters) * kRecords * 1.0;
    state.counters["days"] = double(state.range(0));
    state.counters["process_cpu_s"] = figures.cpuSeconds;
    state.counters["peak_MB"] = figures.peakMegabytes;
}
BENCHMARK(CheckYesterday)
    ->Arg(90)
    ->Arg(45)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

// The audit report of the last 30 days: 0 HTML, 1 PDF; counter: file size.
void ReportOfThePlant(benchmark::State &state) {
    const Archive &full = fullArchive();
    const bool pdf = state.range(0) == 1;
    const QString path = full.folder.filePath(pdf ? "report.pdf" : "report.html");
    Figures figures;
    for (auto _ : state) {
        figures = full.run({QStringLiteral("report"),
                            pdf ? QStringLiteral("--pdf") : QStringLiteral("--html"), path});
        if (figures.cpuSeconds < 0)
            state.SkipWithError("report failed");
    }
    state.counters["process_cpu_s"] = figures.cpuSeconds;
    state.counters["peak_MB"] = figures.peakMegabytes;
    state.counters["file_MB"] = double(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(ReportOfThePlant)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();

// One GET of `target` on a new connection; the answer's status.
int ask(quint16 port, const QByteArray &target) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000))
        return 0;
    socket.write("GET " + target + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    QByteArray answer;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(120000))
        answer += socket.readAll();
    answer += socket.readAll();
    return answer.mid(9, 3).toInt();
}

// 0: the first request of the plant page (computed); 1: requests once kept.
void ServePlantPage(benchmark::State &state) {
    const Archive &full = fullArchive();
    QProcess serve;
    serve.setWorkingDirectory(full.folder.path());
    serve.start(
        QStringLiteral(NXA_COLLECT_PATH),
        {QStringLiteral("serve"), QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")});
    quint16 port = 0;
    static const QRegularExpression url(QStringLiteral(":(\\d+)/$"));
    while (port == 0 && serve.waitForReadyRead(10000))
        if (const auto m = url.match(QString::fromUtf8(serve.readLine()).trimmed()); m.hasMatch())
            port = quint16(m.captured(1).toUInt());
    if (port == 0) {
        state.SkipWithError("serve did not start");
        return;
    }
    if (state.range(0) == 1 && ask(port, "/") != 200)
        state.SkipWithError("the plant page failed");
    for (auto _ : state)
        if (ask(port, "/") != 200)
            state.SkipWithError("the plant page failed");
    if (state.range(0) == 1)
        state.counters["requests_per_s"] =
            benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    serve.terminate();
    serve.waitForFinished();
}
BENCHMARK(ServePlantPage)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ServePlantPage)->Arg(1)->Iterations(2000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
