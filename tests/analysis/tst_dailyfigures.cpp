#include "PlantBuilder.h"

#include "analysis/DailyCompliance.h"
#include "analysis/DayExceptions.h"
#include "analysis/Retests.h"

#include <QTest>

using namespace nxa::analysis;
using namespace nxa::analysis::test;

namespace {

int at(const char *hhmmss) {
    const QTime time = QTime::fromString(QString::fromLatin1(hhmmss), QStringLiteral("hh:mm:ss"));
    return time.msecsSinceStartOfDay() / 1000;
}

// "08:00:00 F, 08:05:30 P": one person's attempts of one day; the k-th
// attempt carries a wrist-strap value of 1000 + k so that it can be told apart.
std::vector<Access> attemptsOf(int tester, int user, int day, const QString &text) {
    std::vector<Access> accesses;
    for (const QString &item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList parts = item.simplified().split(QLatin1Char(' '));
        Access access =
            accessAt(tester, user, day, at(qPrintable(parts[0])), parts[1] == QLatin1String("P"));
        access.relay = parts.size() > 2 && parts[2] == QLatin1String("relay");
        access.wsKohm = 1000 + static_cast<int>(accesses.size());
        accesses.push_back(access);
    }
    return accesses;
}

void add(Plant &plant, const std::vector<Access> &accesses) {
    plant.accesses.insert(plant.accesses.end(), accesses.begin(), accesses.end());
}

} // namespace

class TestDailyFigures : public QObject {
    Q_OBJECT
private slots:
    void complianceOfOneDay_data();
    void complianceOfOneDay();
    void exceptionsOfOneDay();
    void retestsByHourAndMonth();
};

void TestDailyFigures::complianceOfOneDay_data() {
    QTest::addColumn<QString>("attempts");
    QTest::addColumn<int>("passes");
    QTest::addColumn<int>("fails");
    QTest::addColumn<bool>("failedNotPassedAfter");
    QTest::addColumn<int>("attemptsToFirstPass"); // 0: none
    QTest::addColumn<double>("minutesToFirstPass");
    // clang-format off
    QTest::newRow("passes first time")     << "07:58:10 P"                                << 1 << 0 << false << 1 << 0.0;
    QTest::newRow("passes at the third")   << "08:00:00 F, 08:02:00 F, 08:05:30 P"        << 1 << 2 << false << 3 << 5.5;
    QTest::newRow("never passes")          << "06:00:00 F, 06:01:00 F"                    << 0 << 2 << true  << 0 << -1.0;
    QTest::newRow("fails after its pass")  << "06:00:00 F, 06:03:00 P, 17:00:00 F"        << 1 << 2 << true  << 2 << 3.0;
    QTest::newRow("passes after its fail") << "06:00:00 P, 12:00:00 F, 12:00:45 P"        << 2 << 1 << false << 1 << 0.0;
    QTest::newRow("given out of order")    << "09:10:00 P, 09:00:00 F"                    << 1 << 1 << false << 2 << 10.0;
    // clang-format on
}

void TestDailyFigures::complianceOfOneDay() {
    QFETCH(QString, attempts);
    QFETCH(int, passes);
    QFETCH(int, fails);
    QFETCH(bool, failedNotPassedAfter);
    QFETCH(int, attemptsToFirstPass);
    QFETCH(double, minutesToFirstPass);
    Plant plant;
    plant.testers.resize(2);
    const std::vector<Access> day = attemptsOf(1, 7, kDay, attempts);
    // Neighbours in every direction, which must stay apart.
    add(plant, attemptsOf(1, 6, kDay, QStringLiteral("05:00:00 P")));
    add(plant, attemptsOf(1, 7, kDay - 1, QStringLiteral("23:59:59 F")));
    add(plant, day);
    add(plant, attemptsOf(1, 7, kDay + 1, QStringLiteral("00:00:00 F")));
    add(plant, attemptsOf(0, 7, kDay, QStringLiteral("08:00:00 P")));

    const std::vector<PersonDay> days = dailyCompliance(plant);
    QCOMPARE(days.size(), 5u);
    auto found = std::find_if(days.begin(), days.end(), [](const PersonDay &d) {
        return d.tester == 1 && d.user == 7 && d.day == kDay;
    });
    QVERIFY(found != days.end());
    QVERIFY(std::is_sorted(
        days.begin(), days.end(),
        [](const PersonDay &a, const PersonDay &b) {
            return std::tie(a.tester, a.user, a.day) < std::tie(b.tester, b.user, b.day);
        }));
    const auto earliest = std::min_element(day.begin(), day.end(),
                                           [](auto &a, auto &b) { return a.second < b.second; });
    QCOMPARE(found->first.second, earliest->second);
    QCOMPARE(found->first.wsKohm, earliest->wsKohm);
    QCOMPARE(found->attempts, passes + fails);
    QCOMPARE(found->passes, passes);
    QCOMPARE(found->fails, fails);
    QCOMPARE(found->failedNotPassedAfter, failedNotPassedAfter);
    QCOMPARE(found->attemptsToFirstPass.value_or(0), attemptsToFirstPass);
    QCOMPARE(found->minutesToFirstPass.value_or(-1.0), minutesToFirstPass);
}

