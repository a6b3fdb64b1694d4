// What a download may do with the file that archive= names: make an empty
// file an archive, keep using an archive of its own, and leave any other
// program's database exactly as it was.

#include "CollectorSite.h"

#include <QSqlError>
#include <QTest>

using namespace nxa;
using test::CollectorSite;

class ArchiveFilesTest : public QObject {
    Q_OBJECT

private slots:
    void writesOnlyAnEmptyFileOrItsOwnArchive_data() {
        QTest::addColumn<QStringList>("statements"); // run on the file first; "" for none
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        // clang-format off
        QTest::newRow("zero bytes")            << QStringList{}                                                      << 0 << "";
        QTest::newRow("our archive")           << QStringList{"download"}                                            << 0 << "";
        QTest::newRow("emptied database")      << QStringList{"PRAGMA user_version = 7", "CREATE TABLE t (x)", "DROP TABLE t"} << 2 << "application_id 0, user_version 7";
        QTest::newRow("application id")        << QStringList{"PRAGMA application_id = 1179011410"}               << 2 << "application_id 1179011410, user_version 0";
        QTest::newRow("nothing but a header")  << QStringList{"CREATE TABLE t (x)", "DROP TABLE t"}                 << 2 << "neither empty nor an archive of nxa-collect";
        QTest::newRow("its own tables")        << QStringList{"CREATE TABLE notes (text TEXT)"}                    << 2 << "holds tables of another program";
        // clang-format on
    }
    void writesOnlyAnEmptyFileOrItsOwnArchive() {
        QFETCH(QStringList, statements);
        QFETCH(int, code);
        QFETCH(QString, message);
        CollectorSite site;
        QVERIFY(site.addTester(30));
        site.writeConfig();
        QVERIFY(test::writeFile(site.archive(), {}));
        if (statements == QStringList{QStringLiteral("download")}) {
            QCOMPARE(site.collect({QStringLiteral("download")}).exitCode, 0);
        } else if (!statements.isEmpty()) {
            QSqlDatabase db = site.database(QStringLiteral("other program"));
            for (const QString &statement : statements) {
                QSqlQuery query(db);
                QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
            }
            db.close();
        }
        const QByteArray before = test::readFile(site.archive());
        const test::CollectorRun run = site.collect({QStringLiteral("download")});
        QCOMPARE(run.exitCode, code);
        if (code != 0) {
            QVERIFY2(run.errors.contains(message), qPrintable(run.errors));
            QCOMPARE(test::readFile(site.archive()), before);
            QVERIFY(!QFile::exists(site.archive() + QStringLiteral("-wal")));
            return;
        }
        // Ours from now on: marked in the header, so an emptied archive is
        // still known as ours.
        QCOMPARE(site.value(QStringLiteral("PRAGMA application_id")).toInt(), 0x4e584141);
        QCOMPARE(site.value(QStringLiteral("SELECT COUNT(*) FROM records")).toInt(), 30);
    }
};

QTEST_GUILESS_MAIN(ArchiveFilesTest)
#include "tst_archivefiles.moc"
