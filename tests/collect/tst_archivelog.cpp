// The archive's log as an auditor meets it: the real nxa-collect against
// simulated testers, an insider who edits the archive with the database's
// own client (sqlite3 or psql), witnesses and proofs handed around as files.
// Runs on SQLite archives, and on the PostgreSQL server that
// NXA_POSTGRES_URL names when NXA_COLLECT_ARCHIVE=postgres.

#include "SimulatorThread.h"
#include "collect/CollectVerify.h"
#include "config/ConfigurationImage.h"
#include "samples/DataloggerImageBuilder.h"
#include "support/PostgresDatabase.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

using namespace nxa;

namespace {

bool usePostgres() {
    return qEnvironmentVariable("NXA_COLLECT_ARCHIVE") == QLatin1String("postgres");
}

struct Run {
    int exitCode = -1;
    QString out;
    QString errors;
};

QProcessEnvironment quietEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return environment;
}

Run finish(QProcess &process) {
    Run run;
    if (!process.waitForFinished(300000))
        process.kill();
    process.waitForFinished();
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// Two simulated testers, a signing key, a witness folder and an archive of
// the test's own.
class Plant {
public:
    Plant() {
        m_archive = usePostgres() ? test::freshPostgresDatabase()
                                  : m_folder.filePath(QStringLiteral("nxa-archive.sqlite"));
        test::writeFile(path(QStringLiteral("tester.pw")), "583041\n");
        QFile::setPermissions(path(QStringLiteral("tester.pw")),
                              QFile::ReadOwner | QFile::WriteOwner);
        QDir(m_folder.path()).mkdir(QStringLiteral("witness"));
    }

    QString path(const QString &name) const { return m_folder.filePath(name); }
    QString archive() const { return m_archive; }

    bool serve(int tester, int records, quint32 seed) {
        sim::SimulatorSettings settings;
        settings.dataloggerImage = records::sampleDatalogger(records, seed).transferImage();
        config::StationConfig station;
        station.profiles[0].footwearMax = QStringLiteral("35000");
        settings.configurationImage = config::encodeConfigurationTransfer(station);
        auto simulator = std::make_unique<sim::SimulatorThread>(settings);
        if (size_t(tester) >= m_simulators.size())
            m_simulators.resize(size_t(tester) + 1);
        m_simulators[size_t(tester)].reset();
        if (!simulator->start(QHostAddress(QStringLiteral("127.0.0.%1").arg(tester + 2)), m_port))
            return false;
        m_port = simulator->port();
        m_simulators[size_t(tester)] = std::move(simulator);
        return true;
    }

    void writeConfig(bool withKey) {
        QString ini = QStringLiteral("archive=%1\n").arg(m_archive);
        if (withKey)
            ini += QStringLiteral("checkpoint-key=plant.key\nwitness=witness\n");
        for (size_t i = 0; i < m_simulators.size(); ++i)
            ini += QStringLiteral("[t%1]\naddress=127.0.0.%2\nport=%3\npassword-file=tester.pw\n")
                       .arg(i)
                       .arg(i + 2)
                       .arg(m_port);
        test::writeFile(path(QStringLiteral("nxa-collect.ini")), ini.toUtf8());
    }

    void start(QProcess &process, const QStringList &arguments) const {
        process.setProcessEnvironment(quietEnvironment());
        process.setWorkingDirectory(m_folder.path());
        process.start(QStringLiteral(NXA_BINARY_DIR "/src/collect/nxa-collect"), arguments);
    }
    Run collect(const QStringList &arguments) const {
        QProcess process;
        start(process, arguments);
        return finish(process);
    }

    // An insider's statement, through the database's own client.
    bool insider(const QString &sql) const {
        QProcess client;
        client.setWorkingDirectory(m_folder.path());
        if (usePostgres())
            client.start(QStringLiteral("psql"),
                         {QStringLiteral("-q"), QStringLiteral("-v"),
                          QStringLiteral("ON_ERROR_STOP=1"), m_archive, QStringLiteral("-c"), sql});
        else
            client.start(QStringLiteral("sqlite3"), {m_archive, sql});
        const Run run = finish(client);
        if (run.exitCode != 0)
            qWarning() << "insider:" << sql << run.errors;
        return run.exitCode == 0;
    }

    // A copy of the archive as it is now, and the archive put back to it, as
    // a restore from a backup would.
    bool saveCopy() const {
        if (!usePostgres())
            return insider(QStringLiteral(".backup '%1'").arg(path(QStringLiteral("copy.sqlite"))));
        return admin(QStringLiteral("CREATE DATABASE %1_copy TEMPLATE %1").arg(databaseName()));
    }
    bool restoreCopy() const {
        if (!usePostgres())
            return insider(
                QStringLiteral(".restore '%1'").arg(path(QStringLiteral("copy.sqlite"))));
        return admin(QStringLiteral("DROP DATABASE %1").arg(databaseName())) &&
               admin(QStringLiteral("ALTER DATABASE %1_copy RENAME TO %1").arg(databaseName()));
    }

private:
    QString databaseName() const { return QUrl(m_archive).path().mid(1); }
    bool admin(const QString &sql) const {
        QProcess client;
        client.start(QStringLiteral("psql"),
                     {QStringLiteral("-q"), qEnvironmentVariable("NXA_POSTGRES_URL"),
                      QStringLiteral("-c"), sql});
        return finish(client).exitCode == 0;
    }
    QTemporaryDir m_folder;
    QString m_archive;
    quint16 m_port = 0;
    std::vector<std::unique_ptr<sim::SimulatorThread>> m_simulators;
};

// A download that succeeded, or why not.
bool downloaded(const Plant &plant) {
    const Run run = plant.collect({QStringLiteral("download")});
    if (run.exitCode != 0)
        qWarning() << run.out << run.errors;
    return run.exitCode == 0;
}

// Two testers, two downloads each with a checkpoint; the second brings new
// records to one tester.
bool collectTwice(Plant &plant) {
    if (!plant.serve(0, 300, 7) || !plant.serve(1, 120, 8))
        return false;
    plant.writeConfig(true);
    if (plant.collect({QStringLiteral("keygen"), QStringLiteral("plant.key")}).exitCode != 0 ||
        !downloaded(plant))
        return false;
    return plant.serve(0, 340, 9) && downloaded(plant);
}

Run verify(const Plant &plant, const QStringList &extra = {}) {
    return plant.collect(QStringList{QStringLiteral("verify"), QStringLiteral("--witness"),
                                     QStringLiteral("witness")} +
                         extra);
}

// The first record of tester t0's first download, by its place.
constexpr char kFirst[] =
    "attempt = (SELECT MIN(id) FROM attempts) AND seq IN (SELECT MIN(seq) FROM records WHERE "
    "attempt = (SELECT MIN(id) FROM attempts))";

} // namespace

