// The read-only PostgreSQL role that docs/archive.md tells plant IT to
// create, made with that page's SQL as written, runs every command that
// only reads the archive.

#include "CollectorSite.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QTest>

using namespace nxa;
using test::CollectorSite;

namespace {

// The SQL block under the page's read-only role.
QString documentedReaderSql() {
    const QString page =
        QString::fromUtf8(test::readFile(QStringLiteral(NXA_SOURCE_DIR "/docs/archive.md")));
    const qsizetype role = page.indexOf(QStringLiteral("A read-only role"));
    const qsizetype open = page.indexOf(QStringLiteral("```sql\n"), role);
    const qsizetype close = page.indexOf(QStringLiteral("```"), open + 7);
    return role < 0 || open < 0 || close < 0 ? QString() : page.mid(open + 7, close - open - 7);
}

} // namespace

class ArchiveReaderTest : public QObject {
    Q_OBJECT

private slots:
    void documentedReaderRunsEveryReadCommand_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QList<int>>("codes");
        // clang-format off
        QTest::newRow("status") << QStringList{"status"}                     << QList<int>{0};
        QTest::newRow("export") << QStringList{"export", "/TXT", "out.txt"}  << QList<int>{0};
        QTest::newRow("check")  << QStringList{"check", "--day", "2020-01-01"} << QList<int>{0, 4};
        QTest::newRow("report") << QStringList{"report", "--html", "out.html"} << QList<int>{0};
        // clang-format on
    }
    void documentedReaderRunsEveryReadCommand() {
        QFETCH(QStringList, arguments);
        QFETCH(QList<int>, codes);
        if (test::postgresServer().isEmpty())
            QSKIP("NXA_POSTGRES_URL names no PostgreSQL server (scripts/with-postgres.sh)");
        CollectorSite site(CollectorSite::Engine::Postgres);
        QVERIFY(site.addTester(30));
        site.writeConfig();
        QCOMPARE(site.collect({QStringLiteral("download")}).exitCode, 0);

        // As written, but for the names of this test's database and role.
        const QString role =
            QStringLiteral("nxa_reader_%1_%2")
                .arg(QCoreApplication::applicationPid())
                .arg(QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_'));
        QString sql = documentedReaderSql();
        QVERIFY(sql.contains(QStringLiteral("nxa_reader")));
        sql.replace(QStringLiteral("nxa_reader"), role)
            .replace(QRegularExpression(QStringLiteral("\\bDATABASE nxa\\b")),
                     QStringLiteral("DATABASE ") + site.databaseName());
        for (const QString &statement : sql.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (statement.trimmed().isEmpty())
                continue;
            QSqlQuery query(site.database());
            QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
        }

        QUrl reader(site.archive());
        reader.setUserName(role);
        site.writeConfig({}, QStringLiteral("archive=") + reader.toString());
        const test::CollectorRun run = site.collect(arguments);
        QVERIFY2(codes.contains(run.exitCode), qPrintable(run.errors));
        QVERIFY2(run.errors.isEmpty(), qPrintable(run.errors));
    }
};

QTEST_GUILESS_MAIN(ArchiveReaderTest)
#include "tst_archivereader.moc"
