// nxa-collect as a whole process: 100 simulated testers of 10,000 records
// each (127.0.0.2 to 127.0.0.101, one port) collected into an empty SQLite
// archive next to the floor of storing the same rows (executemany-floor.py),
// the same collection again with nothing new, again after every datalogger
// moved on by a few records (stored from where the last image ended, and
// whole), and the export of the archived records to a workbook next to the
// manager's own workbook export of the same rows. Counters: CPU seconds of
// the processes, archive bytes per record.
//
// With NXA_POSTGRES_URL naming a server (scripts/with-postgres.sh), the same
// plant is collected into a database of that server, empty and then with
// every image changed by a few new records, side by side with a COPY floor:
// the same rows copied straight into the same table, one transaction per
// tester. Counters there: the collector's and the server's CPU seconds.
//
// Every whole-process figure comes with its wall time beside its CPU time,
// and a run that mostly waited is labelled so.
//   scripts/with-postgres.sh build-release/bench/bench_collect --benchmark_filter=Postgres
#include "ProcessTimes.h"
#include "SimulatedTesters.h"
#include "config/ConfigurationImage.h"
#include "config/StationConfig.h"
#include "export/WorkbookExport.h"
#include "records/DataloggerImage.h"
#include "records/FixedWidthTextImport.h"
#include "samples/DataloggerImageBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

#include <benchmark/benchmark.h>

#include <libpq-fe.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstring>
#include <ctime>
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
    return bench::answeringTester(image);
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
            testers.serve(t, serving(testerImage(t, moved)));
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

// One download of the whole plant, its times added to `times`.
void collectOnce(benchmark::State &state, bench::ChildTimes &times) {
    times.start();
    if (plant().collect({QStringLiteral("download")}) != 0)
        state.SkipWithError("a tester failed");
    times.stop();
}

// The collection's CPU against the floor's: the same rows read back from the
// archive and inserted with one executemany per tester, timed in the script.
void CollectIntoEmptyArchive(benchmark::State &state) {
    bench::ChildTimes times;
    for (auto _ : state) {
        state.PauseTiming();
        plant().removeArchive();
        state.ResumeTiming();
        collectOnce(state, times);
    }
    times.report(state);
    const double cpu = times.cpuSeconds();
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
    bench::ChildTimes times;
    for (auto _ : state)
        collectOnce(state, times);
    times.report(state);
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
    bench::ChildTimes times;
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
        collectOnce(state, times);
    }
    times.report(state);
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
    bench::ChildTimes times;
    for (auto _ : state) {
        times.start();
        if (plant().collect({QStringLiteral("export"), QStringLiteral("/XLSX"), out}) != 0)
            state.SkipWithError("export failed");
        times.stop();
    }
    times.report(state);
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

// PostgreSQL, side by side with the COPY floor.

constexpr int kNewPerImage = 10;

// Tester t's image after it wrote kNewPerImage more records over its oldest.
QByteArray changedImage(int tester) {
    using namespace records;
    QByteArray image = testerImage(tester);
    SampleDataloggerOptions options;
    options.peripheralNumber = tester % 100 + 1;
    options.userCount = 1000;
    const DataloggerImageBuilder fresh = sampleDatalogger(kNewPerImage, 5000 + tester, options);
    for (int i = 0; i < kNewPerImage; ++i) {
        const QByteArray bytes = fresh.records()[static_cast<size_t>(i)].toBytes();
        const int at =
            (kPreambleRecordCount + kFirstAccessBlock + i / kAccessRecordsPerBlock) * kRecordSize +
            (i % kAccessRecordsPerBlock) * kAccessRecordSize;
        image.replace(at, bytes.size(), bytes);
    }
    return image;
}

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// The user and system seconds of one process and, with `children`, of its
// ended children, from /proc/<pid>/stat.
double procSeconds(const QString &pid, bool children, qint64 *parent = nullptr) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = file.readAll();
    // Fields after the command name, which may hold spaces: state is field 3.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 15)
        return 0;
    if (parent)
        *parent = fields[1].toLongLong();
    double ticks = fields[11].toDouble() + fields[12].toDouble();
    if (children)
        ticks += fields[13].toDouble() + fields[14].toDouble();
    return ticks / double(sysconf(_SC_CLK_TCK));
}

