// What the collector says when something is wrong with its configuration,
// its archive or its output: one clear reason, and the exit status that
// goes with it.

#include "CollectorSite.h"
#include "collect/Archive.h"

#include <QRegularExpression>
#include <QTest>

using namespace nxa;
using test::CollectorSite;

class CollectMessagesTest : public QObject {
    Q_OBJECT

private slots:
    void saysWhatIsWrong_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("said"); // on standard output or error
        const QStringList download = {QStringLiteral("download")};
        // clang-format off
        QTest::newRow("address no address")   << "address=1.2.3"    << download << 2 << "line 3: address \"1.2.3\" is not a dotted IPv4 address";
        QTest::newRow("port out of range")    << "port=70000"       << download << 2 << "line 4: port \"70000\" is not a number from 1 to 65535";
        QTest::newRow("empty archive=")       << "archive="         << download << 2 << "line 1: archive= is empty";
        QTest::newRow("half-made archive")    << "half-made"        << QStringList{"status"} << 1 << QStringLiteral("is not a complete archive of nxa-collect (layout %1; the table testers is missing)").arg(collect::kSchemaVersion);
        QTest::newRow("half-made, download")  << "half-made"        << download << 1 << QStringLiteral("is not a complete archive of nxa-collect (layout %1; the table testers is missing)").arg(collect::kSchemaVersion);
        QTest::newRow("export folder missing") << "downloaded"      << QStringList{"export", "/TXT", "/nonexistent/dir/x.txt"} << 1 << "Can't create file /nonexistent/dir/x.txt: ";
        QTest::newRow("report of one tester") << "downloaded"       << QStringList{"report", "--from", "2020-01-01", "--to", "2020-01-02", "--html", "r.html"} << 0 << "2020-01-02, 1 tester)";
        QTest::newRow("archive open to all")  << "world-readable"   << QStringList{"status"} << 0 << "warning: everyone may read ";
        // clang-format on
    }
    void saysWhatIsWrong() {
        QFETCH(QString, setup);
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, said);
        CollectorSite site;
        QVERIFY(site.addTester(20));
        site.writeConfig();
        if (setup.contains(QLatin1Char('='))) {
            // The one line changed in place: the archive, address or port.
            QString ini = QString::fromUtf8(
                test::readFile(site.folder() + QStringLiteral("/nxa-collect.ini")));
            const QString key = setup.section(QLatin1Char('='), 0, 0);
            ini.replace(QRegularExpression(QStringLiteral("(?m)^%1=.*$").arg(key)), setup);
            QVERIFY(
                test::writeFile(site.folder() + QStringLiteral("/nxa-collect.ini"), ini.toUtf8()));
        } else if (setup == QLatin1String("half-made")) {
            QCOMPARE(site.collect({QStringLiteral("download")}).exitCode, 0);
            QSqlQuery query(site.database());
            QVERIFY(query.exec(QStringLiteral("DROP TABLE last_images")) &&
                    query.exec(QStringLiteral("DROP TABLE records")) &&
                    query.exec(QStringLiteral("DROP TABLE attempts")) &&
                    query.exec(QStringLiteral("DROP TABLE testers")));
        } else {
            QCOMPARE(site.collect({QStringLiteral("download")}).exitCode, 0);
            if (setup == QLatin1String("world-readable"))
                for (const QString &suffix : {QString(), QStringLiteral("-wal")})
                    QVERIFY(QFile::setPermissions(site.archive() + suffix,
                                                  QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ReadGroup | QFile::ReadOther));
        }
        const QString tables = QStringLiteral("SELECT group_concat(name) FROM sqlite_master");
        const bool halfMade = setup == QLatin1String("half-made");
        const QVariant before = halfMade ? site.value(tables) : QVariant();
        const test::CollectorRun run = site.collect(arguments);
        QCOMPARE(run.exitCode, code);
        const QString output = run.lines.join(QLatin1Char('\n')) + QLatin1Char('\n') + run.errors;
        QVERIFY2(output.contains(said), qPrintable(output));
        // One reason, on one line, and nothing after the colon left empty.
        QVERIFY2(!output.contains(QStringLiteral(": \n")) &&
                     !output.contains(QStringLiteral(": ;")),
                 qPrintable(output));
        if (code == 2)
            QVERIFY(!QFile::exists(site.archive()));
        if (halfMade)
            QCOMPARE(site.value(tables), before);
    }

    // The server ends the collector's sessions while a tester downloads: the
    // tester is stored on a new connection, or fails with the one reason the
    // server gives, and the server's notices stay off standard error.
    void saysOneReasonWhenTheServerGoes_data() {
        QTest::addColumn<bool>("refuseConnections");
        QTest::addColumn<QString>("line");
        // clang-format off
        QTest::newRow("sessions ended")      << false << "t1  127.0.0.3  0  OK";
        QTest::newRow("connections refused") << true  << "t1  127.0.0.3  8  Error: Can't create file.  0/30  cannot write to the archive: cannot open the archive ";
        // clang-format on
    }
    void saysOneReasonWhenTheServerGoes() {
        QFETCH(bool, refuseConnections);
        QFETCH(QString, line);
        if (test::postgresServer().isEmpty())
            QSKIP("NXA_POSTGRES_URL names no PostgreSQL server (scripts/with-postgres.sh)");
        CollectorSite site(CollectorSite::Engine::Postgres);
        QVERIFY(site.addTester(20));
        QVERIFY(site.addTester(30, true));
        site.writeConfig(QStringLiteral("lock-wait=2\n"));
        QProcess process;
        site.start(process,
                   {QStringLiteral("--jobs"), QStringLiteral("1"), QStringLiteral("download")});
        process.closeWriteChannel();
        // The first tester's line: its worker's session is open, the slow
        // tester is downloading.
        QVERIFY(process.waitForReadyRead(30000));
        while (!process.canReadLine() || !process.peek(4096).contains("\nt0  "))
            QVERIFY(process.waitForReadyRead(30000));
        // A session may not shut its own database.
        QSqlQuery admin(site.server());
        if (refuseConnections)
            QVERIFY(admin.exec(QStringLiteral("ALTER DATABASE %1 ALLOW_CONNECTIONS false")
                                   .arg(site.databaseName())));
        QVERIFY(admin.exec(QStringLiteral("SELECT pg_terminate_backend(pid) FROM "
                                          "pg_stat_activity WHERE datname = '%1'")
                               .arg(site.databaseName())));
        const test::CollectorRun run = CollectorSite::finish(process);
        admin.exec(
            QStringLiteral("ALTER DATABASE %1 ALLOW_CONNECTIONS true").arg(site.databaseName()));
        const QStringList lines = test::testerLines(run);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[1].startsWith(line), qPrintable(lines[1]));
        QCOMPARE(lines[1].count(QStringLiteral("cannot write")), refuseConnections ? 1 : 0);
        QVERIFY2(run.errors.isEmpty(), qPrintable(run.errors));
    }
};

QTEST_GUILESS_MAIN(CollectMessagesTest)
#include "tst_collectmessages.moc"
