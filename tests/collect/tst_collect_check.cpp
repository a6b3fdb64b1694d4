#include "CollectTestSupport.h"

using namespace nxa::collectsuite;

class CollectCheckTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (usePostgres() && qEnvironmentVariableIsEmpty("NXA_POSTGRES_URL"))
            QSKIP("NXA_POSTGRES_URL names no PostgreSQL server (scripts/with-postgres.sh)");
    }

    // The sample plant holds exactly these things to find yesterday; nothing
    // else may be flagged. The north tester's user 7 is renamed between two
    // collections and stays one person.
    void checkListsWhatThePlantHolds() {
        const std::unique_ptr<Plant> collected = collectSamplePlant();
        Plant &plant = *collected;
        QVERIFY(!QTest::currentTestFailed());
        QCOMPARE(plant.value(QStringLiteral("SELECT COUNT(*) FROM configurations")).toInt(), 4);

        const Run run = plant.collect({QStringLiteral("check")});
        QVERIFY2(run.exitCode == 4, qPrintable(run.errors + run.lines.join('\n')));
        // Each entry by its group and the fields that name it.
        QMap<QString, QStringList> found;
        QString group;
        double adaSlope = 0;
        for (const QString &line : run.lines) {
            if (line.startsWith(QLatin1Char('#')))
                continue;
            if (!line.startsWith(QLatin1Char(' '))) {
                group = line.left(line.lastIndexOf(QStringLiteral(" (")));
                continue;
            }
            const QStringList f = line.trimmed().split(QStringLiteral("  "));
            const bool drift = group.startsWith(QLatin1String("drifting"));
            found[group].append(
                f.mid(0, f.value(1).startsWith(QLatin1String("user ")) ? (drift ? 4 : 3) : 1)
                    .join(QLatin1Char('|')));
            if (drift && f.value(2) == QLatin1String("Ada Drift") && f.value(3) == "L")
                adaSlope = line.section(QStringLiteral("trend "), 1)
                               .section(QLatin1Char(' '), 0, 0)
                               .toDouble();
        }
        const QMap<QString, QStringList> planted = {
            {QStringLiteral("failed and not passed afterwards"), {"north|user 4|Di Nopass"}},
            {QStringLiteral("relay on without a pass"), {"north|user 5|Ed Relay"}},
            {QStringLiteral("drifting toward a limit"),
             {"north|user 1|Ada Drift|L", "north|user 1|Ada Drift|R", "north|user 2|Ben Drift|L",
              "north|user 2|Ben Drift|R"}},
            {QStringLiteral("fail rate outside its control limits"), {"south"}},
            {QStringLiteral("silent testers"), {"east"}},
            // East's three persons, quiet for three days, made too few tests
            // in the last seven to compare its fail rate with the plant's.
            {QStringLiteral("notes"), {"east"}},
            {QStringLiteral("to review: expected but not tested"),
             {"north|user 6|Flo Absent", "east|user 1|East 1", "east|user 2|East 2",
              "east|user 3|East 3"}},
        };
        QCOMPARE(found, planted);
        // Planted at 0.015 decades a day: +3.5 % a day.
        QVERIFY2(std::abs(adaSlope - 3.5) <= 0.3, qPrintable(QString::number(adaSlope)));
    }
};

QTEST_GUILESS_MAIN(CollectCheckTest)
#include "tst_collect_check.moc"