// The server of NXA_POSTGRES_URL: a connection for the bench's own
// statements and the CPU time of all its processes.
class PostgresServer {
public:
    static PostgresServer *get() {
        static std::unique_ptr<PostgresServer> server;
        if (!server && !qEnvironmentVariableIsEmpty("NXA_POSTGRES_URL"))
            server.reset(new PostgresServer(qEnvironmentVariable("NXA_POSTGRES_URL")));
        return server.get();
    }
    QString url(const QString &database) const {
        QUrl url = m_url;
        url.setPath(QLatin1Char('/') + database);
        return url.toString();
    }
    PGconn *connect(const QString &database) const {
        PGconn *connection = PQconnectdb(url(database).toUtf8().constData());
        if (PQstatus(connection) != CONNECTION_OK) {
            std::fprintf(stderr, "%s", PQerrorMessage(connection));
            std::exit(1);
        }
        return connection;
    }
    // The postmaster, the backends it has reaped, and those still running.
    double cpuSeconds() const {
        double seconds = procSeconds(m_postmaster, true);
        const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
        for (const QString &pid : pids) {
            qint64 parent = 0;
            if (pid.front().isDigit()) {
                const double own = procSeconds(pid, false, &parent);
                if (QString::number(parent) == m_postmaster)
                    seconds += own;
            }
        }
        return seconds;
    }

private:
    explicit PostgresServer(const QString &url) : m_url(url) {
        PGconn *connection = connect(m_url.path().mid(1));
        PGresult *folder = PQexec(connection, "SHOW data_directory");
        QFile pidFile(QString::fromUtf8(PQgetvalue(folder, 0, 0)) +
                      QStringLiteral("/postmaster.pid"));
        PQclear(folder);
        PQfinish(connection);
        if (pidFile.open(QIODevice::ReadOnly))
            m_postmaster = QString::fromLatin1(pidFile.readLine().trimmed());
    }
    QUrl m_url;
    QString m_postmaster;
};

void run(PGconn *connection, const QByteArray &sql) {
    PGresult *result = PQexec(connection, sql.constData());
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        std::fprintf(stderr, "%s: %s", sql.constData(), PQresultErrorMessage(result));
        std::exit(1);
    }
    PQclear(result);
}

qint64 number(PGconn *connection, const QByteArray &sql) {
    PGresult *result = PQexec(connection, sql.constData());
    const qint64 value =
        PQntuples(result) == 1 ? QByteArray(PQgetvalue(result, 0, 0)).toLongLong() : -1;
    PQclear(result);
    return value;
}

constexpr char kArchiveDatabase[] = "nxa_bench_archive";

struct PostgresPlant {
    QTemporaryDir folder;
    bench::SimulatedTesters testers;

    PostgresPlant()
        : testers(
              folder.path(), kTesters, [](int t) { return serving(testerImage(t)); },
              QStringLiteral("archive=%1")
                  .arg(PostgresServer::get()->url(QLatin1String(kArchiveDatabase)))) {}

    int collect() const {
        QProcess process;
        process.setWorkingDirectory(folder.path());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(NXA_COLLECT_PATH), {QStringLiteral("download")});
        process.waitForFinished(-1);
        return process.exitCode();
    }
    void serveImages(const std::function<QByteArray(int)> &image) {
        for (int t = 0; t < kTesters; ++t)
            testers.serve(t, serving(image(t)));
    }
};

PostgresPlant &postgresPlant() {
    static PostgresPlant p;
    return p;
}

// Runs one collection and notes its CPU seconds, the server's and the rows it added.
void timeCollection(benchmark::State &state, PGconn *archive) {
    const qint64 before = number(archive, "SELECT COUNT(*) FROM records");
    bench::ChildTimes collector;
    double server = 0;
    for (auto _ : state) {
        collector.start();
        const double serverBefore = PostgresServer::get()->cpuSeconds();
        if (postgresPlant().collect() != 0)
            state.SkipWithError("a tester failed");
        collector.stop();
        server += PostgresServer::get()->cpuSeconds() - serverBefore;
    }
    const qint64 rows = number(archive, "SELECT COUNT(*) FROM records");
    // The server works while the collector waits for it: both together
    // are the work the wall time is held against.
    collector.report(state, server);
    state.counters["collector_cpu_s"] = collector.cpuSeconds();
    state.counters["server_cpu_s"] = server;
    state.counters["added"] = double(rows - before);
    state.counters["bytes/record"] =
        double(number(archive, "SELECT pg_total_relation_size('records')")) / double(rows);
}

void PostgresCollectIntoEmptyArchive(benchmark::State &state) {
    if (!PostgresServer::get()) {
        state.SkipWithError("NXA_POSTGRES_URL names no server");
        return;
    }
    PostgresPlant &plant = postgresPlant();
    plant.serveImages([](int t) { return testerImage(t); });
    PGconn *admin = PostgresServer::get()->connect(QStringLiteral("postgres"));
    run(admin, QByteArray("DROP DATABASE IF EXISTS ") + kArchiveDatabase);
    run(admin, QByteArray("CREATE DATABASE ") + kArchiveDatabase);
    PQfinish(admin);
    PGconn *archive = PostgresServer::get()->connect(QLatin1String(kArchiveDatabase));
    timeCollection(state, archive);
    PQfinish(archive);
}
BENCHMARK(PostgresCollectIntoEmptyArchive)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

