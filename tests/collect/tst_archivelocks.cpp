// A download run against an archive that another program holds locked: the
// whole run waits at most lock-wait once, whichever statement meets the
// lock, and every tester's line gives that reason.

#include "CollectorSite.h"

#include <QTest>

using namespace nxa;
using test::CollectorSite;

class ArchiveLocksTest : public QObject {
    Q_OBJECT

private slots:
    // Every table lock mode a plant tool may hold on the records (SHARE is
    // what a plain CREATE INDEX takes), and SQLite's write lock.
    void waitsLockWaitOnceForTheWholeRun_data() {
        QTest::addColumn<bool>("postgres");
        QTest::addColumn<QString>("hold");
        QTest::addColumn<bool>("blocks");
        // clang-format off
        QTest::newRow("access share")           << true  << "LOCK TABLE records IN ACCESS SHARE MODE"           << false;
        QTest::newRow("row share")              << true  << "LOCK TABLE records IN ROW SHARE MODE"              << false;
        QTest::newRow("row exclusive")          << true  << "LOCK TABLE records IN ROW EXCLUSIVE MODE"          << false;
        QTest::newRow("share update exclusive") << true  << "LOCK TABLE records IN SHARE UPDATE EXCLUSIVE MODE" << false;
        QTest::newRow("share")                  << true  << "LOCK TABLE records IN SHARE MODE"                  << true;
        QTest::newRow("share row exclusive")    << true  << "LOCK TABLE records IN SHARE ROW EXCLUSIVE MODE"    << true;
        QTest::newRow("exclusive")              << true  << "LOCK TABLE records IN EXCLUSIVE MODE"              << true;
        QTest::newRow("access exclusive")       << true  << "LOCK TABLE records IN ACCESS EXCLUSIVE MODE"       << true;
        QTest::newRow("sqlite writer")          << false << "BEGIN IMMEDIATE"                                   << true;
        // clang-format on
    }
    void waitsLockWaitOnceForTheWholeRun() {
        QFETCH(bool, postgres);
        QFETCH(QString, hold);
        QFETCH(bool, blocks);
        if (postgres && test::postgresServer().isEmpty())
            QSKIP("NXA_POSTGRES_URL names no PostgreSQL server (scripts/with-postgres.sh)");
        CollectorSite site(postgres ? CollectorSite::Engine::Postgres
                                    : CollectorSite::Engine::Sqlite);
        for (int i = 0; i < 3; ++i)
            QVERIFY(site.addTester(40));
        site.writeConfig(QStringLiteral("lock-wait=3\n"));
        QCOMPARE(site.collect({QStringLiteral("download"), QStringLiteral("t0")}).exitCode, 0);

        QSqlQuery holder(site.database(QStringLiteral("holder")));
        if (postgres)
            QVERIFY(holder.exec(QStringLiteral("BEGIN")));
        QVERIFY(holder.exec(hold));
        QProcess process;
        site.start(process,
                   {QStringLiteral("--jobs"), QStringLiteral("1"), QStringLiteral("download")});
        // Waited per statement, the three testers would take 3 s each several
        // times over.
        const bool ended = process.waitForFinished(12000);
        const test::CollectorRun run = CollectorSite::finish(process);
        holder.exec(QStringLiteral("ROLLBACK"));
        QVERIFY2(ended, "the run outlived its lock-wait");
        const QStringList lines = test::testerLines(run);
        QCOMPARE(lines.size(), 3);
        for (const QString &line : lines)
            if (blocks)
                QVERIFY2(line.contains(QStringLiteral("  8  ")) &&
                             line.contains(QStringLiteral("  cannot write to the archive: the "
                                                          "archive was locked for longer than "
                                                          "lock-wait=3 s")),
                         qPrintable(line));
            else
                QVERIFY2(line.contains(QStringLiteral("  0  ")), qPrintable(line));
        QCOMPARE(run.exitCode, blocks ? 1 : 0);
        QVERIFY2(run.errors.isEmpty(), qPrintable(run.errors));
    }
};

QTEST_GUILESS_MAIN(ArchiveLocksTest)
#include "tst_archivelocks.moc"
