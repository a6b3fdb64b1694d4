// The drift plant, analysed day by day over its last 60 days as the morning
// check does: what acts on every person of the plant or of one tester is
// named once, and only the persons who drift on their own are flagged.
#include "ScenarioPlant.h"

#include "analysis/DriftWatch.h"
#include "analysis/PlantLevels.h"
#include "analysis/TesterFunnel.h"

#include <QTest>

#include <cmath>
#include <map>
#include <set>

using namespace nxa;
using namespace nxa::analysis;
using namespace nxa::analysis::test;

namespace {

const QDate kToday(2026, 12, 8);
constexpr int kDaysChecked = 60;
constexpr int kFlagAhead = 14;

enum Causes { kDryAir = 1, kWornPlate = 2, kNewShoes = 4, kRaisedFails = 8 };

samples::DriftScenario scenarioOf(int causes) {
    samples::DriftScenario s;
    s.dryAir = causes & kDryAir;
    s.wornPlate = causes & kWornPlate;
    s.newShoes = causes & kNewShoes;
    s.raisedFails = causes & kRaisedFails;
    return s;
}

int offsetDay(int offset) {
    return static_cast<int>(kToday.toJulianDay()) + offset;
}

using Person = std::pair<int, int>; // tester, user

// What the check would say on each of the days checked.
struct Checked {
    Plant plant;
    std::map<Person, int> firstFlagged;
    std::map<Person, int> firstFail;
    // Per day, the shifts: by tester (-1 the plant) and measure.
    std::map<int, std::vector<LevelShift>> shifts;
    std::map<int, TesterFunnel> funnels;
};

const Checked &checked(int causes) {
    static std::map<int, Checked> cache;
    if (auto found = cache.find(causes); found != cache.end())
        return found->second;
    Checked &c = cache[causes];
    c.plant = scenarioPlant(kToday, scenarioOf(causes));
    for (const Access &a : c.plant.accesses)
        if (!a.pass && a.wsKohm != 48000 && !c.firstFail.count({a.tester, a.user}))
            c.firstFail[{a.tester, a.user}] = a.day;
    AnalysisSettings settings;
    settings.fitEveryTrend = false;
    for (int day = offsetDay(-kDaysChecked); day <= offsetDay(-1); ++day) {
        const PlantLevels levels = plantLevels(c.plant, day, settings);
        for (const DriftResult &d : driftWatch(c.plant, day, settings, levels))
            if (d.flagged() && !c.firstFlagged.count({d.tester, d.user}))
                c.firstFlagged[{d.tester, d.user}] = day;
        c.shifts[day] = levels.shifts;
        c.funnels[day] = testerFunnel(c.plant, day, settings);
    }
    return c;
}

samples::ScenarioRole roleOf(const Plant &plant, int tester, int user, int causes) {
    static std::map<std::pair<int, int>, samples::ScenarioTester> testers;
    auto found = testers.find({causes, tester});
    if (found == testers.end())
        found = testers
                    .emplace(std::pair{causes, tester},
                             *samples::scenarioTester(
                                 plant.testers[static_cast<std::size_t>(tester)].name, kToday,
                                 scenarioOf(causes)))
                    .first;
    return found->second.persons[static_cast<std::size_t>(user - 1)].role;
}

} // namespace

Q_DECLARE_METATYPE(LevelMeasure)

class TestSharedCauses : public QObject {
    Q_OBJECT
private slots:
    void flagsThePersonsWhoDriftOnTheirOwn_data();
    void flagsThePersonsWhoDriftOnTheirOwn();
    void namesEachSharedShiftOnce_data();
    void namesEachSharedShiftOnce();
    void namesTheTesterThatFailsMore_data();
    void namesTheTesterThatFailsMore();
};

void TestSharedCauses::flagsThePersonsWhoDriftOnTheirOwn_data() {
    QTest::addColumn<int>("causes");
    QTest::addColumn<int>("daysAhead");
    // Dry air that starts days before a drifter would fail makes them fail
    // sooner than anyone could foresee from their own trend.
    // clang-format off
    QTest::newRow("nothing shared")          << 0                                   << 14;
    QTest::newRow("all but dry air")         << (kWornPlate | kNewShoes | kRaisedFails) << 14;
    QTest::newRow("everything at once")      << (kDryAir | kWornPlate | kNewShoes | kRaisedFails) << 7;
    // clang-format on
}

// At least 90 % of the drifters who fail in the days checked are flagged 14
// days before their first fail (7 when dry air hastens it); at most 5 % of the steady persons and
// none of those with new shoes are flagged on any day.
void TestSharedCauses::flagsThePersonsWhoDriftOnTheirOwn() {
    QFETCH(int, causes);
    QFETCH(int, daysAhead);
    const Checked &c = checked(causes);
    int drifters = 0, early = 0, steady = 0, steadyFlagged = 0;
    QStringList late;
    for (std::size_t t = 0; t < c.plant.testers.size(); ++t)
        for (int user = 1; user <= 40; ++user) {
            const Person p{static_cast<int>(t), user};
            const auto flagged = c.firstFlagged.find(p);
            switch (roleOf(c.plant, p.first, user, causes)) {
            case samples::ScenarioRole::Drifter: {
                const auto fail = c.firstFail.find(p);
                QVERIFY2(fail != c.firstFail.end(), "every drifter fails");
                if (fail->second - kFlagAhead < offsetDay(-kDaysChecked))
                    break;
                ++drifters;
                if (flagged != c.firstFlagged.end() && flagged->second <= fail->second - daysAhead)
                    ++early;
                else
                    late.append(QStringLiteral("%1/%2").arg(p.first).arg(user));
                break;
            }
            case samples::ScenarioRole::NewShoes:
                QVERIFY2(flagged == c.firstFlagged.end(), qPrintable(QString::number(user)));
                break;
            case samples::ScenarioRole::Steady:
                ++steady;
                steadyFlagged += flagged != c.firstFlagged.end() ? 1 : 0;
                break;
            }
        }
    for (const QString &l : late) {
        const Person p{l.section('/', 0, 0).toInt(), l.section('/', 1).toInt()};
        qInfo("%s fail %d flagged %d", qPrintable(l), c.firstFail.at(p) - offsetDay(0),
              c.firstFlagged.count(p) ? c.firstFlagged.at(p) - offsetDay(0) : 0);
    }
    qInfo("%d of %d drifters flagged %d days ahead (late: %s); %d of %d steady persons flagged",
          early, drifters, daysAhead, qPrintable(late.join(' ')), steadyFlagged, steady);
    QVERIFY(drifters >= 10);
    QVERIFY(early >= 0.9 * drifters);
    QVERIFY(steadyFlagged <= 0.05 * steady);
}

