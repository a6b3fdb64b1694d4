#include "CollectTestSupport.h"

using namespace nxa::collectsuite;

class CollectReportTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (usePostgres() && qEnvironmentVariableIsEmpty("NXA_POSTGRES_URL"))
            QSKIP("NXA_POSTGRES_URL names no PostgreSQL server (scripts/with-postgres.sh)");
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
        if (pdf) {
            // The PDF's cells wrap in their own way; their order does not.
            const QString pages = pdfText(file).remove(QRegularExpression("\\s"));
            for (const char *planted :
                 {"Exceptions2", "Personsdriftingtowardalimit2", "Testerssilentoroutofcontrol2",
                  "4DiNopassfailed2×,notpassedafterwards", "5EdRelayrelayonwithoutapass",
                  "north,user1:AdaDrift,footwear", "north,user2:BenDrift,footwear", "AdaDrift60WS",
                  "Lreachesitslimitin", "Silentnorecordfrom", "100to70000"})
                QVERIFY2(pages.contains(QString::fromUtf8(planted)), planted);
            QVERIFY(!pages.contains(QLatin1String("AdaDrift,wriststrap")));
            QVERIFY(!pages.contains(QLatin1String("CyRetry,footwear")));
            return;
        }
        const QString html = QString::fromUtf8(test::readFile(file));
        QVERIFY(html.contains(QLatin1String("Content-Security-Policy")));
        const ReportPage page = ReportPage::parse(html);
        QCOMPARE(page.charts.size(), 10); // 2 per tester, 2 trends, 2 retest charts
        QCOMPARE(page.figures.value(QStringLiteral("Exceptions")), QStringLiteral("2"));
        QCOMPARE(page.figures.value(QStringLiteral("Persons drifting toward a limit")),
                 QStringLiteral("2"));
        QCOMPARE(page.figures.value(QStringLiteral("Testers silent or out of control")),
                 QStringLiteral("2"));
        QVERIFY(page.figures.value(QStringLiteral("Silent")).startsWith("no record from "));
        // Tester, user, name and what of every exception.
        QStringList exceptions;
        for (const QStringList &row : page.rows)
            if (row.size() == 7 && (row.value(4).startsWith(QLatin1String("failed ")) ||
                                    row.value(4).startsWith(QLatin1String("relay on "))))
                exceptions.append(row.mid(1, 4).join(QLatin1Char('|')));
        QCOMPARE(exceptions, QStringList({"north|4|Di Nopass|failed 2×, not passed afterwards",
                                          "north|5|Ed Relay|relay on without a pass"}));
        QVERIFY(page.charts.contains(QStringLiteral("north, user 1: Ada Drift, footwear")));
        QVERIFY(page.charts.contains(QStringLiteral("north, user 2: Ben Drift, footwear")));
        QVERIFY(!page.charts.contains(QStringLiteral("north, user 1: Ada Drift, wrist strap")));
        QVERIFY(!page.charts.contains(QStringLiteral("north, user 3: Cy Retry, footwear")));
        const auto ada = std::find_if(page.rows.begin(), page.rows.end(), [](const QStringList &r) {
            return r.size() == 8 && r.value(2) == QLatin1String("Ada Drift");
        });
        QVERIFY(ada != page.rows.end());
        QCOMPARE(ada->value(3), QStringLiteral("60"));
        QVERIFY2(ada->value(7).startsWith(QLatin1String("L reaches its limit in ")),
                 qPrintable(ada->value(7)));
        QVERIFY(std::any_of(page.rows.begin(), page.rows.end(), [](const QStringList &r) {
            return r.value(5) == QLatin1String("100 to 70000");
        }));

        // A real browser shows it offline, every planted thing in its text.
        QProcess browser;
        browser.start(QStringLiteral(NXA_SOURCE_DIR "/scripts/check-html-offline.sh"),
                      {file, plant.folder() + "/browser"});
        QVERIFY(browser.waitForFinished(120000));
        QVERIFY2(browser.exitCode() == 0, browser.readAllStandardError().constData());
        const QString printed = pdfText(plant.folder() + "/browser/report.pdf");
        for (const char *name : {"Di Nopass", "Ed Relay", "Ada Drift", "Ben Drift"})
            QVERIFY2(printed.contains(QString::fromUtf8(name)), name);
    }

private:
    // Collected once, for every test that reads it.
    Plant &samplePlant() {
        if (!m_samplePlant)
            m_samplePlant = collectSamplePlant();
        return *m_samplePlant;
    }

    std::unique_ptr<Plant> m_samplePlant;
};

QTEST_GUILESS_MAIN(CollectReportTest)
#include "tst_collect_report.moc"
