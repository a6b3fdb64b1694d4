#pragma once

// A collector's site for the tests of one fault area each: simulated
// testers on 127.0.0.2, 127.0.0.3, ... on one port, a password file, a
// configuration, the real nxa-collect run in the site's folder, and an
// archive of its own: a SQLite file, or a fresh database on the PostgreSQL
// server that NXA_POSTGRES_URL names (scripts/with-postgres.sh).

#include "SimulatorThread.h"
#include "samples/DataloggerImageBuilder.h"
#include "support/PostgresDatabase.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>
#include <vector>

namespace nxa::test {

struct CollectorRun {
    int exitCode = -1;
    QStringList lines; // standard output
    QString errors;
};

inline QString postgresServer() {
    return qEnvironmentVariable("NXA_POSTGRES_URL");
}

class CollectorSite {
public:
    enum class Engine { Sqlite, Postgres };

    explicit CollectorSite(Engine engine = Engine::Sqlite) : m_engine(engine) {
        m_passwordFile = m_folder.filePath(QStringLiteral("tester.pw"));
        writeFile(m_passwordFile, "583041\n");
        QFile::setPermissions(m_passwordFile, QFile::ReadOwner | QFile::WriteOwner);
        m_archive = engine == Engine::Postgres
                        ? freshPostgresDatabase()
                        : m_folder.filePath(QStringLiteral("nxa-archive.sqlite"));
    }
    ~CollectorSite() {
        for (const QString &name : std::as_const(m_connections))
            QSqlDatabase::removeDatabase(name);
    }

    QString folder() const { return m_folder.path(); }
    QString archive() const { return m_archive; }
    QString databaseName() const { return QUrl(m_archive).path().mid(1); }
    QString passwordFile() const { return m_passwordFile; }
    quint16 port() const { return m_port; }
    QString address(int tester) const { return QStringLiteral("127.0.0.%1").arg(tester + 2); }

    // A tester named t<index> serving `records` sample records; a slow one
    // takes about three seconds over its download.
    bool addTester(int records, bool slow = false) {
        sim::SimulatorSettings settings;
        if (slow) {
            settings.scenario = sim::Scenario::Drip;
            settings.dripBytes = 20000;
            settings.dripIntervalMs = 300;
        }
        records::SampleDataloggerOptions options;
        settings.dataloggerImage =
            records::sampleDatalogger(records, quint32(50 + m_testers.size()), options)
                .transferImage();
        auto tester = std::make_unique<sim::SimulatorThread>(settings);
        if (!tester->start(QHostAddress(address(int(m_testers.size()))), m_port))
            return false;
        m_port = tester->port();
        m_testers.push_back(std::move(tester));
        return true;
    }

    // archive= (unless `archive` is null), lock-wait= and a group per tester.
    void writeConfig(const QString &globals = {}, const QString &archive = {}) {
        QString ini = archive.isNull() ? QStringLiteral("archive=%1\n").arg(m_archive)
                                       : archive + QLatin1Char('\n');
        ini += globals;
        for (size_t i = 0; i < m_testers.size(); ++i)
            ini += QStringLiteral("[t%1]\naddress=%2\nport=%3\npassword-file=%4\n")
                       .arg(i)
                       .arg(address(int(i)))
                       .arg(m_port)
                       .arg(m_passwordFile);
        writeFile(m_folder.filePath(QStringLiteral("nxa-collect.ini")), ini.toUtf8());
    }

    void start(QProcess &process, const QStringList &arguments) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_folder.path());
        process.start(QStringLiteral(NXA_BINARY_DIR "/src/collect/nxa-collect"), arguments);
    }
    static CollectorRun finish(QProcess &process) {
        CollectorRun run;
        if (!process.waitForFinished(120000))
            process.kill();
        process.waitForFinished();
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        run.lines = QString::fromUtf8(process.readAllStandardOutput())
                        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        run.errors = QString::fromUtf8(process.readAllStandardError());
        return run;
    }
    CollectorRun collect(const QStringList &arguments) const {
        QProcess process;
        start(process, arguments);
        return finish(process);
    }

    // A connection of the test's own to the archive; `name` tells several
    // apart.
    QSqlDatabase database(const QString &name = QStringLiteral("inspect")) {
        const QString connection = QStringLiteral("%1-%2").arg(name).arg(quintptr(this));
        if (!QSqlDatabase::contains(connection))
            m_connections.append(connection);
        return test::archiveConnection(connection, m_archive, m_engine == Engine::Postgres);
    }
    // A connection to the server's first database, from which this site's
    // database can be shut.
    QSqlDatabase server() {
        const QString connection = QStringLiteral("server-%1").arg(quintptr(this));
        if (QSqlDatabase::contains(connection))
            return QSqlDatabase::database(connection);
        m_connections.append(connection);
        const QUrl url(postgresServer());
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        db.setHostName(url.host());
        db.setPort(url.port());
        db.setUserName(url.userName());
        db.setDatabaseName(url.path().mid(1));
        db.open();
        return db;
    }
    QVariant value(const QString &sql) {
        QSqlQuery query(database());
        return query.exec(sql) && query.next() ? query.value(0) : QVariant();
    }

private:
    Engine m_engine;
    QTemporaryDir m_folder;
    QString m_passwordFile;
    QString m_archive;
    QStringList m_connections;
    quint16 m_port = 0;
    std::vector<std::unique_ptr<sim::SimulatorThread>> m_testers;
};

// The tester lines of a download, without its header and summary.
inline QStringList testerLines(const CollectorRun &run) {
    QStringList lines;
    for (const QString &line : run.lines)
        if (!line.startsWith(QLatin1Char('#')))
            lines.append(line);
    return lines;
}

} // namespace nxa::test