void TestSharedCauses::namesEachSharedShiftOnce_data() {
    QTest::addColumn<int>("causes");
    QTest::addColumn<int>("tester"); // -1: the plant
    QTest::addColumn<LevelMeasure>("measure");
    QTest::addColumn<int>("startOffset"); // 0: no shift planted
    QTest::addColumn<double>("factorToday");

    const double plate = std::pow(samples::kWornPlatePerDay, -1 - samples::kWornPlateFrom);
    const int all = kDryAir | kWornPlate | kNewShoes | kRaisedFails;
    const int plateOnly = kWornPlate | kNewShoes | kRaisedFails;
    // clang-format off
    QTest::newRow("worn plate at north")       << plateOnly       << 0  << LevelMeasure::WristStrap << samples::kWornPlateFrom  << plate;
    QTest::newRow("both: dry air")             << all             << -1 << LevelMeasure::Footwear   << samples::kDryAirFrom     << samples::kDryAirFactor;
    QTest::newRow("both: worn plate at north") << all             << 0  << LevelMeasure::WristStrap << samples::kWornPlateFrom  << plate;
    QTest::newRow("nothing shared")            << 0               << -1 << LevelMeasure::Footwear   << 0                        << 1.0;
    // clang-format on
}

// A planted shift is reported within 10 days of its start and from then on
// every day as one entry, dated within 3 days of its start; nothing else is
// ever reported as a shift.
void TestSharedCauses::namesEachSharedShiftOnce() {
    QFETCH(int, causes);
    QFETCH(int, tester);
    QFETCH(LevelMeasure, measure);
    QFETCH(int, startOffset);
    QFETCH(double, factorToday);
    const Checked &c = checked(causes);
    std::optional<int> firstReported;
    for (const auto &[day, shifts] : c.shifts) {
        int planted = 0;
        for (const LevelShift &s : shifts) {
            const bool match = startOffset != 0 && s.tester == tester && s.measure == measure;
            const bool other =
                (s.tester == -1 && s.measure == LevelMeasure::Footwear && (causes & kDryAir)) ||
                (s.tester == 0 && s.measure == LevelMeasure::WristStrap && (causes & kWornPlate));
            QVERIFY2(match || other, qPrintable(QStringLiteral("day %1: tester %2 measure %3")
                                                    .arg(day - offsetDay(0))
                                                    .arg(s.tester)
                                                    .arg(int(s.measure))));
            if (!match)
                continue;
            ++planted;
            QVERIFY2(std::abs(s.change.startDay - offsetDay(startOffset)) <= 3,
                     qPrintable(QStringLiteral("day %1: start %2")
                                    .arg(day - offsetDay(0))
                                    .arg(s.change.startDay - offsetDay(0))));
            if (day == offsetDay(-1))
                QVERIFY2(std::abs(std::log(s.change.factor / factorToday)) < std::log(1.15),
                         qPrintable(QString::number(s.change.factor)));
        }
        QVERIFY(planted <= 1);
        if (planted && !firstReported)
            firstReported = day;
        if (firstReported)
            QCOMPARE(planted, 1);
    }
    if (startOffset == 0)
        return;
    QVERIFY(firstReported);
    qInfo("reported %d days after its start", *firstReported - offsetDay(startOffset));
    QVERIFY(*firstReported - offsetDay(startOffset) <= 10);
}

void TestSharedCauses::namesTheTesterThatFailsMore_data() {
    QTest::addColumn<int>("causes");
    QTest::addColumn<QString>("outside"); // empty: none
    QTest::newRow("west fails one in five")
        << (kDryAir | kWornPlate | kNewShoes | kRaisedFails) << "west";
    QTest::newRow("all fail alike") << 0 << "";
}

// On every day checked the tester with the raised fail rate, and only it,
// stands beyond the funnel's 99.8 % limits of the last 7 days.
void TestSharedCauses::namesTheTesterThatFailsMore() {
    QFETCH(int, causes);
    QFETCH(QString, outside);
    const Checked &c = checked(causes);
    for (const auto &[day, funnel] : c.funnels) {
        QStringList found;
        for (const FunnelPoint &p : funnel.testers) {
            QVERIFY(p.standing != FunnelStanding::TooFewTests);
            if (p.standing == FunnelStanding::Outside)
                found.append(c.plant.testers[static_cast<std::size_t>(p.tester)].name);
        }
        QVERIFY2(
            found.join(' ') == outside,
            qPrintable(QStringLiteral("day %1: %2").arg(day - offsetDay(0)).arg(found.join(' '))));
    }
}

QTEST_GUILESS_MAIN(TestSharedCauses)
#include "tst_sharedcauses.moc"
