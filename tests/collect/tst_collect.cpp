// nxa-collect end to end: the real executable against simulated testers on
// their own loopback addresses, one port, and a real archive (a SQLite file,
// or a database on the PostgreSQL server that NXA_POSTGRES_URL names).

#include "SimulatorThread.h"
#include "config/ConfigurationImage.h"
#include "records/DataloggerMerge.h"
#include "samples/DataloggerImageBuilder.h"
#include "samples/PlantScenario.h"
#include "support/TestFiles.h"

#include "../export/WorkbookReader.h"

#include <QJsonArray>

#include <QCryptographicHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <sys/file.h>
#include <unistd.h>

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

    // One group per tester, "[<prefix><index>]", each with `extra` lines.
    void writeConfig(int lockWaitSeconds = 120, const QString &passwordFile = {},
                     const QString &prefix = QStringLiteral("t"), const QString &extra = {}) {
        QString ini =
            QStringLiteral("archive=%1\nlock-wait=%2\n").arg(m_archive).arg(lockWaitSeconds);
        for (int i = 0; i < testerCount(); ++i)
            ini += QStringLiteral("[%1%2]\naddress=%3\nport=%4\npassword-file=%5\n%6")
                       .arg(prefix)
                       .arg(i)
                       .arg(address(i))
                       .arg(m_port)
                       .arg(passwordFile.isEmpty() ? m_passwordFile : passwordFile, extra);
        writeIni(ini);
    }
    void writeIni(const QString &ini) {
        test::writeFile(m_folder.filePath(QStringLiteral("nxa-collect.ini")), ini.toUtf8());
    }
    QString passwordFile() const { return m_passwordFile; }

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
    QStringList archivedRows(int index, const QString &prefix = QStringLiteral("t")) {
        QSqlQuery query(database());
        query.exec(QStringLiteral(
                       "SELECT pn, user_id, visitor, user_name, wrist_strap, shoe_l, shoe_r, "
                       "shoe_lr, passed, relay, recognition, record_date, record_time, raw FROM "
                       "records r JOIN testers t ON t.id = r.tester WHERE t.name = '%1%2'")
                       .arg(prefix)
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

// The tester lines of a download, without its header and summary.
QStringList testerLines(const Run &run) {
    QStringList lines;
    for (const QString &line : run.lines)
        if (!line.startsWith(QLatin1Char('#')))
            lines.append(line);
    return lines;
}

// The added and received counts of each tester's output line, by name.
QMap<QString, QPair<int, int>> counts(const Run &run) {
    QMap<QString, QPair<int, int>> byName;
    for (const QString &line : testerLines(run)) {
        const QStringList fields = line.split(QStringLiteral("  "));
        const QStringList numbers = fields.value(4).split(QLatin1Char('/'));
        byName[fields.first()] = {numbers.value(0).toInt(), numbers.value(1).toInt()};
    }
    return byName;
}

// A user name and a record time that a bulk load could get wrong, and the
// local time the archive must keep for it ("|" when none is valid).
struct OddCell {
    const char *tag;
    const char *name;
    quint32 stamp;
    const char *localTime;
    bool refused;
};
const quint32 kJune = AccessRecord::dosTimestamp(2025, 6, 2, 9, 30, 14);
const char kJuneTime[] = "2025-06-02 09:30:14|2025-06-02";
// clang-format off
const OddCell kOddCells[] = {
    {"tab and backslash", "a\tb\\c\\",           kJune, kJuneTime, false},
    {"line breaks",       "x\r\ny\n",            kJune, kJuneTime, false},
    {"copy's marks",      "\\N\\.\\\\",          kJune, kJuneTime, false},
    {"quotes",            "O'Brien \"Jr\",;|",   kJune, kJuneTime, false},
    {"beyond ASCII",      "\xE9t\xE9\xA0\xFF",   kJune, kJuneTime, false},
    {"control bytes",     "\x01\x1B\x7F ",       kJune, kJuneTime, false},
    {"first DOS second",  "User 5", AccessRecord::dosTimestamp(1980, 1, 1, 0, 0, 0),
                                   "1980-01-01 00:00:00|1980-01-01", false},
    {"last DOS second",   "User 5", AccessRecord::dosTimestamp(2107, 12, 31, 23, 59, 58),
                                   "2107-12-31 23:59:58|2107-12-31", false},
    {"no such day",       "User 5", AccessRecord::dosTimestamp(2025, 2, 30, 8, 0, 0), "|", false},
    {"refused midway",    "refuse me",           kJune, kJuneTime, true},
};
// clang-format on

} // namespace

// The first layout's tables on a PostgreSQL server, as that collector made
// them, holding the rows of its SQLite archive.
bool copyFirstLayout(const QString &sqliteFile, QSqlDatabase server) {
    const QStringList tables = {QStringLiteral("archive_info"), QStringLiteral("testers"),
                                QStringLiteral("attempts"), QStringLiteral("records")};
    QStringList statements = {
        QStringLiteral("CREATE TABLE archive_info (name TEXT PRIMARY KEY, value TEXT NOT NULL)"),
        QStringLiteral("CREATE TABLE testers (id BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY "
                       "KEY, name TEXT NOT NULL UNIQUE, address TEXT NOT NULL, port INTEGER NOT "
                       "NULL)"),
        QStringLiteral("CREATE TABLE attempts (id BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY "
                       "KEY, tester BIGINT NOT NULL REFERENCES testers (id), started BIGINT NOT "
                       "NULL, ended BIGINT NOT NULL, result INTEGER NOT NULL, received INTEGER NOT "
                       "NULL, added INTEGER NOT NULL, image_digest BYTEA)"),
        QStringLiteral("CREATE INDEX attempts_by_tester ON attempts (tester, id)"),
        QStringLiteral(
            "CREATE TABLE records (tester BIGINT NOT NULL REFERENCES testers (id), record_date "
            "TEXT NOT NULL, record_time TEXT NOT NULL, pn TEXT NOT NULL, user_id TEXT NOT NULL, "
            "visitor TEXT NOT NULL, user_name TEXT NOT NULL, wrist_strap TEXT NOT NULL, shoe_l "
            "TEXT NOT NULL, shoe_r TEXT NOT NULL, shoe_lr TEXT NOT NULL, passed TEXT NOT NULL, "
            "relay TEXT NOT NULL, recognition TEXT NOT NULL, occurrence INTEGER NOT NULL, attempt "
            "BIGINT NOT NULL REFERENCES attempts (id), seq INTEGER NOT NULL, raw BYTEA NOT NULL, "
            "PRIMARY KEY (tester, record_date, record_time, user_id, pn, visitor, user_name, "
            "wrist_strap, shoe_l, shoe_r, shoe_lr, passed, relay, recognition, occurrence))"),
    };
    QSqlQuery target(server);
    for (const QString &statement : statements)
        if (!target.exec(statement))
            return false;
    QSqlDatabase source = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), sqliteFile);
    source.setDatabaseName(sqliteFile);
    bool ok = source.open();
    for (const QString &table : tables) {
        QSqlQuery rows(source);
        ok = ok && rows.exec(QStringLiteral("SELECT * FROM ") + table);
        while (ok && rows.next()) {
            QStringList marks;
            for (int c = 0; c < rows.record().count(); ++c)
                marks.append(QStringLiteral("?"));
            target.prepare(
                QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(table, marks.join(',')));
            for (int c = 0; c < rows.record().count(); ++c)
                target.addBindValue(rows.value(c));
            ok = target.exec();
        }
    }
    source.close();
    source = QSqlDatabase();
    QSqlDatabase::removeDatabase(sqliteFile);
    return ok;
}

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
            QCOMPARE(testerLines(m_scenarioRun).size(), m_scenarios->testerCount());
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
        if (code == 0) {
            QCOMPARE(m_scenarios->archivedRows(index), managerRows(m_scenarios->datalogger(index)));
            // The typed columns, read from the record bytes, say what the
            // manager's cells say.
            QCOMPARE(m_scenarios
                         ->value(QStringLiteral(
                                     "SELECT COUNT(*) FROM records r JOIN testers t ON t.id = "
                                     "r.tester WHERE t.name = '%1' AND NOT (r.user_number = "
                                     "CAST(r.user_id AS INTEGER) AND r.is_visitor = (r.visitor = "
                                     "'Y') AND r.is_pass = (r.passed = 'Y') AND r.relay_on = "
                                     "(r.relay = 'Y') AND r.by_keyboard = (r.recognition = "
                                     "'Keyboard') AND COALESCE(CAST(r.ws_kohm AS TEXT), '') = "
                                     "r.wrist_strap AND COALESCE(CAST(r.l_kohm AS TEXT), '') = "
                                     "r.shoe_l AND COALESCE(CAST(r.r_kohm AS TEXT), '') = r.shoe_r "
                                     "AND COALESCE(CAST(r.lr_kohm AS TEXT), '') = r.shoe_lr AND "
                                     "COALESCE(CAST(r.local_time AS TEXT), '') = r.record_date || "
                                     "' ' || r.record_time)")
                                     .arg(name))
                         .toInt(),
                     0);
        } else
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
        QCOMPARE(testerLines(again).value(0).split(QStringLiteral("  ")).value(2).toInt(),
                 secondCode);
        QCOMPARE(plant.value(QStringLiteral("SELECT COUNT(*) FROM records")).toInt(),
                 firstAdded + secondAdded);
        QCOMPARE(plant.value(QStringLiteral("SELECT SUM(added) FROM attempts")).toInt(),
                 firstAdded + secondAdded);
    }

    // A tester whose datalogger moved on is stored from where its last image
    // ended: tester t0 takes that path, t1 (its last image forgotten before
    // each download) the whole image. Both must end with the same rows,
    // occurrences, places and attempts, and with the multiset of the images.
    void skipsWhatTheLastImageHeld_data() {
        const QDate d(2025, 6, 2);
        const AccessRecord a = access(1, d), b = access(2, d), c = access(3, d), e = access(4, d),
                           f = access(5, d), high = access(1000, d);
        QByteArray respared = image({a, b, b});
        respared[3 * records::kRecordSize - 1] = 'Z';
        std::vector<AccessRecord> ring;
        for (int i = 0; i < 10003; ++i)
            ring.push_back(access(quint16(i % 1000), d.addDays(i / 1000)));
        auto window = [&ring](int from) {
            return image(
                std::vector<AccessRecord>(ring.begin() + from, ring.begin() + from + 10000));
        };
        QTest::addColumn<QList<QByteArray>>("images");
        // clang-format off
        QTest::newRow("moved on")           << QList<QByteArray>{image({a, b, c, e}), image({c, e, f, a}), image({f, a, b})};
        QTest::newRow("twins at the seam")  << QList<QByteArray>{image({a, b, b}), image({b, b, b, c}), image({b, c, b})};
        QTest::newRow("all identical")      << QList<QByteArray>{image({a, a, a}), image({a, a, a, a}), image({a, a, a, a, a})};
        QTest::newRow("same records")       << QList<QByteArray>{image({a, b, b}), respared};
        QTest::newRow("cleared")            << QList<QByteArray>{image({a, b, c}), image({e, f}), image({a})};
        QTest::newRow("shorter")            << QList<QByteArray>{image({a, b, c}), image({a, b}), image({b, c, a})};
        QTest::newRow("pattern repeats")    << QList<QByteArray>{image({a, b, c, a, b}), image({a, b, a, b, e})};
        QTest::newRow("user above 999")     << QList<QByteArray>{image({a, high, b}), image({b, high, c}), image({high, c, high})};
        QTest::newRow("full, moved by 2")   << QList<QByteArray>{window(0), window(2), window(3)};
        // clang-format on
    }
    void skipsWhatTheLastImageHeld() {
        QFETCH(QList<QByteArray>, images);
        Plant plant;
        QVERIFY(plant.addTester(serving(images.first())));
        QVERIFY(plant.addTester(serving(images.first())));
        plant.writeConfig();
        QStringList expected;
        QHash<QString, int> held;
        for (int n = 0; n < images.size(); ++n) {
            if (n > 0) {
                QVERIFY(plant.restart(0, serving(images[n])));
                QVERIFY(plant.restart(1, serving(images[n])));
                plant.value(QStringLiteral("DELETE FROM last_images WHERE tester = (SELECT id "
                                           "FROM testers WHERE name = 't1')"));
                QCOMPARE(plant.value(QStringLiteral("SELECT COUNT(*) FROM last_images")).toInt(),
                         1);
            }
            const Run run = plant.collect({QStringLiteral("download")});
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(counts(run)["t0"], counts(run)["t1"]);
            // The multiset rule: each record as often as the image that held
            // it most often.
            QHash<QString, int> inImage;
            for (const QString &row : managerRows(images[n])) {
                if (++inImage[row] > held[row]) {
                    ++held[row];
                    expected.append(row);
                }
            }
            expected.sort();
            QCOMPARE(plant.archivedRows(0), expected);
        }
        auto placed = [&](const char *name) {
            QSqlQuery query(plant.database());
            query.exec(QStringLiteral(
                           "SELECT r.raw, r.occurrence, r.seq, (SELECT COUNT(*) FROM attempts a "
                           "WHERE a.tester = r.tester AND a.id <= r.attempt) FROM records r JOIN "
                           "testers t ON t.id = r.tester WHERE t.name = '%1' ORDER BY r.raw, "
                           "r.occurrence")
                           .arg(QLatin1String(name)));
            QStringList rows;
            while (query.next())
                rows.append(QStringLiteral("%1 %2 %3 %4")
                                .arg(QLatin1String(query.value(0).toByteArray().toHex()))
                                .arg(query.value(1).toInt())
                                .arg(query.value(2).toInt())
                                .arg(query.value(3).toInt()));
            return rows;
        };
        QCOMPARE(placed("t0"), placed("t1"));
        QCOMPARE(plant.archivedRows(1), expected);
    }

    // Two downloads started at once never share the archive: the second is
    // refused and says so (or runs after the first); each record is stored once.
    void secondDownloadWaitsItsTurn() {
        Plant plant;
        for (int i = 0; i < 4; ++i)
            QVERIFY(plant.addTester(serving(sample(10000, 40 + i, i + 1))));
        plant.writeConfig();
        QProcess one, two;
        plant.start(one,
                    {QStringLiteral("download"), QStringLiteral("--jobs"), QStringLiteral("2")});
        plant.start(two,
                    {QStringLiteral("--jobs"), QStringLiteral("3"), QStringLiteral("download")});
        const Run first = finish(one), second = finish(two);
        for (const Run &run : {first, second}) {
            QVERIFY2(run.exitCode == 0 || run.exitCode == 3, qPrintable(run.errors));
            QCOMPARE(run.exitCode == 3, run.errors.contains(QStringLiteral(
                                            "another nxa-collect download is running")));
        }
        QVERIFY(first.exitCode == 0 || second.exitCode == 0);
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

    // An export of one tester's archived download is the manager's own
    // command-line export of the same download with the tester in front: in
    // the text its name right-aligned in a column of its own; in the workbook
    // texts trimmed and numbers as numbers. The file named is the one written.
    void exportIsManagerExportWithTester_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("written");
        QTest::newRow("text") << QStringLiteral("/TXT") << QStringLiteral("out.txt") << "out.txt";
        QTest::newRow("workbook") << QStringLiteral("/XLSX") << QStringLiteral("out") << "out.xlsx";
    }
    void exportIsManagerExportWithTester() {
        QFETCH(QString, format);
        QFETCH(QString, file);
        QFETCH(QString, written);
        Plant plant;
        records::SampleDataloggerOptions options;
        options.peripheralNumber = 7;
        options.nonAsciiNames = true;
        QVERIFY(
            plant.addTester(serving(records::sampleDatalogger(2000, 5, options).transferImage())));
        plant.writeConfig(120, {}, QStringLiteral("entrance-"));
        QCOMPARE(plant.collect({QStringLiteral("download")}).exitCode, 0);
        const Run exported =
            plant.collect({QStringLiteral("export"), format, QStringLiteral("c-") + file});
        QCOMPARE(exported.exitCode, 0);
        QCOMPARE(exported.lines,
                 QStringList{QStringLiteral("Saved c-%1 (2000 records)").arg(written)});
        QCOMPARE(plant.manager(0, format, QStringLiteral("m-") + file).exitCode, 0);
        const QString collected = plant.folder() + QStringLiteral("/c-") + written;
        const QString manager = plant.folder() + QStringLiteral("/m-") + written;
        if (format == QLatin1String("/TXT")) {
            const QList<QByteArray> ours = test::readFile(collected).split('\n');
            const QList<QByteArray> theirs = test::readFile(manager).split('\n');
            QCOMPARE(ours.size(), theirs.size());
            for (qsizetype i = 0; i + 1 < ours.size(); ++i)
                QCOMPARE(ours[i], (i == 0 ? QByteArray("Tester").rightJustified(10)
                                          : QByteArray("entrance-0")) +
                                      theirs[i]);
            return;
        }
        // Every cell of the manager's workbook, one column further right,
        // trimmed; numbers compared as numbers.
        auto values = [](const QString &path, int shift) {
            QMap<QString, QString> byCell;
            const QJsonObject cells = readWorkbook(path).value("cells").toObject();
            for (auto it = cells.begin(); it != cells.end(); ++it) {
                const QJsonArray cell = it.value().toArray();
                const QString text =
                    cell.at(0).toString() == QLatin1String("s")
                        ? cell.at(1).toString().trimmed()
                        : QStringLiteral("#") + QString::number(cell.at(1).toDouble());
                const QChar column(it.key().front().unicode() + shift);
                bool number = false;
                text.toDouble(&number);
                if (!text.isEmpty())
                    byCell.insert(column + it.key().mid(1),
                                  number ? QStringLiteral("#") + QString::number(text.toDouble())
                                         : text);
            }
            return byCell;
        };
        QMap<QString, QString> ours = values(collected, 0);
        const QMap<QString, QString> theirs = values(manager, 1);
        QCOMPARE(ours.take(QStringLiteral("A1")), QStringLiteral("Tester"));
        for (int row = 2; row <= 2001; ++row)
            QCOMPARE(ours.take(QStringLiteral("A%1").arg(row)), QStringLiteral("entrance-0"));
        QCOMPARE(ours, theirs);
        // Numbers are numeric cells: the peripheral number of every row.
        const QJsonObject cells = readWorkbook(collected).value("cells").toObject();
        QCOMPARE(cells.value(QStringLiteral("B2")).toArray(), QJsonArray({"n", 7}));
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

    // A full tester that shares no record with what was archived of it lost
    // records in between: said in the line, the attempt and status; status
    // warns while less than a tenth of a full image was archived before.
    void reportsLostRecords_data() {
        QTest::addColumn<int>("shared");
        QTest::addColumn<int>("secondRecords");
        QTest::addColumn<bool>("gap");
        QTest::addColumn<bool>("warned");
        // clang-format off
        QTest::newRow("full, nothing shared")     << 0    << 10000 << true  << true;
        QTest::newRow("full, 999 shared")         << 999  << 10000 << false << true;
        QTest::newRow("full, 1000 shared")        << 1000 << 10000 << false << false;
        QTest::newRow("not full, nothing shared") << 0    << 9000  << false << false;
        // clang-format on
    }
    void reportsLostRecords() {
        QFETCH(int, shared);
        QFETCH(int, secondRecords);
        QFETCH(bool, gap);
        QFETCH(bool, warned);
        // Record i: user i % 1000 on day i / 1000, at a time of its own.
        const QDate first(2026, 1, 1);
        auto numbered = [&](int from, int count) {
            std::vector<AccessRecord> list;
            for (int i = from; i < from + count; ++i) {
                AccessRecord record = access(quint16(i % 1000), first);
                const QDate day = first.addDays(i / 1000);
                record.timestamp = AccessRecord::dosTimestamp(day.year(), day.month(), day.day(),
                                                              6 + (i % 1000) / 60, i % 60, 0);
                list.push_back(record);
            }
            return list;
        };
        Plant plant;
        QVERIFY(plant.addTester(serving(image(numbered(0, 10000)))));
        plant.writeConfig();
        QCOMPARE(plant.collect({QStringLiteral("download")}).exitCode, 0);
        QVERIFY(plant.restart(0, serving(image(numbered(10000 - shared, secondRecords)))));
        const Run run = plant.collect({QStringLiteral("download")});
        QCOMPARE(run.exitCode, 0);
        // Newest archived before: record 9999 (day 9, 22:39); oldest new: 10000 (day 10, 06:00).
        const QString line = testerLines(run).value(0);
        QCOMPARE(line.contains(QStringLiteral("gap: the tester was full")), gap);
        QCOMPARE(
            line.contains(QStringLiteral("between 2026-01-10 22:39:00 and 2026-01-11 06:00:00")),
            gap);
        QVERIFY2(run.lines.last().endsWith(gap ? "; 1 gap" : "; 0 gaps"),
                 qPrintable(run.lines.last()));
        QCOMPARE(plant.value(QStringLiteral("SELECT COUNT(*) FROM attempts WHERE gap")).toInt(),
                 gap ? 1 : 0);
        const QString status = plant.collect({QStringLiteral("status")}).lines.join('\n');
        QCOMPARE(status.contains(QStringLiteral("  gaps  1")), gap);
        QCOMPARE(status.contains(QStringLiteral("warning: the tester is full")), warned);
    }

    // An archive that cannot be used is reported and left byte for byte as it
    // was; a tester that cannot be stored or whose password file others can
    // read fails on its own line, with the reason on that line.
    void refusesWhatItCannotTrust_data() {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("message");
        // clang-format off
        QTest::newRow("not a database")    << "garbage" << ""                                    << "not a SQLite database";
        QTest::newRow("another program's") << "foreign" << "CREATE TABLE notes (text TEXT)"      << "tables of another program";
        QTest::newRow("newer layout")      << "sqlite"  << "UPDATE archive_info SET value = '99'" << "newer nxa-collect";
        QTest::newRow("locked")            << "sqlite"  << "BEGIN IMMEDIATE"                     << "8  Error: Can't create file.  0/100  cannot write to the archive: database is locked (5)";
        QTest::newRow("readable password file") << "sqlite" << "chmod"                           << "1  Error: Wrong executable commandline parameters.  0/0  the password file";
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
        if (archive == QLatin1String("garbage")) {
            test::writeFile(plant.archive(), QByteArray(8192, 'G'));
        } else if (archive == QLatin1String("foreign")) {
            QSqlQuery query(plant.database());
            QVERIFY(query.exec(statement));
            plant.database().close();
        } else {
            QCOMPARE(plant.collect({QStringLiteral("download"), QStringLiteral("t0")}).exitCode, 0);
            if (statement == QLatin1String("chmod")) {
                const QString passwordFile = plant.folder() + QStringLiteral("/open.pw");
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
        const QString said = run.lines.join('\n') + run.errors;
        QVERIFY2(said.contains(message), qPrintable(said));
        if (archive != QLatin1String("sqlite")) {
            QCOMPARE(test::readFile(plant.archive()), before);
            QVERIFY(!QFile::exists(plant.archive() + QStringLiteral("-wal")));
        } else if (statement != QLatin1String("chmod")) {
            QCOMPARE(plant.value(QStringLiteral("SELECT COUNT(*) FROM attempts")).toInt(), 1);
        }
        if (statement == QLatin1String("BEGIN IMMEDIATE") || statement == QLatin1String("chmod")) {
            // Each tester fails on its own, with a line of its own.
            QCOMPARE(testerLines(run).size(), 2);
            QCOMPARE(run.lines.filter(message).size(), 2);
            QVERIFY2(run.errors.isEmpty(), qPrintable(run.errors));
        }
    }

    // An access is archived once, whatever changes in how it is displayed or
    // in the group that collects it; it keeps the cells it first came with.
    void oneRowPerAccess_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("user renamed") << "names";
        QTest::newRow("peripheral number") << "pn";
        QTest::newRow("recognition letter") << "recognition";
        QTest::newRow("group renamed") << "group";
        QTest::newRow("id kept, address moved") << "moved";
    }
    void oneRowPerAccess() {
        QFETCH(QString, change);
        const QDate d(2025, 6, 2);
        const std::vector<AccessRecord> list = {access(1, d), access(2, d), access(2, d),
                                                access(3, d, false)};
        records::DataloggerImageBuilder builder;
        builder.setPeripheralNumber(1);
        for (int user = 0; user < 4; ++user)
            builder.setUserName(user, "User " + QByteArray::number(user));
        builder.addRecords(list);
        const QByteArray before = builder.transferImage();
        if (change == QLatin1String("names"))
            builder.setUserName(2, "Renamed");
        else if (change == QLatin1String("pn"))
            builder.setPeripheralNumber(2);
        else if (change == QLatin1String("recognition"))
            builder.setRecognitionType('X');
        Plant plant;
        QVERIFY(plant.addTester(serving(before)));
        QVERIFY(plant.addTester(serving(builder.transferImage())));
        const QString id =
            change == QLatin1String("moved") ? QStringLiteral("id=hall\n") : QString();
        auto config = [&](const QString &name, int index) {
            plant.writeIni(
                QStringLiteral("archive=%1\n[%2]\naddress=%3\nport=%4\npassword-file=%5\n%6")
                    .arg(plant.archive(), name, plant.address(index))
                    .arg(plant.port())
                    .arg(plant.passwordFile(), id));
        };
        config(QStringLiteral("t0"), 0);
        QCOMPARE(plant.collect({QStringLiteral("download")}).exitCode, 0);
        if (change == QLatin1String("moved"))
            config(QStringLiteral("t0"), 1);
        else if (change == QLatin1String("group"))
            config(QStringLiteral("hall0"), 0);
        else
            QVERIFY(plant.restart(0, serving(builder.transferImage())));
        const Run again = plant.collect({QStringLiteral("download")});
        QCOMPARE(again.exitCode, 0);
        QCOMPARE(counts(again).first(), qMakePair(0, 4));
        QCOMPARE(plant.value(QStringLiteral("SELECT COUNT(*) FROM testers")).toInt(), 1);
        QCOMPARE(plant.archivedRows(0, change == QLatin1String("group") ? "hall" : "t"),
                 managerRows(before));
    }

    // Whatever bytes a user name holds and whatever day a record names, the
    // archive holds the manager's cells and the record's local time exactly.
    // A record the archive refuses in the middle of a download leaves nothing
    // of that download stored. One tester per case, all collected at once.
    void storesEveryCellExactlyOrNothing_data() {
        QTest::addColumn<int>("tester");
        for (int t = 0; t < int(std::size(kOddCells)); ++t)
            QTest::newRow(kOddCells[t].tag) << t;
    }
    void storesEveryCellExactlyOrNothing() {
        QFETCH(int, tester);
        const OddCell &odd = kOddCells[tester];
        const QString name = QStringLiteral("t%1").arg(tester);
        if (!m_oddCells)
            collectOddCells();
        QVERIFY(m_oddCells);
        const auto line = std::find_if(m_oddCellsRun.lines.begin(), m_oddCellsRun.lines.end(),
                                       [&](const QString &l) { return l.startsWith(name + "  "); });
        QVERIFY(line != m_oddCellsRun.lines.end());
        const QString held = QStringLiteral("SELECT %1 FROM records r JOIN testers t ON t.id = "
                                            "r.tester WHERE t.name = '%2'");
        if (odd.refused) {
            QCOMPARE(line->split(QStringLiteral("  ")).value(2).toInt(), 8);
            QVERIFY2(line->contains(QStringLiteral("refused here")), qPrintable(*line));
            QCOMPARE(m_oddCells->value(held.arg(QStringLiteral("COUNT(*)"), name)).toInt(), 2);
            return;
        }
        QCOMPARE(counts(m_oddCellsRun)[name], qMakePair(41, 43));
        QCOMPARE(m_oddCells->archivedRows(tester), managerRows(m_oddCells->datalogger(tester)));
        QCOMPARE(m_oddCells
                     ->value(held.arg(QStringLiteral("COALESCE(CAST(local_time AS TEXT), '') || "
                                                     "'|' || COALESCE(CAST(local_date AS TEXT), "
                                                     "'')"),
                                      name) +
                             QStringLiteral(" AND r.user_number = 5"))
                     .toString(),
                 QString::fromLatin1(odd.localTime));
    }

    // An archive of the first layout, made by the collector before records
    // were known by their bytes: five downloads of one tester under two
    // group names, two peripheral numbers, user names removed and another
    // recognition letter, and a tester whose image holds three identical
    // records. Brought up to date in place, it holds each access once.
    void upgradesFirstLayoutInPlace() {
        Plant plant;
        const QString fixture = QStringLiteral(NXA_FIXTURES "/collect/v1-archive.sqlite");
        if (usePostgres())
            QVERIFY(copyFirstLayout(fixture, plant.database()));
        else
            QVERIFY(QFile::copy(fixture, plant.archive()) &&
                    QFile::setPermissions(plant.archive(), QFile::ReadOwner | QFile::WriteOwner));
        plant.writeIni(QStringLiteral("archive=%1\n[hall]\naddress=127.0.0.1\nport=47123\n"
                                      "password-file=%2\n")
                           .arg(plant.archive(), plant.passwordFile()));
        const Run refused = plant.collect({QStringLiteral("status")});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY(refused.errors.contains(QStringLiteral("older layout (1)")));
        // The tester is not there: the run still brings the archive up to date.
        QCOMPARE(plant.collect({QStringLiteral("download")}).exitCode, 1);
        auto number = [&](const char *sql) { return plant.value(QLatin1String(sql)).toInt(); };
        QCOMPARE(number("SELECT value FROM archive_info WHERE name = 'schema-version'"), 7);
        QCOMPARE(number("SELECT COUNT(*) FROM records"), 306);
        QCOMPARE(number("SELECT COUNT(*) FROM records r JOIN testers t ON t.id = r.tester "
                        "WHERE t.name = 'hall'"),
                 300);
        QCOMPARE(number("SELECT COUNT(*) FROM testers"), 3); // hall-a and hall-b are one
        QCOMPARE(number("SELECT SUM(added) FROM attempts"), 306);
        QCOMPARE(number("SELECT COUNT(*) FROM attempts"), 13);
        // The cells of the first download: peripheral 1, names present.
        QCOMPARE(number("SELECT COUNT(*) FROM records WHERE pn = '1' AND user_name <> ''"),
                 300 + 6);
        // The three identical records, and the one with month 13 counted as no time.
        QCOMPARE(number("SELECT COUNT(*) FROM records r JOIN testers t ON t.id = r.tester WHERE "
                        "t.name = 'twins' AND r.user_number = 7"),
                 3);
        QCOMPARE(number("SELECT COUNT(*) FROM records WHERE local_time IS NULL"), 1);
        QCOMPARE(number("SELECT COUNT(*) FROM records WHERE lr_kohm = 5000 AND by_keyboard AND "
                        "ws_kohm IS NULL"),
                 1);
    }

    // A configuration that could lose or double a tester is refused whole,
    // naming its line; so are command lines that cannot be carried out.
    void refusesUnusableRuns_data() {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QString a = QStringLiteral("[a]\naddress=127.0.0.2\npassword-file=p\n");
        const QStringList download = {QStringLiteral("download")};
        // clang-format off
        QTest::newRow("group twice")       << a + a                                           << download << 2 << "line 5: the tester \"a\" is named again (first at line 2)";
        QTest::newRow("quote in name")     << "[a\"b]\naddress=127.0.0.2\n"                  << download << 2 << "line 2: the tester name \"a\"b\"";
        QTest::newRow("slash in name")     << "[hall/a]\naddress=127.0.0.2\n"                 << download << 2 << "line 2: the tester name \"hall/a\"";
        QTest::newRow("bracket in name")   << "[a]b]\naddress=127.0.0.2\n"                    << download << 2 << "line 2: the tester name \"a]b\"";
        QTest::newRow("General")           << "[General]\naddress=127.0.0.2\n"                << download << 2 << "line 2: [General] is no tester name";
        QTest::newRow("no tester")         << "archive=x.sqlite\n"                            << download << 2 << "names no tester";
        QTest::newRow("binary")            << QString(QChar(0)) + "\x01\x02"                  << download << 2 << "is not a text file";
        QTest::newRow("no address")        << "[a]\npassword-file=p\n"                         << download << 2 << "line 2: the tester \"a\" has no address=";
        QTest::newRow("same tester twice") << a + "[b]\naddress=127.0.0.2\npassword-file=p\n" << download << 2 << "line 5: the tester \"b\" has the address and port of \"a\"";
        QTest::newRow("unknown key")       << a + "adress=1.2.3.4\n"                          << download << 2 << "line 5: unknown key \"adress\" in [a]";
        QTest::newRow("lock-wait nan")     << "lock-wait=nan\n" + a                           << download << 2 << "line 2: lock-wait must be seconds";
        QTest::newRow("unknown tester")    << a                                               << QStringList{"download", "b"} << 2 << "no tester named \"b\"";
        QTest::newRow("too many jobs")     << a                                               << QStringList{"--jobs", "33", "download"} << 2 << "--jobs needs a number from 1 to 32";
        QTest::newRow("password in URL")   << "archive=postgresql://u:secret@h/db\n" + a      << download << 2 << "a password does not belong";
        QTest::newRow("unknown parameter") << "archive=postgresql://u@h/db?sslmod=require\n" + a << download << 2 << "the parameter \"sslmod\"";
        QTest::newRow("server down")       << "archive=postgresql://postgres@127.0.0.1:1/nxa\n" + a << download << 1 << "cannot open the archive postgresql://postgres@127.0.0.1:1/nxa";
        QTest::newRow("run lock held")     << a                                               << download << 3 << "another nxa-collect download is running";
        // clang-format on
    }
    void refusesUnusableRuns() {
        QFETCH(QString, ini);
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, message);
        Plant plant;
        // Lines count from the archive's, where the row does not name its own.
        plant.writeIni(ini.contains(QStringLiteral("archive="))
                           ? ini
                           : QStringLiteral("archive=%1\n").arg(plant.archive()) + ini);
        std::optional<QSqlQuery> serverLock;
        QFile lockFile(plant.archive() + QStringLiteral(".lock"));
        if (code == 3 && usePostgres()) {
            serverLock.emplace(plant.database());
            QVERIFY(serverLock->exec(
                QStringLiteral("SELECT pg_advisory_lock(%1)").arg(0x4e58415255LL)));
        } else if (code == 3) {
            QVERIFY(lockFile.open(QIODevice::WriteOnly));
            QCOMPARE(::flock(lockFile.handle(), LOCK_EX), 0);
        }
        const Run run = plant.collect(arguments);
        QCOMPARE(run.exitCode, code);
        QVERIFY2(run.errors.contains(message), qPrintable(run.errors));
        QCOMPARE(run.errors.count(QLatin1Char('\n')), 1); // one clear line, nothing else
        QVERIFY(run.lines.isEmpty());
    }

    // A dripping tester ends at its deadline; a locked archive costs the
    // whole run its lock wait once, not once per tester.
    void boundsEveryRun_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("dripping tester") << "drip";
        QTest::newRow("locked archive") << "locked";
    }
    void boundsEveryRun() {
        QFETCH(QString, kind);
        Plant plant;
        const int testers = kind == QLatin1String("drip") ? 1 : 10;
        for (int i = 0; i < testers; ++i) {
            sim::SimulatorSettings settings =
                serving(sample(50, 90 + i), kind == "drip" ? Scenario::Drip : Scenario::Normal);
            settings.dripBytes = 100;
            settings.dripIntervalMs = 200; // never idle for the 2 s time-out
            QVERIFY(plant.addTester(settings));
        }
        plant.writeConfig(2, {}, QStringLiteral("t"), QStringLiteral("deadline=2\n"));
        std::optional<QSqlQuery> holder;
        if (kind == QLatin1String("locked")) {
            QCOMPARE(plant.collect({QStringLiteral("download"), QStringLiteral("t0")}).exitCode, 0);
            holder.emplace(plant.database());
            for (const char *statement :
                 usePostgres()
                     ? QList<const char *>{"BEGIN", "LOCK TABLE attempts IN EXCLUSIVE MODE"}
                     : QList<const char *>{"BEGIN IMMEDIATE"})
                QVERIFY(holder->exec(QLatin1String(statement)));
        }
        QProcess process;
        plant.start(process, {QStringLiteral("download")});
        // Per tester, ten testers would wait 20 s for the lock, and the
        // dripping transfer would take 16 minutes.
        QVERIFY(process.waitForFinished(15000));
        const Run run = finish(process);
        QCOMPARE(run.exitCode, 1);
        const QStringList lines = testerLines(run);
        QCOMPARE(lines.size(), testers);
        for (const QString &line : lines)
            QVERIFY2(line.contains(kind == "drip" ? "  2  " : "  8  "), qPrintable(line));
        if (kind == QLatin1String("drip"))
            QVERIFY(lines.first().contains(QStringLiteral("deadline of 2 s")));
    }

    // The client library's own location forms reach the server as written:
    // its Unix socket, and TLS when asked for (the role "tlsonly" of the test
    // server may not connect without it).
    void reachesServerAsWritten_data() {
        QTest::addColumn<QString>("form");
        QTest::addColumn<int>("code");
        QTest::newRow("socket folder as host") << "postgresql://postgres@%1:%2/%3" << 0;
        QTest::newRow("socket folder as parameter") << "postgresql://postgres@:%2/%3?host=%4" << 0;
        QTest::newRow("TLS required")
            << "postgresql://tlsonly@127.0.0.1:%2/%3?sslmode=require" << 0;
        QTest::newRow("TLS refused") << "postgresql://tlsonly@127.0.0.1:%2/%3?sslmode=disable" << 1;
    }
    void reachesServerAsWritten() {
        QFETCH(QString, form);
        QFETCH(int, code);
        if (!usePostgres())
            QSKIP("PostgreSQL only");
        Plant plant;
        QVERIFY(plant.addTester(serving(sample(20, 2))));
        const QUrl url(plant.archive());
        const QString socket = qEnvironmentVariable("NXA_POSTGRES_SOCKET_DIR");
        // The encoded folder holds "%2F", so it goes in last.
        const QString archive =
            QString(form)
                .replace(QLatin1String("%2"), QString::number(url.port()))
                .replace(QLatin1String("%3"), url.path().mid(1))
                .replace(QLatin1String("%4"), socket)
                .replace(QLatin1String("%1"), QString::fromLatin1(QUrl::toPercentEncoding(socket)));
        plant.writeIni(QStringLiteral("archive=%1\n[t0]\naddress=%2\nport=%3\npassword-file=%4\n")
                           .arg(archive, plant.address(0), QString::number(plant.port()),
                                plant.passwordFile()));
        const Run run = plant.collect({QStringLiteral("download")});
        QVERIFY2(run.exitCode == code, qPrintable(run.errors));
        QCOMPARE(plant.value(QStringLiteral("SELECT COUNT(*) FROM records")).toInt(),
                 code == 0 ? 20 : 0);
    }

    // Archive files hold names and access history: private to the owner and
    // the folder's group, also under a permissive umask; an account of that
    // group that may not write reads them with status and export.
    void archiveIsPrivateAndReadable() {
        if (usePostgres())
            QSKIP("SQLite archive files only");
        Plant plant;
        QVERIFY(plant.addTester(serving(sample(20, 1))));
        plant.writeConfig();
        QCOMPARE(plant.collect({QStringLiteral("download")}).exitCode, 0);
        for (const QString &suffix :
             {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral(".lock")}) {
            const QFileInfo file(plant.archive() + suffix);
            QVERIFY2(file.exists(), qPrintable(file.filePath()));
            QCOMPARE(file.permissions() &
                         (QFile::ReadOther | QFile::WriteOther | QFile::WriteGroup),
                     QFile::Permissions());
        }
        if (::geteuid() != 0)
            QSKIP("another account needs root to try");
        // "nobody" in the archive's group, with its own copy of the program.
        const QString program = plant.folder() + QStringLiteral("/nxa-collect");
        QVERIFY(QFile::copy(binary("src/collect/nxa-collect"), program));
        QVERIFY(QFile::setPermissions(plant.folder(), QFile::ReadOwner | QFile::WriteOwner |
                                                          QFile::ExeOwner | QFile::ReadGroup |
                                                          QFile::ExeGroup));
        const QString exported =
            QDir::tempPath() +
            QStringLiteral("/nxa-reader-%1.txt").arg(QCoreApplication::applicationPid());
        for (const QStringList &command :
             {QStringList{QStringLiteral("status")},
              QStringList{QStringLiteral("export"), QStringLiteral("/TXT"), exported}}) {
            QProcess process;
            process.setProcessEnvironment(quietEnvironment());
            process.setWorkingDirectory(plant.folder());
            process.start(
                QStringLiteral("setpriv"),
                QStringList{QStringLiteral("--reuid=65534"),
                            QStringLiteral("--regid=%1").arg(QFileInfo(plant.archive()).groupId()),
                            QStringLiteral("--clear-groups"), QStringLiteral("--"), program} +
                    command);
            const Run run = finish(process);
            QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        }
        QVERIFY(QFile::remove(exported));
    }

    // The configuration comes after every successful download and is kept
    // whenever it changed; a configuration that cannot be had never fails
    // the records' result.
    void keepsTheLimitsInForce_data() {
        QTest::addColumn<QString>("second"); // what the tester holds at the second run
        QTest::addColumn<QString>("extra");  // a line for the tester's group at the second run
        QTest::addColumn<int>("snapshots");
        QTest::addColumn<int>("result"); // of the second configuration download; -1: not tried
        QTest::addColumn<QString>("lineEnd");
        // clang-format off
        QTest::newRow("unchanged")   << "same"    << ""                   << 1 << 0  << "0/300";
        QTest::newRow("changed")     << "changed" << ""                   << 2 << 0  << "0/300";
        QTest::newRow("undecodable") << "garbage" << ""                   << 1 << 2
                                     << "0/300  configuration not collected: 2 Error: "
                                        "Communicatio failure. (Wrong data format)";
        QTest::newRow("turned off")  << "changed" << "configuration=no\n" << 1 << -1 << "0/300";
        // clang-format on
    }
    void keepsTheLimitsInForce() {
        QFETCH(QString, second);
        QFETCH(QString, extra);
        QFETCH(int, snapshots);
        QFETCH(int, result);
        QFETCH(QString, lineEnd);
        config::StationConfig first;
        first.users[3].name = QStringLiteral("Old Name");
        config::StationConfig changed = first;
        changed.profiles[0].footwearMax = QStringLiteral("50000");
        changed.profiles[0].wristStrapMin = QString();
        changed.users[3].name = QStringLiteral("New Name");
        sim::SimulatorSettings settings = serving(sample(300, 5));
        settings.configurationImage = config::encodeConfigurationTransfer(first);
        Plant plant;
        QVERIFY(plant.addTester(settings));
        plant.writeConfig();
        QCOMPARE(plant.collect({QStringLiteral("download")}).exitCode, 0);
        settings.configurationImage = second == QLatin1String("garbage")
                                          ? QByteArray(config::kTransferSize, '\0')
                                          : config::encodeConfigurationTransfer(
                                                second == QLatin1String("same") ? first : changed);
        QVERIFY(plant.restart(0, settings));
        plant.writeConfig(120, {}, QStringLiteral("t"), extra);
        const Run run = plant.collect({QStringLiteral("download")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(testerLines(run).value(0).endsWith(lineEnd), qPrintable(run.lines.join('\n')));
        auto number = [&](const QString &sql) {
            const QVariant v = plant.value(sql);
            return v.isNull() ? -1 : v.toInt();
        };
        QCOMPARE(number(QStringLiteral("SELECT COUNT(*) FROM configurations")), snapshots);
        QCOMPARE(number(QStringLiteral("SELECT config_result FROM attempts WHERE id = (SELECT "
                                       "MAX(id) FROM attempts)")),
                 result);
        // The newest snapshot holds what the tester held when it was taken.
        const bool newLimits = snapshots == 2;
        QCOMPARE(
            number(QStringLiteral("SELECT footwear_max FROM profile_limits WHERE profile = 1 AND "
                                  "configuration = (SELECT MAX(id) FROM configurations)")),
            newLimits ? 50000 : 70000);
        QCOMPARE(number(QStringLiteral(
                     "SELECT COUNT(*) FROM profile_limits WHERE profile = 1 AND wrist_strap_min "
                     "IS NULL AND configuration = (SELECT MAX(id) FROM configurations)")),
                 newLimits ? 1 : 0);
        QCOMPARE(plant
                     .value(QStringLiteral("SELECT name FROM configuration_users WHERE "
                                           "user_number = 3 AND configuration = (SELECT MAX(id) "
                                           "FROM configurations)"))
                     .toString(),
                 newLimits ? QStringLiteral("New Name") : QStringLiteral("Old Name"));
        QCOMPARE(number(QStringLiteral("SELECT COUNT(*) FROM configuration_users")),
                 1000 * snapshots);
        const Run status = plant.collect({QStringLiteral("status")});
        QVERIFY(status.lines.join('\n').contains(QStringLiteral("  last configuration  20")));
        QCOMPARE(status.lines.join('\n').contains(QStringLiteral("configuration download failed")),
                 result > 0);
    }

    // The sample plant holds exactly these things to find yesterday; nothing
    // else may be flagged. The north tester's user 7 is renamed between two
    // collections and stays one person.
    void checkListsWhatThePlantHolds() {
        Plant &plant = samplePlant();
        QVERIFY(!QTest::currentTestFailed());
        QCOMPARE(plant.value(QStringLiteral("SELECT COUNT(*) FROM configurations")).toInt(), 4);

        const Run run = plant.collect({QStringLiteral("check")});
        QVERIFY2(run.exitCode == 4, qPrintable(run.errors + run.lines.join('\n')));
        // Each entry by its group and the fields that name it.
        QMap<QString, QStringList> found;
        QString group;
        double adaSlope = 0;
        for (const QString &line : run.lines) {
            if (line.startsWith(QLatin1Char('#')))
                continue;
            if (!line.startsWith(QLatin1Char(' '))) {
                group = line.left(line.lastIndexOf(QStringLiteral(" (")));
                continue;
            }
            const QStringList f = line.trimmed().split(QStringLiteral("  "));
            const bool drift = group.startsWith(QLatin1String("drifting"));
            found[group].append(
                f.mid(0, f.value(1).startsWith(QLatin1String("user ")) ? (drift ? 4 : 3) : 1)
                    .join(QLatin1Char('|')));
            if (drift && f.value(2) == QLatin1String("Ada Drift") && f.value(3) == "L")
                adaSlope = line.section(QStringLiteral("trend "), 1)
                               .section(QLatin1Char(' '), 0, 0)
                               .toDouble();
        }
        const QMap<QString, QStringList> planted = {
            {QStringLiteral("failed and not passed afterwards"), {"north|user 4|Di Nopass"}},
            {QStringLiteral("relay on without a pass"), {"north|user 5|Ed Relay"}},
            {QStringLiteral("drifting toward a limit"),
             {"north|user 1|Ada Drift|L", "north|user 1|Ada Drift|R", "north|user 2|Ben Drift|L",
              "north|user 2|Ben Drift|R"}},
            {QStringLiteral("fail rate outside its control limits"), {"south"}},
            {QStringLiteral("silent testers"), {"east"}},
            {QStringLiteral("to review: expected but not tested"),
             {"north|user 6|Flo Absent", "east|user 1|East 1", "east|user 2|East 2",
              "east|user 3|East 3"}},
        };
        QCOMPARE(found, planted);
        // Planted at 0.015 decades a day: +3.5 % a day.
        QVERIFY2(std::abs(adaSlope - 3.5) <= 0.3, qPrintable(QString::number(adaSlope)));
    }

    // The audit report of the same plant, as HTML rendered offline in a real
    // browser and as the collector's own PDF, shows exactly what was planted.
    void reportShowsWhatThePlantHolds_data() {
        QTest::addColumn<bool>("pdf");
        QTest::newRow("html in the browser") << false;
        QTest::newRow("pdf") << true;
    }
    void reportShowsWhatThePlantHolds() {
        QFETCH(bool, pdf);
        Plant &plant = samplePlant();
        const QString file = plant.folder() + (pdf ? "/report.pdf" : "/report.html");
        const Run run =
            plant.collect({QStringLiteral("report"),
                           pdf ? QStringLiteral("--pdf") : QStringLiteral("--html"), file});
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        QString printed = file;
        if (!pdf) {
            const QByteArray html = test::readFile(file);
            QCOMPARE(html.count("<svg"), 10); // 2 per tester, 2 trends, 2 retest charts
            QVERIFY(html.contains("Content-Security-Policy"));
            QProcess browser;
            browser.start(QStringLiteral(NXA_SOURCE_DIR "/scripts/check-html-offline.sh"),
                          {file, plant.folder() + "/browser"});
            QVERIFY(browser.waitForFinished(120000));
            QVERIFY2(browser.exitCode() == 0, browser.readAllStandardError().constData());
            printed = plant.folder() + "/browser/report.pdf";
        }
        // Cells wrap differently in each renderer; their order does not.
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {printed, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(60000));
        const QString pages =
            QString::fromUtf8(text.readAllStandardOutput()).remove(QRegularExpression("\\s"));
        for (const char *planted :
             {"Exceptions2", "Personsdriftingtowardalimit2", "Testerssilentoroutofcontrol2",
              "4DiNopassfailed2×,notpassedafterwards", "5EdRelayrelayonwithoutapass",
              "north,user1:AdaDrift,footwear", "north,user2:BenDrift,footwear", "AdaDrift60WS",
              "Lreachesitslimitin", "Silentnorecordfrom", "100to70000"})
            QVERIFY2(pages.contains(QString::fromUtf8(planted)), planted);
        QVERIFY(!pages.contains(QLatin1String("AdaDrift,wriststrap")));
        QVERIFY(!pages.contains(QLatin1String("CyRetry,footwear")));
    }

private:
    // The sample plant, collected twice (the north tester's user 7 renamed
    // in between), shared by the tests that read it.
    Plant &samplePlant() {
        if (m_samplePlant)
            return *m_samplePlant;
        m_samplePlant = std::make_unique<Plant>();
        Plant &plant = *m_samplePlant;
        const QStringList names = samples::plantTesterNames();
        const QDate today = QDate::currentDate();
        QString ini = QStringLiteral("archive=%1\n").arg(plant.archive());
        for (int i = 0; i < names.size(); ++i) {
            const std::optional<samples::PlantTester> tester =
                samples::plantTester(names[i], today, false);
            sim::SimulatorSettings settings = serving(tester->datalogger);
            settings.configurationImage = tester->configuration;
            if (!plant.addTester(settings))
                QTest::qFail("a simulator cannot listen", __FILE__, __LINE__);
            ini += QStringLiteral("[%1]\naddress=%2\nport=%3\npassword-file=%4\n")
                       .arg(names[i], plant.address(i))
                       .arg(plant.port())
                       .arg(plant.passwordFile());
        }
        plant.writeIni(ini);
        if (plant.collect({QStringLiteral("download")}).exitCode != 0)
            QTest::qFail("the first collection failed", __FILE__, __LINE__);
        const std::optional<samples::PlantTester> renamed =
            samples::plantTester(names[0], today, true);
        sim::SimulatorSettings settings = serving(renamed->datalogger);
        settings.configurationImage = renamed->configuration;
        if (!plant.restart(0, settings) ||
            plant.collect({QStringLiteral("download")}).exitCode != 0)
            QTest::qFail("the second collection failed", __FILE__, __LINE__);
        return plant;
    }

    // Every case's tester collected once with two plain records, then with
    // the case's record among 40 new ones, the refusing trigger in place.
    void collectOddCells() {
        auto plant = std::make_unique<Plant>();
        const QDate d(2025, 6, 2);
        for (size_t t = 0; t < std::size(kOddCells); ++t)
            QVERIFY(plant->addTester(serving(image({access(1, d), access(2, d)}))));
        plant->writeConfig();
        QCOMPARE(plant->collect({QStringLiteral("download")}).exitCode, 0);
        const QStringList refuse =
            usePostgres()
                ? QStringList{QStringLiteral("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE "
                                             "plpgsql AS $$BEGIN RAISE EXCEPTION 'refused here'; "
                                             "END$$"),
                              QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON records FOR "
                                             "EACH ROW WHEN (NEW.user_name = 'refuse me') "
                                             "EXECUTE FUNCTION refuse()")}
                : QStringList{QStringLiteral(
                      "CREATE TRIGGER refuse BEFORE INSERT ON records WHEN NEW.user_name = "
                      "'refuse me' BEGIN SELECT RAISE(ABORT, 'refused here'); END")};
        for (const QString &statement : refuse) {
            QSqlQuery query(plant->database());
            QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
        }
        for (size_t t = 0; t < std::size(kOddCells); ++t) {
            std::vector<AccessRecord> list = {access(1, d), access(2, d)};
            for (int i = 0; i < 40; ++i)
                list.push_back(access(quint16(6 + i % 10), d.addDays(i), i % 3 != 0));
            AccessRecord odd = access(5, d);
            odd.timestamp = kOddCells[t].stamp;
            list.insert(list.begin() + 20, odd);
            records::DataloggerImageBuilder builder;
            builder.setPeripheralNumber(1);
            for (int user = 0; user < 20; ++user)
                builder.setUserName(user, user == 5 ? QByteArray(kOddCells[t].name)
                                                    : "User " + QByteArray::number(user));
            builder.addRecords(list);
            QVERIFY(plant->restart(int(t), serving(builder.transferImage())));
        }
        m_oddCellsRun = plant->collect({QStringLiteral("download")});
        m_oddCells = std::move(plant);
    }

    std::unique_ptr<Plant> m_samplePlant;
    std::unique_ptr<Plant> m_oddCells;
    Run m_oddCellsRun;
    std::unique_ptr<Plant> m_scenarios;
    Run m_scenarioRun;
    QList<int> m_scenarioIndex;
};

QTEST_GUILESS_MAIN(CollectTest)
#include "tst_collect.moc"
