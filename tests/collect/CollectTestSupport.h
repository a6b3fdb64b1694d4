#pragma once

// What the collector's suites (one per command) share. They run nxa-collect
// end to end: the real executable against simulated testers on their own
// loopback addresses, one port, and a real archive (a SQLite file, or a
// database on the PostgreSQL server that NXA_POSTGRES_URL names).

#include "SimulatorThread.h"
#include "config/ConfigurationImage.h"
#include "records/DataloggerMerge.h"
#include "samples/DataloggerImageBuilder.h"
#include "samples/PlantScenario.h"
#include "support/PostgresDatabase.h"
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

namespace nxa::collectsuite {

inline QString binary(const char *relative) {
    return QStringLiteral(NXA_BINARY_DIR "/") + QLatin1String(relative);
}

inline bool usePostgres() {
    return qEnvironmentVariable("NXA_COLLECT_ARCHIVE") == QLatin1String("postgres");
}

struct Run {
    int exitCode = -1;
    QStringList lines; // standard output
    QString errors;
};

// What a report's HTML shows, read from its elements: the label and value
// of every summary line, the cells of every table row, the title of every
// chart.
struct ReportPage {
    QMap<QString, QString> figures;
    std::vector<QStringList> rows;
    QStringList charts;

    // A cell's text: the report escapes five characters and writes no tags there.
    static QString text(QString html) {
        return html.replace(QLatin1String("&lt;"), QLatin1String("<"))
            .replace(QLatin1String("&gt;"), QLatin1String(">"))
            .replace(QLatin1String("&quot;"), QLatin1String("\""))
            .replace(QLatin1String("&#39;"), QLatin1String("'"))
            .replace(QLatin1String("&amp;"), QLatin1String("&"));
    }
    static ReportPage parse(const QString &html) {
        ReportPage page;
        static const QRegularExpression figure(
            QStringLiteral("<tr><th scope=\"row\">(.*?)</th><td>(.*?)</td></tr>"));
        for (const QRegularExpressionMatch &m : figure.globalMatch(html))
            page.figures.insert(text(m.captured(1)), text(m.captured(2)));
        static const QRegularExpression row(QStringLiteral("<tr>((?:<td[^>]*>.*?</td>)+)</tr>"));
        static const QRegularExpression cell(QStringLiteral("<td[^>]*>(.*?)</td>"));
        for (const QRegularExpressionMatch &r : row.globalMatch(html)) {
            QStringList cells;
            for (const QRegularExpressionMatch &c : cell.globalMatch(r.captured(1)))
                cells.append(text(c.captured(1)));
            page.rows.push_back(cells);
        }
        static const QRegularExpression chart(
            QStringLiteral("<svg [^>]*role=\"img\" aria-label=\"([^\"]*)\""));
        for (const QRegularExpressionMatch &m : chart.globalMatch(html))
            page.charts.append(text(m.captured(1)));
        return page;
    }
};

inline QString pdfText(const QString &path) {
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    text.waitForFinished(60000);
    return QString::fromUtf8(text.readAllStandardOutput());
}

inline Run finish(QProcess &process) {
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

inline QProcessEnvironment quietEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return environment;
}

// A datalogger image of the given records; user k is named "User k".
inline QByteArray image(const std::vector<AccessRecord> &records, int peripheral = 1) {
    records::DataloggerImageBuilder builder;
    builder.setPeripheralNumber(peripheral);
    for (int user = 0; user < 20; ++user)
        builder.setUserName(user, "User " + QByteArray::number(user));
    builder.addRecords(records);
    return builder.transferImage();
}

inline AccessRecord access(quint16 user, QDate date, bool pass = true) {
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
inline QStringList managerRows(const QByteArray &transferImage) {
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
        m_archive = usePostgres() ? test::freshPostgresDatabase()
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
        return test::archiveConnection(m_connection, m_archive, usePostgres());
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
    QTemporaryDir m_folder;
    QString m_passwordFile;
    QString m_archive;
    QString m_connection = QStringLiteral("inspect-%1").arg(quintptr(this));
    quint16 m_port = 0;
    std::vector<sim::SimulatorSettings> m_settings;
    std::vector<std::unique_ptr<sim::SimulatorThread>> m_simulators;
};

inline sim::SimulatorSettings serving(const QByteArray &datalogger,
                                      Scenario scenario = Scenario::Normal) {
    sim::SimulatorSettings settings;
    settings.dataloggerImage = datalogger;
    settings.scenario = scenario;
    settings.dripBytes = 20000;
    settings.dripIntervalMs = 20;
    return settings;
}

inline QByteArray sample(int records, quint32 seed, int peripheral = 1) {
    records::SampleDataloggerOptions options;
    options.peripheralNumber = peripheral;
    return records::sampleDatalogger(records, seed, options).transferImage();
}

// The tester lines of a download, without its header and summary.
inline QStringList testerLines(const Run &run) {
    QStringList lines;
    for (const QString &line : run.lines)
        if (!line.startsWith(QLatin1Char('#')))
            lines.append(line);
    return lines;
}

// The added and received counts of each tester's output line, by name.
inline QMap<QString, QPair<int, int>> counts(const Run &run) {
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

// The first layout's tables on a PostgreSQL server, as that collector made
// them, holding the rows of its SQLite archive.
inline bool copyFirstLayout(const QString &sqliteFile, QSqlDatabase server) {
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

// The sample plant, collected twice (the north tester's user 7 renamed
// in between).
inline std::unique_ptr<Plant> collectSamplePlant() {
    auto collected = std::make_unique<Plant>();
    Plant &plant = *collected;
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
    const std::optional<samples::PlantTester> renamed = samples::plantTester(names[0], today, true);
    sim::SimulatorSettings settings = serving(renamed->datalogger);
    settings.configurationImage = renamed->configuration;
    if (!plant.restart(0, settings) || plant.collect({QStringLiteral("download")}).exitCode != 0)
        QTest::qFail("the second collection failed", __FILE__, __LINE__);
    return collected;
}

} // namespace nxa::collectsuite