void TestDailyFigures::exceptionsOfOneDay() {
    Plant plant;
    plant.testers.resize(3);
    LimitsSnapshot old = snapshotFrom(kDay - 40);
    old.users[30].active = true; // no longer active on the day
    LimitsSnapshot current = snapshotFrom(kDay - 5);
    for (int user : {1, 2, 4, 20})
        current.users[static_cast<std::size_t>(user)].active = true;
    plant.testers[0].limits = {old, current};
    LimitsSnapshot other = snapshotFrom(kDay - 5);
    other.users[9].active = true;
    plant.testers[2].limits = {other}; // and no access at all

    // clang-format off
    add(plant, attemptsOf(0, 1,  kDay,      QStringLiteral("07:00:00 F, 07:01:00 P")));
    add(plant, attemptsOf(0, 2,  kDay,      QStringLiteral("07:10:00 F, 07:12:00 F")));
    add(plant, attemptsOf(0, 3,  kDay,      QStringLiteral("07:20:00 P, 16:00:00 F relay")));
    add(plant, attemptsOf(0, 4,  kDay - 1,  QStringLiteral("08:00:00 P")));
    add(plant, attemptsOf(0, 5,  kDay - 30, QStringLiteral("08:00:00 P")));
    add(plant, attemptsOf(0, 6,  kDay - 31, QStringLiteral("08:00:00 P")));
    add(plant, attemptsOf(0, 6,  kDay + 1,  QStringLiteral("08:00:00 P")));
    add(plant, attemptsOf(1, 1,  kDay - 2,  QStringLiteral("08:00:00 F")));
    add(plant, attemptsOf(1, 8,  kDay,      QStringLiteral("09:00:00 F relay, 09:00:30 P relay")));
    // clang-format on
    sortAccesses(plant);

    const DayExceptions exceptions = dayExceptions(plant, kDay);
    QCOMPARE(exceptions.day, kDay);

    QCOMPARE(exceptions.failedNotPassed.size(), 2u);
    const UnresolvedFailure &second = exceptions.failedNotPassed[0];
    QCOMPARE(QList<int>({second.tester, second.user, second.fails, second.lastFail.second,
                         second.lastFail.wsKohm}),
             QList<int>({0, 2, 2, at("07:12:00"), 1001}));
    const UnresolvedFailure &third = exceptions.failedNotPassed[1];
    QCOMPARE(QList<int>({third.tester, third.user, third.fails, third.lastFail.second}),
             QList<int>({0, 3, 1, at("16:00:00")}));

    QCOMPARE(exceptions.relayWithoutPass.size(), 2u);
    QCOMPARE(QList<int>({exceptions.relayWithoutPass[0].tester, exceptions.relayWithoutPass[0].user,
                         exceptions.relayWithoutPass[0].second}),
             QList<int>({0, 3, at("16:00:00")}));
    QCOMPARE(QList<int>({exceptions.relayWithoutPass[1].tester, exceptions.relayWithoutPass[1].user,
                         exceptions.relayWithoutPass[1].second}),
             QList<int>({1, 8, at("09:00:00")}));

    const auto reviewOf = [](const DayExceptions &day) {
        QList<QList<int>> review; // tester, user, active, last seen (days before, or 0)
        for (const ToReview &r : day.toReview)
            review.append(
                {r.tester, r.user, r.activeInTable, r.lastSeenDay ? day.day - *r.lastSeenDay : 0});
        return review;
    };
    // Active but never seen (tester 0's user 20, tester 2's user 9) is no
    // person expected: only counted per tester.
    const QList<QList<int>> expected{{0, 4, 1, 1}, {0, 5, 0, 30}, {1, 1, 0, 2}};
    QCOMPARE(reviewOf(exceptions), expected);
    const auto idleOf = [](const DayExceptions &day) {
        QList<QList<int>> idle; // tester, count
        for (const IdleActiveUsers &i : day.idleActiveUsers)
            idle.append({i.tester, i.count});
        return idle;
    };
    QCOMPARE(idleOf(exceptions), QList<QList<int>>({{0, 1}, {2, 1}}));

    // A period's days come out as each day alone, nothing carried between them.
    const std::vector<DayExceptions> period = dayExceptions(plant, kDay - 2, kDay + 1);
    QCOMPARE(period.size(), 4u);
    for (const DayExceptions &day : period) {
        const DayExceptions alone = dayExceptions(plant, day.day);
        QCOMPARE(day.failedNotPassed.size(), alone.failedNotPassed.size());
        QCOMPARE(day.relayWithoutPass.size(), alone.relayWithoutPass.size());
        QCOMPARE(reviewOf(day), reviewOf(alone));
        QCOMPARE(idleOf(day), idleOf(alone));
    }
    QCOMPARE(reviewOf(period[2]), expected);
    QCOMPARE(period[0].failedNotPassed.size(), 1u);
}

