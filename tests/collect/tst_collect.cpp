// nxa-collect end to end: the real executable against simulated testers on
// their own loopback addresses, one port, and a real archive (a SQLite file,
// or a database on the PostgreSQL server that NXA_POSTGRES_URL names).

#include "SimulatorThread.h"
#include "records/DataloggerMerge.h"
#include "samples/DataloggerImageBuilder.h"
#include "support/TestFiles.h"

#include "../export/WorkbookReader.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

using namespace nxa;
using records::AccessRecord;
using sim::Scenario;

namespace {

QString binary(const char *relative) {
    return QStringLiteral(NXA_BINARY_DIR "/") + QLatin1String(relative);
}

bool usePostgres() {
    return qEnvironmentVariable("NXA_COLLECT_ARCHIVE") == QLatin1String("postgres");
}

struct Run {
    int exitCode = -1;
    QStringList lines; // standard output
    QString errors;
};

Run finish(QProcess &process) {
    Run run;
    if (!process.waitForFinished(120000))
        process.kill();
    process.waitForFinished();
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.lines = QString::fromUtf8(process.readAllStandardOutput())
                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QProcessEnvironment quietEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return environment;
}

// A datalogger image of the given records; user k is named "User k".
QByteArray image(const std::vector<AccessRecord> &records, int peripheral = 1) {
    records::DataloggerImageBuilder builder;
    builder.setPeripheralNumber(peripheral);
    for (int user = 0; user < 20; ++user)
        builder.setUserName(user, "User " + QByteArray::number(user));
    builder.addRecords(records);
    return builder.transferImage();
}

AccessRecord access(quint16 user, QDate date, bool pass = true) {
    AccessRecord record;
    record.user = user;
    record.footwear = 100 + user;
    record.right = 200;
    record.wristStrap = 300;
    record.timestamp =
        AccessRecord::dosTimestamp(date.year(), date.month(), date.day(), 8, user % 60, 0);
    record.flags = pass ? records::kFlagPass : 0;
    return record;
}

// The manager's rows of an image, each as its 14 cells on one line, sorted:
// what the archive must hold for that tester, as a multiset.
QStringList managerRows(const QByteArray &transferImage) {
    records::DataloggerTable table;
    records::mergeDataloggerImage(table, transferImage);
    QStringList rows;
    for (int r = 0; r < table.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < records::kColumnCount; ++c)
            cells.append(table.cell(r, c));
        rows.append(cells.join(QLatin1Char('|')));
    }
    rows.sort();
    return rows;
}

// Simulated testers at 127.0.0.2, 127.0.0.3, ... on one port, a password
// file, a configuration and an archive of the test's own.
class Plant {
public:
    Plant() {
        m_passwordFile = m_folder.filePath(QStringLiteral("tester.pw"));
        test::writeFile(m_passwordFile, "583041\n");
        QFile::setPermissions(m_passwordFile, QFile::ReadOwner | QFile::WriteOwner);
        m_archive = usePostgres() ? freshPostgresDatabase()
                                  : m_folder.filePath(QStringLiteral("nxa-archive.sqlite"));
    }
    ~Plant() { QSqlDatabase::removeDatabase(m_connection); }

    QString folder() const { return m_folder.path(); }
    QString archive() const { return m_archive; }
    quint16 port() const { return m_port; }
    QString address(int tester) const { return QStringLiteral("127.0.0.%1").arg(tester + 2); }

    // Adds a tester named t<index>; false when its simulator cannot listen.
    bool addTester(const sim::SimulatorSettings &settings) {
        const int index = static_cast<int>(m_simulators.size());
        m_settings.push_back(settings);
        m_simulators.push_back(nullptr);
        return restart(index, settings);
    }
    // Serves new settings at the same address and port.
    bool restart(int index, const sim::SimulatorSettings &settings) {
        m_settings[static_cast<size_t>(index)] = settings;
        auto &slot = m_simulators[static_cast<size_t>(index)];
        slot.reset();
        slot = std::make_unique<sim::SimulatorThread>(settings);
        if (!slot->start(QHostAddress(address(index)), m_port))
            return false;
        m_port = slot->port();
        return true;
    }
    // A tester at an address where nothing listens.
    void addAbsentTester() {
        m_settings.push_back({});
        m_simulators.push_back(nullptr);
    }
    int testerCount() const { return static_cast<int>(m_settings.size()); }
    const QByteArray &datalogger(int index) const {
        return m_settings[static_cast<size_t>(index)].dataloggerImage;
    }

