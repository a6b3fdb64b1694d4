// The archive's location appears in the download's header, the check's
// header and the report as the configuration writes it, whatever percent
// signs the client library's URL form holds.

#include "CollectorSite.h"

#include <QTest>

using namespace nxa;
using test::CollectorSite;

class ArchiveLocationTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheLocationAsWritten_data() {
        QTest::addColumn<QString>("form"); // %S socket folder encoded, %P port, %D database
        // clang-format off
        QTest::newRow("socket folder as host")     << "postgresql://postgres@%S:%P/%D";
        QTest::newRow("with parameters")           << "postgresql://postgres@%S:%P/%D?application_name=nxa%25collect";
        QTest::newRow("short scheme, no port")     << "postgres://postgres@%S/%D?port=%P";
        // clang-format on
    }
    void showsTheLocationAsWritten() {
        QFETCH(QString, form);
        const QString socket = qEnvironmentVariable("NXA_POSTGRES_SOCKET_DIR");
        if (test::postgresServer().isEmpty() || socket.isEmpty())
            QSKIP("NXA_POSTGRES_URL names no PostgreSQL server (scripts/with-postgres.sh)");
        CollectorSite site(CollectorSite::Engine::Postgres);
        QVERIFY(site.addTester(20));
        const QString written =
            QString(form)
                .replace(QLatin1String("%P"), QString::number(QUrl(site.archive()).port()))
                .replace(QLatin1String("%D"), site.databaseName())
                .replace(QLatin1String("%S"), QString::fromLatin1(QUrl::toPercentEncoding(socket)));
        site.writeConfig({}, QStringLiteral("archive=") + written);

        const test::CollectorRun download = site.collect({QStringLiteral("download")});
        QCOMPARE(download.exitCode, 0);
        QVERIFY2(download.lines.value(0).endsWith(QStringLiteral(" into ") + written),
                 qPrintable(download.lines.value(0)));
        const test::CollectorRun check = site.collect(
            {QStringLiteral("check"), QStringLiteral("--day"), QStringLiteral("2020-01-01")});
        QVERIFY2(check.lines.value(0).endsWith(QStringLiteral(" in ") + written),
                 qPrintable(check.lines.value(0)));
        const QString report = site.folder() + QStringLiteral("/report.html");
        QCOMPARE(
            site.collect({QStringLiteral("report"), QStringLiteral("--html"), report}).exitCode, 0);
        QVERIFY(QString::fromUtf8(test::readFile(report)).contains(written));
    }
};

QTEST_GUILESS_MAIN(ArchiveLocationTest)
#include "tst_archivelocation.moc"