void TestDailyFigures::retestsByHourAndMonth() {
    const int january = static_cast<int>(QDate(2026, 1, 31).toJulianDay());
    const int february = january + 1;
    Plant plant;
    // clang-format off
    add(plant, attemptsOf(0, 1, january,  QStringLiteral("06:10:00 P")));
    add(plant, attemptsOf(0, 2, january,  QStringLiteral("06:20:00 F, 06:21:30 P")));
    add(plant, attemptsOf(0, 3, january,  QStringLiteral("06:59:00 F, 07:00:00 F, 07:40:00 F, 07:41:00 F, 07:42:00 F, 07:43:00 F, 08:59:00 P")));
    add(plant, attemptsOf(0, 4, february, QStringLiteral("07:05:00 F, 07:07:00 P")));
    add(plant, attemptsOf(0, 5, february, QStringLiteral("07:30:00 F")));
    add(plant, attemptsOf(0, 6, february, QStringLiteral("14:00:00 F, 14:04:00 F, 14:09:59 P")));
    // clang-format on
    const Retests result = retests(dailyCompliance(plant));

    using Counts = QList<int>;
    auto attempts = [](const RetestDistribution &d) {
        return Counts(d.attemptsToPass.begin(), d.attemptsToPass.end());
    };
    auto minutes = [](const RetestDistribution &d) {
        return Counts(d.minutesToPass.begin(), d.minutesToPass.end());
    };
    const RetestDistribution &all = result.overall;
    QCOMPARE(QList<int>({all.passedDays, all.notPassedDays, all.retestedDays}),
             QList<int>({5, 1, 4}));
    QCOMPARE(attempts(all), Counts({1, 2, 1, 0, 0, 1}));
    QCOMPARE(minutes(all), Counts({0, 1, 1, 1, 0, 0, 1})); // 1.5, 2, 9.98, 120 minutes
    QCOMPARE(all.meanAttempts, (1 + 2 + 7 + 2 + 3) / 5.0);
    QCOMPARE(all.medianMinutes.value_or(-1), (2 + 9 + 59 / 60.0) / 2);
    QCOMPARE(all.p90Minutes.value_or(-1), 120.0);

    // Grouped by the hour of the day's first attempt.
    QCOMPARE(attempts(result.byHour[6]), Counts({1, 1, 0, 0, 0, 1}));
    QCOMPARE(result.byHour[7].notPassedDays, 1);
    QCOMPARE(attempts(result.byHour[7]), Counts({0, 1, 0, 0, 0, 0}));
    QCOMPARE(result.byHour[14].medianMinutes.value_or(-1), 9 + 59 / 60.0);
    QCOMPARE(result.byHour[8].passedDays + result.byHour[8].notPassedDays, 0);

    QCOMPARE(result.byMonth.size(), 2u);
    QCOMPARE(QList<int>({result.byMonth[0].year, result.byMonth[0].month,
                         result.byMonth[0].distribution.passedDays}),
             QList<int>({2026, 1, 3}));
    QCOMPARE(QList<int>({result.byMonth[1].year, result.byMonth[1].month,
                         result.byMonth[1].distribution.passedDays,
                         result.byMonth[1].distribution.notPassedDays}),
             QList<int>({2026, 2, 2, 1}));
}

QTEST_GUILESS_MAIN(TestDailyFigures)
#include "tst_dailyfigures.moc"