    void writeConfig(int lockWaitSeconds = 120, const QString &passwordFile = {}) {
        QString ini =
            QStringLiteral("archive=%1\nlock-wait=%2\n").arg(m_archive).arg(lockWaitSeconds);
        for (int i = 0; i < testerCount(); ++i)
            ini += QStringLiteral("[t%1]\naddress=%2\nport=%3\npassword-file=%4\n")
                       .arg(i)
                       .arg(address(i))
                       .arg(m_port)
                       .arg(passwordFile.isEmpty() ? m_passwordFile : passwordFile);
        test::writeFile(m_folder.filePath(QStringLiteral("nxa-collect.ini")), ini.toUtf8());
    }

    void start(QProcess &process, const QStringList &arguments) const {
        process.setProcessEnvironment(quietEnvironment());
        process.setWorkingDirectory(m_folder.path());
        process.start(binary("src/collect/nxa-collect"), arguments);
    }
    Run collect(const QStringList &arguments) const {
        QProcess process;
        start(process, arguments);
        return finish(process);
    }
    // The manager's own command-line download of a tester.
    Run manager(int index, const QString &format, const QString &file) const {
        QProcess process;
        QProcessEnvironment environment = quietEnvironment();
        environment.insert(QStringLiteral("NXA_TESTER_PORT"), QString::number(m_port));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_folder.path());
        process.start(binary("src/app/nxa-manager"),
                      {address(index), QStringLiteral("583041"), format, file});
        return finish(process);
    }

    QSqlDatabase database() {
        if (QSqlDatabase::contains(m_connection))
            return QSqlDatabase::database(m_connection);
        QSqlDatabase db;
        if (usePostgres()) {
            db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connection);
            const QUrl url(m_archive);
            db.setHostName(url.host());
            db.setPort(url.port());
            db.setUserName(url.userName());
            db.setDatabaseName(url.path().mid(1));
        } else {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
            db.setDatabaseName(m_archive);
        }
        db.open();
        return db;
    }
    QVariant value(const QString &sql) {
        QSqlQuery query(database());
        if (!query.exec(sql) || !query.next())
            return {};
        return query.value(0);
    }
    // What the archive holds for tester t<index>, as managerRows() gives it.
    QStringList archivedRows(int index) {
        QSqlQuery query(database());
        query.exec(QStringLiteral(
                       "SELECT pn, user_id, visitor, user_name, wrist_strap, shoe_l, shoe_r, "
                       "shoe_lr, passed, relay, recognition, record_date, record_time, raw FROM "
                       "records r JOIN testers t ON t.id = r.tester WHERE t.name = 't%1'")
                       .arg(index));
        QStringList rows;
        while (query.next()) {
            QStringList cells;
            for (int c = 0; c < 13; ++c)
                cells.append(query.value(c).toString());
            QString raw;
            for (char byte : query.value(13).toByteArray())
                raw += QString::number(static_cast<quint8>(byte)) + QLatin1Char('-');
            cells.append(raw);
            rows.append(cells.join(QLatin1Char('|')));
        }
        rows.sort();
        return rows;
    }

private:
    static QString freshPostgresDatabase() {
        static int counter = 0;
        const QUrl server(qEnvironmentVariable("NXA_POSTGRES_URL"));
        const QString name =
            QStringLiteral("nxa_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
        {
            QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            admin.setHostName(server.host());
            admin.setPort(server.port());
            admin.setUserName(server.userName());
            admin.setDatabaseName(server.path().mid(1));
            if (admin.open())
                QSqlQuery(admin).exec(QStringLiteral("CREATE DATABASE ") + name);
        }
        QSqlDatabase::removeDatabase(name);
        QUrl url = server;
        url.setPath(QLatin1Char('/') + name);
        return url.toString();
    }

    QTemporaryDir m_folder;
    QString m_passwordFile;
    QString m_archive;
    QString m_connection = QStringLiteral("inspect-%1").arg(quintptr(this));
    quint16 m_port = 0;
    std::vector<sim::SimulatorSettings> m_settings;
    std::vector<std::unique_ptr<sim::SimulatorThread>> m_simulators;
};

sim::SimulatorSettings serving(const QByteArray &datalogger, Scenario scenario = Scenario::Normal) {
    sim::SimulatorSettings settings;
    settings.dataloggerImage = datalogger;
    settings.scenario = scenario;
    settings.dripBytes = 20000;
    settings.dripIntervalMs = 20;
    return settings;
}