class TestArchiveLog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (usePostgres() && qEnvironmentVariableIsEmpty("NXA_POSTGRES_URL"))
            QSKIP("NXA_POSTGRES_URL names no PostgreSQL server (scripts/with-postgres.sh)");
    }

    void verifyNamesWhatAnInsiderChanged_data() {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QString>("named");
        const QString first = QString::fromLatin1(kFirst);
        QTest::newRow("one cell edited")
            << QStringList{QStringLiteral("UPDATE records SET wrist_strap = '1' WHERE ") + first}
            << QStringLiteral("the record of tester t\\d at .* differs from what was logged");
        QTest::newRow("a record deleted")
            << QStringList{QStringLiteral("DELETE FROM records WHERE ") + first}
            << QStringLiteral("the record of tester t\\d at .* was deleted");
        QTest::newRow("a record inserted")
            << QStringList{QStringLiteral(
                               "INSERT INTO records SELECT tester, raw, occurrence + 1, attempt, "
                               "seq, pn, user_id, visitor, user_name, wrist_strap, shoe_l, "
                               "shoe_r, shoe_lr, passed, relay, recognition, record_date, "
                               "record_time, local_time, local_date, user_number, is_visitor, "
                               "is_pass, relay_on, by_keyboard, ws_kohm, l_kohm, r_kohm, lr_kohm "
                               "FROM records WHERE ") +
                           first}
            << QStringLiteral("the record of tester t\\d at .* is in the archive but in no leaf");
        QTest::newRow("two records swapped")
            << QStringList{QStringLiteral(
                   "UPDATE records SET seq = CASE seq WHEN 3 THEN 4 ELSE 3 END WHERE seq IN (3, 4) "
                   "AND attempt = (SELECT MIN(id) FROM attempts)")}
            << QStringLiteral("the record of tester t\\d at .* differs from what was logged");
        QTest::newRow("an attempt's result changed")
            << QStringList{QStringLiteral(
                   "UPDATE attempts SET result = 2 WHERE id = (SELECT MIN(id) FROM attempts)")}
            << QStringLiteral("attempt 1 differs from what was logged");
        QTest::newRow("a limits snapshot edited")
            << QStringList{QStringLiteral("UPDATE profile_limits SET footwear_max = 90000 WHERE "
                                          "profile = 1 AND configuration = (SELECT MIN(id) FROM "
                                          "configurations)")}
            << QStringLiteral("configuration 1 differs from what was logged");
        QTest::newRow("a calibration's certificate edited")
            << QStringList{QStringLiteral("UPDATE calibrations SET certificate = 'C-2'")}
            << QStringLiteral("calibration 1 differs from what was logged");
        QTest::newRow("restored from an older copy")
            << QStringList{QStringLiteral("restore")}
            << QStringLiteral("rollback: witness .* holds \\d+ leaves, the archive only");
        QTest::newRow("a checkpoint file edited")
            << QStringList{QStringLiteral("edit witness")}
            << QStringLiteral("witness .*checkpoint: its signature does not verify");
        QTest::newRow("the wrong public key")
            << QStringList{QStringLiteral("other key")}
            << QStringLiteral("stored checkpoint .*: its signature does not verify with the key "
                              "other");
    }
    void verifyNamesWhatAnInsiderChanged() {
        QFETCH(QStringList, statements);
        QFETCH(QString, named);
        Plant plant;
        QVERIFY(plant.serve(0, 300, 7) && plant.serve(1, 120, 8));
        plant.writeConfig(true);
        QCOMPARE(plant.collect({QStringLiteral("keygen"), QStringLiteral("plant.key")}).exitCode,
                 0);
        QVERIFY(downloaded(plant));
        if (statements.first() == QLatin1String("restore"))
            QVERIFY(plant.saveCopy());
        QCOMPARE(plant
                     .collect({QStringLiteral("calibration"), QStringLiteral("t0"),
                               QStringLiteral("--on"), QStringLiteral("2026-01-05"),
                               QStringLiteral("--by"), QStringLiteral("lab"),
                               QStringLiteral("--certificate"), QStringLiteral("C-1")})
                     .exitCode,
                 0);
        QVERIFY(plant.serve(0, 340, 9));
        QVERIFY(downloaded(plant));
        const Run before = verify(plant);
        QVERIFY2(before.exitCode == 0, qPrintable(before.out + before.errors));
        QStringList extra;
        if (statements.first() == QLatin1String("restore")) {
            QVERIFY(plant.restoreCopy());
        } else if (statements.first() == QLatin1String("edit witness")) {
            const QStringList files =
                QDir(plant.path(QStringLiteral("witness"))).entryList(QDir::Files, QDir::Name);
            QVERIFY(!files.isEmpty());
            const QString file = plant.path(QStringLiteral("witness/") + files.first());
            QByteArray note = test::readFile(file);
            const qsizetype root = note.indexOf('\n', note.indexOf('\n') + 1) + 1;
            note[root] = note[root] == 'A' ? 'B' : 'A';
            test::writeFile(file, note);
        } else if (statements.first() == QLatin1String("other key")) {
            QCOMPARE(
                plant.collect({QStringLiteral("keygen"), QStringLiteral("other.key")}).exitCode, 0);
            extra << QStringLiteral("--key") << QStringLiteral("other.key.pub");
        } else {
            for (const QString &sql : statements)
                QVERIFY(plant.insider(sql));
        }
        const Run after = verify(plant, extra);
        QVERIFY2(after.exitCode == collect::kExitTampered, qPrintable(after.out + after.errors));
        const QString notIntact = after.out.section(QStringLiteral("# NOT INTACT: "), 1);
        QVERIFY2(QRegularExpression(named).match(notIntact).hasMatch(), qPrintable(after.out));
    }

    // Downloads one after the other, some killed half-way; whatever
    // committed is in the log, and nothing else.
    void untouchedArchiveVerifiesAfterManyDownloads() {
        Plant plant;
        QVERIFY(plant.serve(0, 200, 1) && plant.serve(1, 200, 2));
        plant.writeConfig(true);
        QCOMPARE(plant.collect({QStringLiteral("keygen"), QStringLiteral("plant.key")}).exitCode,
                 0);
        QRandomGenerator random(35);
        for (int round = 0; round < 12; ++round) {
            QVERIFY(plant.serve(round % 2, 200 + 40 * round, quint32(round)));
            QProcess process;
            plant.start(process, {QStringLiteral("download")});
            if (round % 3 == 2) {
                QTest::qWait(int(random.bounded(50, 1500)));
                process.kill(); // SIGKILL: no chance to clean up
            }
            finish(process);
        }
        QVERIFY(downloaded(plant));
        const Run run = verify(plant);
        QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.errors));
        QVERIFY2(run.out.contains(QLatin1String("# intact")), qPrintable(run.out));
    }

    void olderArchiveJoinsTheLogWhereItStands() {
        Plant plant;
        QVERIFY(plant.serve(0, 150, 3));
        plant.writeConfig(false);
        QVERIFY(downloaded(plant));
        const Run unproven = plant.collect({QStringLiteral("status")});
        QVERIFY2(unproven.out.contains(QLatin1String("unproven")), qPrintable(unproven.out));
        // The archive as the layout before the log left it.
        for (const char *sql :
             {"DROP TABLE log_leaves", "DROP TABLE log_edges", "DROP TABLE checkpoints",
              "DROP INDEX records_by_attempt", "DELETE FROM archive_info WHERE name = 'log-origin'",
              "UPDATE archive_info SET value = '6' WHERE name = 'schema-version'"})
            QVERIFY(plant.insider(QString::fromLatin1(sql)));
        plant.writeConfig(true);
        QCOMPARE(plant.collect({QStringLiteral("keygen"), QStringLiteral("plant.key")}).exitCode,
                 0);
        QVERIFY(plant.serve(0, 180, 4));
        QVERIFY(downloaded(plant));
        const Run run = verify(plant);
        QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.errors));
        QVERIFY2(run.out.contains(QLatin1String("log begins here: earlier history unproven")),
                 qPrintable(run.out));
    }

    void witnessThatCannotBeWrittenFailsTheRun() {
        Plant plant;
        QVERIFY(plant.serve(0, 100, 5));
        plant.writeConfig(true);
        QCOMPARE(plant.collect({QStringLiteral("keygen"), QStringLiteral("plant.key")}).exitCode,
                 0);
        QVERIFY(QFileInfo(plant.path(QStringLiteral("plant.key"))).permissions() ==
                (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser));
        QVERIFY(QDir(plant.path(QStringLiteral("witness"))).removeRecursively());
        const Run run = plant.collect({QStringLiteral("download")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errors.contains(QLatin1String("witness folder")), qPrintable(run.errors));
        QVERIFY2(run.out.contains(QLatin1String("100/100")), qPrintable(run.out));
    }

    // The auditor reads the result in the report itself, from the same check.
    void reportStatesTheVerification_data() {
        QTest::addColumn<QString>("insider");
        QTest::addColumn<QString>("stated");
        QTest::newRow("untouched") << QString()
                                   << QStringLiteral("intact: .*Newest checkpoint.*\\d+ leaves, "
                                                     "root [0-9a-f]{16}…, made .*Key.*\\w");
        QTest::newRow("one cell edited")
            << QStringLiteral("UPDATE records SET wrist_strap = '1' WHERE ") +
                   QString::fromLatin1(kFirst)
            << QStringLiteral("NOT INTACT: leaf \\d+: the record of tester t\\d at ");
    }
    void reportStatesTheVerification() {
        QFETCH(QString, insider);
        QFETCH(QString, stated);
        Plant plant;
        QVERIFY(collectTwice(plant));
        if (!insider.isEmpty())
            QVERIFY(plant.insider(insider));
        const Run run = plant.collect({QStringLiteral("report"), QStringLiteral("--from"),
                                       QStringLiteral("2000-01-01"), QStringLiteral("--html"),
                                       QStringLiteral("r.html")});
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        const QString html =
            QString::fromUtf8(test::readFile(plant.path(QStringLiteral("r.html"))));
        const QString section = html.section(QStringLiteral("Archive integrity"), 1);
        QVERIFY2(QRegularExpression(stated, QRegularExpression::DotMatchesEverythingOption)
                     .match(section.left(2000))
                     .hasMatch(),
                 qPrintable(section.left(2000)));
    }

    // An auditor with a proof and a public key, no archive: every byte counts.
    void proofHoldsOnlyUnchanged() {
        Plant plant;
        QVERIFY(collectTwice(plant));
        const QString proofFile = plant.path(QStringLiteral("access.tlog-proof"));
        const Run record = plant.collect(
            {QStringLiteral("prove"), QStringLiteral("--tester"), QStringLiteral("t1"),
             QStringLiteral("--record"), firstRecordTime(plant), QStringLiteral("--user"),
             firstRecordUser(plant), QStringLiteral("--output"), proofFile});
        QVERIFY2(record.exitCode == 0, qPrintable(record.out + record.errors));
        const QByteArray proof = test::readFile(proofFile);
        QVERIFY2(proof.size() < 2048, qPrintable(QString::number(proof.size())));
        const QString key = plant.path(QStringLiteral("plant.key.pub"));
        QCOMPARE(checkProof(proof, key), 0);
        for (qsizetype i = 0; i < proof.size(); ++i) {
            QByteArray changed = proof;
            changed[i] = char(changed[i] ^ 0x01);
            QVERIFY2(checkProof(changed, key) == collect::kExitTampered,
                     qPrintable(QStringLiteral("byte %1 changed").arg(i)));
        }
    }

private:
    static QString firstRecordTime(const Plant &plant) { return firstOf(plant, 0); }
    static QString firstRecordUser(const Plant &plant) { return firstOf(plant, 1); }
    static QString firstOf(const Plant &plant, int field) {
        QProcess client;
        const QString sql = QStringLiteral(
            "SELECT record_date || ' ' || record_time || '|' || user_number FROM records r JOIN "
            "testers t ON t.id = r.tester WHERE t.name = 't1' AND local_time IS NOT NULL ORDER BY "
            "attempt, seq LIMIT 1");
        if (usePostgres())
            client.start(QStringLiteral("psql"),
                         {QStringLiteral("-At"), plant.archive(), QStringLiteral("-c"), sql});
        else
            client.start(QStringLiteral("sqlite3"), {plant.archive(), sql});
        return finish(client).out.trimmed().section(QLatin1Char('|'), field, field);
    }
    static int checkProof(const QByteArray &proof, const QString &key) {
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("p.tlog-proof"));
        test::writeFile(file, proof);
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        return collect::verifyProofCommand({file, QStringLiteral("--key"), key}, outStream,
                                           errStream);
    }
};

QTEST_GUILESS_MAIN(TestArchiveLog)
#include "tst_archivelog.moc"