// The same rows as the archive holds, copied in binary form into an empty
// table of the records table's layout, key and references, one transaction
// per tester on one connection.
void PostgresCopyFloor(benchmark::State &state) {
    if (!PostgresServer::get()) {
        state.SkipWithError("NXA_POSTGRES_URL names no server");
        return;
    }
    PGconn *archive = PostgresServer::get()->connect(QLatin1String(kArchiveDatabase));
    std::vector<QByteArray> rows;
    PGresult *testers = PQexec(archive, "SELECT id FROM testers ORDER BY id");
    for (int t = 0; t < PQntuples(testers); ++t) {
        const QByteArray copy = QByteArray("COPY (SELECT * FROM records WHERE tester = ") +
                                PQgetvalue(testers, t, 0) +
                                " ORDER BY seq) TO STDOUT (FORMAT binary)";
        PQclear(PQexec(archive, copy.constData()));
        QByteArray data;
        char *chunk = nullptr;
        int size = 0;
        while ((size = PQgetCopyData(archive, &chunk, 0)) > 0) {
            data.append(chunk, size);
            PQfreemem(chunk);
        }
        while (PGresult *rest = PQgetResult(archive))
            PQclear(rest);
        rows.push_back(data);
    }
    PQclear(testers);
    run(archive, "DROP TABLE IF EXISTS records_floor");
    run(archive, "CREATE TABLE records_floor (LIKE records INCLUDING ALL, FOREIGN KEY (tester) "
                 "REFERENCES testers (id), FOREIGN KEY (attempt) REFERENCES attempts (id))");
    double own = 0, server = 0;
    for (auto _ : state) {
        const double ownBefore = processCpuSeconds();
        const double serverBefore = PostgresServer::get()->cpuSeconds();
        for (const QByteArray &data : rows) {
            run(archive, "BEGIN");
            PGresult *copy = PQexec(archive, "COPY records_floor FROM STDIN (FORMAT binary)");
            PQclear(copy);
            PQputCopyData(archive, data.constData(), int(data.size()));
            PQputCopyEnd(archive, nullptr);
            while (PGresult *result = PQgetResult(archive)) {
                if (PQresultStatus(result) != PGRES_COMMAND_OK)
                    state.SkipWithError(PQresultErrorMessage(result));
                PQclear(result);
            }
            run(archive, "COMMIT");
        }
        own += processCpuSeconds() - ownBefore;
        server += PostgresServer::get()->cpuSeconds() - serverBefore;
    }
    const qint64 count = number(archive, "SELECT COUNT(*) FROM records_floor");
    state.counters["client_cpu_s"] = own;
    state.counters["server_cpu_s"] = server;
    state.counters["added"] = double(count);
    state.counters["bytes/record"] =
        double(number(archive, "SELECT pg_total_relation_size('records_floor')")) / double(count);
    run(archive, "DROP TABLE records_floor");
    PQfinish(archive);
}
BENCHMARK(PostgresCopyFloor)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// Every tester wrote a few records over its oldest since the collection above.
void PostgresCollectChangedImages(benchmark::State &state) {
    if (!PostgresServer::get()) {
        state.SkipWithError("NXA_POSTGRES_URL names no server");
        return;
    }
    postgresPlant().serveImages(changedImage);
    PGconn *archive = PostgresServer::get()->connect(QLatin1String(kArchiveDatabase));
    timeCollection(state, archive);
    PQfinish(archive);
}
BENCHMARK(PostgresCollectChangedImages)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

} // namespace

// An archive of the first layout, 1,000,000 records over 3,000 days,
// brought up to date by the download that finds it (its one tester is
// absent). Timed: the whole nxa-collect process.
void UpgradeFirstLayout(benchmark::State &state) {
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir folder;
        const QString archive = folder.filePath(QStringLiteral("nxa-archive.sqlite"));
        // Made without the plant of the other benchmarks.
        QProcess made;
        made.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        made.start(QStringLiteral("python3"),
                   {QStringLiteral(NXA_BENCH_SOURCE_DIR "/first-layout-archive.py"), archive,
                    QString::number(state.range(0)), QString::number(state.range(1))});
        if (!made.waitForFinished(-1) || made.exitCode() != 0) {
            state.SkipWithError("the first-layout archive was not written");
            return;
        }
        QFile ini(folder.filePath(QStringLiteral("nxa-collect.ini")));
        if (!ini.open(QIODevice::WriteOnly) ||
            ini.write(QStringLiteral("archive=%1\n[absent]\naddress=127.0.0.1\nport=1\n"
                                     "password-file=none\n")
                          .arg(archive)
                          .toUtf8()) < 0) {
            state.SkipWithError("no configuration");
            return;
        }
        ini.close();
        QProcess process;
        process.setWorkingDirectory(folder.path());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        state.ResumeTiming();
        process.start(QStringLiteral(NXA_COLLECT_PATH), {QStringLiteral("download")});
        process.waitForFinished(-1);
        state.PauseTiming();
        // The tester is absent; a run that could not prepare the archive says so first.
        if (QString::fromUtf8(process.readAllStandardOutput()).isEmpty())
            state.SkipWithError("the archive was not brought up to date");
        state.ResumeTiming();
    }
}
BENCHMARK(UpgradeFirstLayout)
    ->Args({1000000, 3000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