QByteArray sample(int records, quint32 seed, int peripheral = 1) {
    records::SampleDataloggerOptions options;
    options.peripheralNumber = peripheral;
    return records::sampleDatalogger(records, seed, options).transferImage();
}

// The added and received counts of each tester's output line, by name.
QMap<QString, QPair<int, int>> counts(const Run &run) {
    QMap<QString, QPair<int, int>> byName;
    for (const QString &line : run.lines) {
        const QStringList fields = line.split(QStringLiteral("  "));
        const QStringList numbers = fields.last().split(QLatin1Char('/'));
        byName[fields.first()] = {numbers.value(0).toInt(), numbers.value(1).toInt()};
    }
    return byName;
}

} // namespace

class CollectTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (usePostgres() && qEnvironmentVariableIsEmpty("NXA_POSTGRES_URL"))
            QSKIP("NXA_POSTGRES_URL names no PostgreSQL server (scripts/with-postgres.sh)");
    }

    // Every scenario of the simulator gives the result code of the manager's
    // command line, in one collection of all of them at once.
    void reportsEveryTesterAsTheManager_data() {
        QTest::addColumn<int>("scenario");
        QTest::addColumn<int>("code");
        // clang-format off
        QTest::newRow("normal")             << int(Scenario::Normal)           << 0;
        QTest::newRow("drip")               << int(Scenario::Drip)             << 0;
        QTest::newRow("upload-refused")     << int(Scenario::UploadRefused)    << 0;
        QTest::newRow("busy")               << int(Scenario::Busy)             << 3;
        QTest::newRow("wrong-password")     << int(Scenario::WrongPassword)    << 4;
        QTest::newRow("silent")             << int(Scenario::Silent)           << 5;
        QTest::newRow("garbage")            << int(Scenario::Garbage)          << 5;
        QTest::newRow("nxao")               << int(Scenario::Nxao)             << 5;
        QTest::newRow("close-after-login")  << int(Scenario::CloseAfterLogin)  << 2;
        QTest::newRow("short")              << int(Scenario::Short)            << 2;
        QTest::newRow("long")               << int(Scenario::Long)             << 2;
        QTest::newRow("close-mid-transfer") << int(Scenario::CloseMidTransfer) << 2;
        QTest::newRow("unmarked")           << int(Scenario::Unmarked)         << 2;
        QTest::newRow("connect-hangs")      << int(Scenario::ConnectHangs)     << 6;
        QTest::newRow("no tester")          << -1                              << 6;
        // clang-format on
    }
    void reportsEveryTesterAsTheManager() {
        QFETCH(int, scenario);
        QFETCH(int, code);
        if (!m_scenarios) {
            m_scenarios = std::make_unique<Plant>();
            const QList<int> all = {0, 10, 11, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 13};
            for (int s : all)
                QVERIFY(m_scenarios->addTester(serving(sample(300, 7 + s), Scenario(s))));
            m_scenarios->addAbsentTester();
            m_scenarios->writeConfig();
            m_scenarioRun = m_scenarios->collect({QStringLiteral("download")});
            QCOMPARE(m_scenarioRun.exitCode, 1);
            QCOMPARE(m_scenarioRun.lines.size(), m_scenarios->testerCount());
            m_scenarioIndex = all;
        }
        const int index = scenario < 0 ? m_scenarios->testerCount() - 1
                                       : static_cast<int>(m_scenarioIndex.indexOf(scenario));
        const QString name = QStringLiteral("t%1").arg(index);
        const auto line = std::find_if(m_scenarioRun.lines.begin(), m_scenarioRun.lines.end(),
                                       [&](const QString &l) { return l.startsWith(name + "  "); });
        QVERIFY(line != m_scenarioRun.lines.end());
        const QStringList fields = line->split(QStringLiteral("  "));
        QCOMPARE(fields.value(1), m_scenarios->address(index));
        QCOMPARE(fields.value(2).toInt(), code);
        const int records = code == 0 ? 300 : 0;
        QCOMPARE(fields.value(4), QStringLiteral("%1/%1").arg(records));
        QCOMPARE(m_scenarios
                     ->value(QStringLiteral("SELECT COUNT(*) FROM attempts a JOIN testers "
                                            "t ON t.id = a.tester WHERE t.name = '%1' AND "
                                            "a.result = %2")
                                 .arg(name)
                                 .arg(code))
                     .toInt(),
                 1);
        if (code == 0)
            QCOMPARE(m_scenarios->archivedRows(index), managerRows(m_scenarios->datalogger(index)));
        else
            QCOMPARE(m_scenarios->archivedRows(index), QStringList());
        QCOMPARE(
            m_scenarios->manager(index, QStringLiteral("/TXT"), QStringLiteral("m.txt")).exitCode,
            code);
    }

    // The duplicate rule as a multiset: a second download adds exactly the
    // records the first did not bring, twins counted one by one.
    void archivesOnlyNewRecords_data() {
        const QDate d(2025, 6, 2);
        const AccessRecord a = access(1, d), b = access(2, d), c = access(3, d), e = access(4, d);
        // The same records in an image whose unused spare record differs: the
        // records themselves must be recognised, not the image.
        QByteArray respared = image({a, b, b});
        respared[3 * records::kRecordSize - 1] = 'Z';
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<int>("firstAdded");
        QTest::addColumn<int>("secondAdded");
        QTest::addColumn<int>("secondCode");
        // clang-format off
        QTest::newRow("same image again")   << image({a, b, b}) << image({a, b, b})    << 3 << 0 << 0;
        QTest::newRow("same records")       << image({a, b, b}) << respared            << 3 << 0 << 0;
        QTest::newRow("new records")        << image({a, b})    << image({a, b, c, e}) << 2 << 2 << 0;
        QTest::newRow("one more twin")      << image({a, b, b}) << image({a, b, b, b}) << 3 << 1 << 0;
        QTest::newRow("oldest overwritten") << image({a, b, c}) << image({c, e})       << 3 << 1 << 0;
        QTest::newRow("other peripheral")   << image({a, b}, 1) << image({a, b}, 2)    << 2 << 2 << 0;
        QTest::newRow("without its mark")   << image({a, b})    << QByteArray(192192, 'x') << 2 << 0 << 2;
        // clang-format on
    }
    void archivesOnlyNewRecords() {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(int, firstAdded);
        QFETCH(int, secondAdded);
        QFETCH(int, secondCode);
        Plant plant;
        QVERIFY(plant.addTester(serving(first)));
        plant.writeConfig();
        QCOMPARE(counts(plant.collect({QStringLiteral("download")}))["t0"].first, firstAdded);
        QVERIFY(plant.restart(0, serving(second)));
        const Run again = plant.collect({QStringLiteral("download"), QStringLiteral("t0")});
        QCOMPARE(counts(again)["t0"].first, secondAdded);
        QCOMPARE(again.exitCode, secondCode == 0 ? 0 : 1);
        QCOMPARE(again.lines.value(0).split(QStringLiteral("  ")).value(2).toInt(), secondCode);
        QCOMPARE(plant.value(QStringLiteral("SELECT COUNT(*) FROM records")).toInt(),
                 firstAdded + secondAdded);
        QCOMPARE(plant.value(QStringLiteral("SELECT SUM(added) FROM attempts")).toInt(),
                 firstAdded + secondAdded);
    }

    // Two collectors on one archive at the same time store every record once.
    void twoCollectorsStoreEachRecordOnce() {
        Plant plant;
        for (int i = 0; i < 4; ++i)
            QVERIFY(plant.addTester(serving(sample(10000, 40 + i, i + 1))));
        plant.writeConfig();
        QProcess one, two;
        plant.start(one,
                    {QStringLiteral("download"), QStringLiteral("--jobs"), QStringLiteral("2")});
        plant.start(two,
                    {QStringLiteral("download"), QStringLiteral("--jobs"), QStringLiteral("3")});
        const Run first = finish(one), second = finish(two);
        QVERIFY2(first.exitCode == 0, qPrintable(first.errors));
        QVERIFY2(second.exitCode == 0, qPrintable(second.errors));
        for (int i = 0; i < plant.testerCount(); ++i) {
            const QString name = QStringLiteral("t%1").arg(i);
            QCOMPARE(counts(first)[name].first + counts(second)[name].first, 10000);
            QCOMPARE(plant.archivedRows(i), managerRows(plant.datalogger(i)));
        }
    }

    // A collector killed in the middle leaves every tester's download either
    // wholly in the archive or not at all; the next run completes it.
    void killedCollectorLeavesArchiveConsistent() {
        Plant plant;
        for (int i = 0; i < 8; ++i)
            QVERIFY(plant.addTester(serving(sample(10000, 60 + i, i + 1))));
        plant.writeConfig();
        QProcess process;
        plant.start(process,
                    {QStringLiteral("download"), QStringLiteral("--jobs"), QStringLiteral("2")});
        // Killed once the first tester is stored, while the others are on their way.
        QVERIFY(process.waitForReadyRead(60000));
        process.kill();
        process.waitForFinished();

        if (!usePostgres())
            QCOMPARE(plant.value(QStringLiteral("PRAGMA integrity_check")).toString(),
                     QStringLiteral("ok"));
        QCOMPARE(plant.value(QStringLiteral("SELECT COUNT(*) FROM records")).toInt(),
                 plant.value(QStringLiteral("SELECT SUM(added) FROM attempts")).toInt());
        for (int i = 0; i < plant.testerCount(); ++i) {
            const qsizetype held = plant.archivedRows(i).size();
            QVERIFY2(held == 0 || held == 10000, qPrintable(QString::number(held)));
        }
        QCOMPARE(plant.collect({QStringLiteral("download")}).exitCode, 0);
        for (int i = 0; i < plant.testerCount(); ++i)
            QCOMPARE(plant.archivedRows(i), managerRows(plant.datalogger(i)));
    }

    // An export of one tester's archived download is, cell for cell, the
    // manager's own command-line export of the same download.
    void exportEqualsManagerExport_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("file");
        QTest::newRow("text") << QStringLiteral("/TXT") << QStringLiteral("out.txt");
        QTest::newRow("workbook") << QStringLiteral("/XLSX") << QStringLiteral("out.xlsx");
    }
    void exportEqualsManagerExport() {
        QFETCH(QString, format);
        QFETCH(QString, file);
        Plant plant;
        records::SampleDataloggerOptions options;
        options.peripheralNumber = 7;
        options.nonAsciiNames = true;
        QVERIFY(
            plant.addTester(serving(records::sampleDatalogger(2000, 5, options).transferImage())));
        plant.writeConfig();
        QCOMPARE(plant.collect({QStringLiteral("download")}).exitCode, 0);
        const Run exported =
            plant.collect({QStringLiteral("export"), format, QStringLiteral("c-") + file});
        QCOMPARE(exported.exitCode, 0);
        QCOMPARE(plant.manager(0, format, QStringLiteral("m-") + file).exitCode, 0);
        const QString collected = plant.folder() + QStringLiteral("/c-") + file;
        const QString manager = plant.folder() + QStringLiteral("/m-") + file;
        if (format == QLatin1String("/TXT")) {
            QCOMPARE(test::readFile(collected), test::readFile(manager));
        } else {
            const QJsonObject ours = readWorkbook(collected), theirs = readWorkbook(manager);
            QVERIFY(!theirs.isEmpty());
            QCOMPARE(ours, theirs);
        }
    }

    // Selections of an export: testers, dates compared as dates, failures.
    void exportSelects_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("rows");
        // clang-format off
        QTest::newRow("everything")       << QStringList{}                                      << 5;
        QTest::newRow("one tester")       << QStringList{"--tester", "t1"}                      << 1;
        QTest::newRow("both testers")     << QStringList{"--tester", "t0", "--tester", "t1"}    << 5;
        QTest::newRow("from")             << QStringList{"--from", "2025-02-01"}                << 2;
        QTest::newRow("to")               << QStringList{"--to", "2025-01-31"}                  << 2;
        QTest::newRow("one day")          << QStringList{"--from", "2025-02-01", "--to", "2025-02-01"} << 1;
        QTest::newRow("failed")           << QStringList{"--failed"}                            << 2;
        QTest::newRow("failed of t1")     << QStringList{"--failed", "--tester", "t1"}          << 0;
        // clang-format on
    }
    void exportSelects() {
        QFETCH(QStringList, options);
        QFETCH(int, rows);
        Plant plant;
        AccessRecord invalid = access(5, QDate(2025, 1, 1), false);
        invalid.timestamp = AccessRecord::dosTimestamp(2025, 13, 1, 8, 0, 0);
        QVERIFY(plant.addTester(
            serving(image({access(1, QDate(2025, 1, 10), false), access(2, QDate(2025, 2, 1)),
                           invalid, access(3, QDate(2025, 3, 1))}))));
        QVERIFY(plant.addTester(serving(image({access(4, QDate(2024, 12, 31))}, 2))));
        plant.writeConfig();
        QCOMPARE(plant.collect({QStringLiteral("download")}).exitCode, 0);
        const Run run = plant.collect(QStringList{QStringLiteral("export")} + options +
                                      QStringList{QStringLiteral("/TXT"), QStringLiteral("o.txt")});
        QCOMPARE(run.exitCode, 0);
        const QList<QByteArray> lines =
            test::readFile(plant.folder() + QStringLiteral("/o.txt")).split('\n');
        QCOMPARE(lines.size() - 2, rows); // title line, and nothing after the last CR LF
    }

    // Status: the nearly-full warning comes at 9,000 records received.
    void statusWarnsWhenNearlyFull_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<bool>("warned");
        QTest::newRow("8999") << 8999 << false;
        QTest::newRow("9000") << 9000 << true;
    }
    void statusWarnsWhenNearlyFull() {
        QFETCH(int, records);
        QFETCH(bool, warned);
        Plant plant;
        std::vector<AccessRecord> list;
        const QDate today = QDate::currentDate();
        for (int i = 0; i < records; ++i)
            list.push_back(access(quint16(i % 1000), today.addDays(-(i % 40)), i % 10 != 0));
        QVERIFY(plant.addTester(serving(image(list))));
        plant.writeConfig();
        QCOMPARE(plant.collect({QStringLiteral("download")}).exitCode, 0);
        const Run status = plant.collect({QStringLiteral("status")});
        QCOMPARE(status.exitCode, 0);
        const QString text = status.lines.join(QLatin1Char('\n'));
        QVERIFY2(text.contains(QStringLiteral("  records  %1").arg(records)), qPrintable(text));
        // Failed (every tenth) and dated within the last 30 days.
        int failed = 0;
        for (int i = 0; i < records; i += 10)
            failed += (i % 40) <= 30;
        QVERIFY2(text.contains(QStringLiteral("last 30 days  %1").arg(failed)), qPrintable(text));
        QCOMPARE(text.contains(QStringLiteral("warning: the last download received")), warned);
    }

    // An archive that cannot be used is reported and left as it was; a
    // tester whose password file others can read is skipped with result 1.
    void refusesWhatItCannotTrust_data() {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("message");
        // clang-format off
        QTest::newRow("not a database") << "garbage"  << ""                                                   << "not a SQLite database";
        QTest::newRow("newer layout")   << "sqlite"   << "UPDATE archive_info SET value = '99'"               << "newer nxa-collect";
        QTest::newRow("locked")         << "sqlite"   << "BEGIN IMMEDIATE"                                    << "cannot write to the archive";
        QTest::newRow("readable password file") << "sqlite" << "chmod"                                        << "read by group or others";
        // clang-format on
    }
    void refusesWhatItCannotTrust() {
        QFETCH(QString, archive);
        QFETCH(QString, statement);
        QFETCH(QString, message);
        if (usePostgres())
            QSKIP("SQLite archive files only");
        Plant plant;
        QVERIFY(plant.addTester(serving(sample(100, 3))));
        QVERIFY(plant.addTester(serving(sample(100, 4))));
        plant.writeConfig();
        QString passwordFile;
        if (archive == QLatin1String("garbage")) {
            test::writeFile(plant.archive(), QByteArray(8192, 'G'));
        } else {
            QCOMPARE(plant.collect({QStringLiteral("download"), QStringLiteral("t0")}).exitCode, 0);
            if (statement == QLatin1String("chmod")) {
                passwordFile = plant.folder() + QStringLiteral("/open.pw");
                test::writeFile(passwordFile, "583041");
                plant.writeConfig(120, passwordFile);
            } else {
                plant.writeConfig(1);
                QSqlQuery query(plant.database());
                QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
            }
        }
        const QByteArray before = test::readFile(plant.archive());
        const Run run = plant.collect({QStringLiteral("download")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errors.contains(message), qPrintable(run.errors));
        if (archive == QLatin1String("garbage"))
            QCOMPARE(test::readFile(plant.archive()), before);
        else if (statement != QLatin1String("chmod"))
            QCOMPARE(plant.value(QStringLiteral("SELECT COUNT(*) FROM attempts")).toInt(), 1);
        if (statement == QLatin1String("BEGIN IMMEDIATE") || statement == QLatin1String("chmod")) {
            // Each tester fails on its own, with a line of its own.
            QCOMPARE(run.lines.size(), 2);
            for (const QString &line : run.lines)
                QVERIFY2(line.split(QStringLiteral("  ")).value(2) ==
                             (statement == QLatin1String("chmod") ? "1" : "8"),
                         qPrintable(line));
        }
    }

private:
    std::unique_ptr<Plant> m_scenarios;
    Run m_scenarioRun;
    QList<int> m_scenarioIndex;
};

QTEST_GUILESS_MAIN(CollectTest)
#include "tst_collect.moc"
