// Bringing an archive of the first layout up to date tells how far it has
// come on standard error, and a current archive is left as it is.

#include "CollectorSite.h"
#include "collect/Archive.h"

#include <QRegularExpression>
#include <QTest>

using namespace nxa;
using test::CollectorSite;

class ArchiveUpgradeTest : public QObject {
    Q_OBJECT

private slots:
    void tellsHowFarTheUpgradeHasCome_data() {
        QTest::addColumn<QString>("archive"); // a fixture, or "" for one of this layout
        QTest::addColumn<bool>("upgraded");
        QTest::newRow("first layout") << "v1-archive.sqlite" << true;
        QTest::newRow("current layout") << "" << false;
    }
    void tellsHowFarTheUpgradeHasCome() {
        QFETCH(QString, archive);
        QFETCH(bool, upgraded);
        CollectorSite site;
        QVERIFY(site.addTester(20));
        site.writeConfig();
        if (archive.isEmpty())
            QCOMPARE(site.collect({QStringLiteral("download")}).exitCode, 0);
        else
            QVERIFY(
                QFile::copy(QStringLiteral(NXA_FIXTURES "/collect/") + archive, site.archive()) &&
                QFile::setPermissions(site.archive(), QFile::ReadOwner | QFile::WriteOwner));
        const test::CollectorRun run = site.collect({QStringLiteral("download")});
        QCOMPARE(run.exitCode, 0);
        QList<int> percents;
        const QRegularExpression line(QStringLiteral("^upgrading the archive: (\\d+) %$"));
        for (const QString &text : run.errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QRegularExpressionMatch match = line.match(text);
            QVERIFY2(match.hasMatch(), qPrintable(text));
            percents.append(match.captured(1).toInt());
        }
        QCOMPARE(!percents.isEmpty(), upgraded);
        QVERIFY(std::is_sorted(percents.cbegin(), percents.cend()));
        if (upgraded)
            QCOMPARE(percents.last(), 100);
        QCOMPARE(site.value(QStringLiteral("SELECT value FROM archive_info WHERE name = "
                                           "'schema-version'"))
                     .toInt(),
                 collect::kSchemaVersion);
    }
};

QTEST_GUILESS_MAIN(ArchiveUpgradeTest)
#include "tst_archiveupgrade.moc"
