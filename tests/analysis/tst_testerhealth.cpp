#include "PlantBuilder.h"

#include "analysis/TesterHealth.h"

#include <QDateTime>
#include <QTest>

using namespace nxa::analysis;
using namespace nxa::analysis::test;

namespace {

// A day's attempts spread over several users, failing ones first, so that a
// tester's days arrive interleaved as the person order gives them.
void addDay(Plant &plant, int tester, int day, int attempts, int fails) {
    for (int i = 0; i < attempts; ++i)
        plant.accesses.push_back(accessAt(tester, i % 7, day, 6 * 3600 + i, i >= fails));
}

} // namespace

class TestTesterHealth : public QObject {
    Q_OBJECT
private slots:
    void failRateControl_data();
    void failRateControl();
    void silenceAndFullness_data();
    void silenceAndFullness();
};

void TestTesterHealth::failRateControl_data() {
    QTest::addColumn<QList<int>>("days"); // attempts, fails of consecutive days
    QTest::addColumn<double>("meanRate");
    QTest::addColumn<QList<double>>("lower");
    QTest::addColumn<QList<double>>("upper");
    QTest::addColumn<QList<int>>("outside"); // day offsets
    // p = 35/450; n = 100: 3 sqrt(p(1-p)/100) = 0.080346, n = 50: 0.113627, n = 200: 0.056814
    QTest::newRow("a bad day above")
        << QList<int>{100, 5, 100, 5, 50, 15, 200, 10} << 0.077778
        << QList<double>{0, 0, 0, 0.020964} << QList<double>{0.158124, 0.158124, 0.191405, 0.134591}
        << QList<int>{2};
    // p = 0.07; n = 400: 3 sqrt(0.07 * 0.93 / 400) = 0.038272
    QTest::newRow("a good day below")
        << QList<int>{400, 40, 400, 40, 400, 4} << 0.07
        << QList<double>{0.031728, 0.031728, 0.031728}
        << QList<double>{0.108272, 0.108272, 0.108272} << QList<int>{2};
    QTest::newRow("never a fail") << QList<int>{30, 0, 12, 0} << 0.0 << QList<double>{0, 0}
                                  << QList<double>{0, 0} << QList<int>{};
}

void TestTesterHealth::failRateControl() {
    QFETCH(QList<int>, days);
    QFETCH(double, meanRate);
    QFETCH(QList<double>, lower);
    QFETCH(QList<double>, upper);
    QFETCH(QList<int>, outside);
    Plant plant;
    plant.testers.resize(2);
    for (int k = 0; k < days.size() / 2; ++k)
        addDay(plant, 1, kDay + k, days[2 * k], days[2 * k + 1]);
    addDay(plant, 0, kDay, 10, 10); // another tester's fails count only for it
    sortAccesses(plant);

    const auto health = testerHealth(plant);
    QCOMPARE(health.size(), 2u);
    const FailRateControl &chart = health[1].failRate;
    QCOMPARE(health[0].failRate.meanRate, 1.0);
    QVERIFY(std::abs(chart.meanRate - meanRate) < 1e-6);
    QCOMPARE(chart.days.size(), static_cast<std::size_t>(lower.size()));
    for (std::size_t k = 0; k < chart.days.size(); ++k) {
        const FailRateDay &day = chart.days[k];
        QCOMPARE(day.day, kDay + static_cast<int>(k));
        QCOMPARE(QList<int>({day.attempts, day.fails}), days.mid(2 * static_cast<int>(k), 2));
        QVERIFY2(std::abs(day.lower - lower[static_cast<int>(k)]) < 1e-5,
                 qPrintable(QString::number(day.lower)));
        QVERIFY2(std::abs(day.upper - upper[static_cast<int>(k)]) < 1e-5,
                 qPrintable(QString::number(day.upper)));
    }
    QList<int> outsideOffsets;
    for (int day : chart.daysOutside)
        outsideOffsets.append(day - kDay);
    QCOMPARE(outsideOffsets, outside);
}

void TestTesterHealth::silenceAndFullness_data() {
    QTest::addColumn<QString>("traffic"); // one character a day, the last being the day analysed
    QTest::addColumn<QList<int>>("attempts"); // hours before now, succeeded, image records
    QTest::addColumn<bool>("silentByCollection");
    QTest::addColumn<QList<int>>("quietDays"); // offsets into traffic
    QTest::addColumn<int>("imageRecords");     // -1: none
    // Now is 10:00 on the day after the one analysed.
    // clang-format off
    QTest::newRow("collected 25 h ago")          << "1111111111"    << QList<int>{25, 1, 4000}              << false << QList<int>{}      << 4000;
    QTest::newRow("collected 27 h ago")          << "1111111111"    << QList<int>{27, 1, 4000}              << true  << QList<int>{}      << 4000;
    QTest::newRow("never collected")             << "1111111111"    << QList<int>{}                         << true  << QList<int>{}      << -1;
    QTest::newRow("failed attempts count not")   << "1111111111"    << QList<int>{30, 1, 9500, 2, 0, -1}    << true  << QList<int>{}      << 9500;
    QTest::newRow("an empty day after five")     << "1111101111"    << QList<int>{2, 1, 10000}              << false << QList<int>{5}     << 10000;
    QTest::newRow("four days are no streak")     << "0111101111"    << QList<int>{2, 1, 10000}              << false << QList<int>{}      << 10000;
    QTest::newRow("gone silent: its first day")  << "1111110000"    << QList<int>{2, 1, 0}                  << false << QList<int>{6}     << 0;
    QTest::newRow("a day not over is not known") << "1111111110"    << QList<int>{20, 1, 100}               << false << QList<int>{}      << 100;
    QTest::newRow("a day over and collected")    << "1111111110"    << QList<int>{2, 1, 100}                << false << QList<int>{9}     << 100;
    QTest::newRow("twice")                       << "1111101111101" << QList<int>{20, 1, 100, 2, 1, 200}    << false << QList<int>{5, 11} << 200;
    // clang-format on
}

void TestTesterHealth::silenceAndFullness() {
    QFETCH(QString, traffic);
    QFETCH(QList<int>, attempts);
    QFETCH(bool, silentByCollection);
    QFETCH(QList<int>, quietDays);
    QFETCH(int, imageRecords);
    const int first = kDay - static_cast<int>(traffic.size()) + 1;
    Plant plant;
    plant.testers.resize(1);
    plant.nowMs = QDateTime(QDate::fromJulianDay(kDay + 1), QTime(10, 0)).toMSecsSinceEpoch();
    for (int k = 0; k < traffic.size(); ++k)
        if (traffic[k] == QLatin1Char('1'))
            addDay(plant, 0, first + k, 3, 1);
    sortAccesses(plant);
    for (int k = 0; k + 2 < attempts.size(); k += 3)
        plant.testers[0].attempts.push_back(
            {plant.nowMs - attempts[k] * 3600LL * 1000, attempts[k + 1] != 0, attempts[k + 2]});

    const TesterHealth health = testerHealth(plant).at(0);
    QCOMPARE(health.silentByCollection, silentByCollection);
    QList<int> quiet;
    for (int day : health.quietDays)
        quiet.append(day - first);
    QCOMPARE(quiet, quietDays);
    QCOMPARE(health.imageRecords.value_or(-1), imageRecords);
    if (imageRecords >= 0)
        QCOMPARE(health.fullness.value_or(-1), imageRecords / 10000.0);
}

QTEST_GUILESS_MAIN(TestTesterHealth)
#include "tst_testerhealth.moc"
