#include "PlantBuilder.h"

#include "analysis/DriftWatch.h"

#include <QTest>

#include <cmath>
#include <optional>
#include <random>

using namespace nxa::analysis;
using namespace nxa::analysis::test;

Q_DECLARE_METATYPE(Mode)
Q_DECLARE_METATYPE(Check)
Q_DECLARE_METATYPE(Measure)

namespace {

constexpr int kFootMin = 750;
constexpr int kFootMax = 35000;

// One HandFree person whose both-feet resistance follows
// log10 R = log10(kohmOnDay) + slope * (day - kDay) + noise, one reading a day.
Plant driftingPerson(double kohmOnDay, double factorPerMonth, int days, double noise,
                     const Range &footwear, bool configured) {
    Plant plant;
    plant.testers.resize(1);
    if (configured) {
        LimitsSnapshot snapshot = snapshotFrom(kDay - 200, Mode::HandFree);
        snapshot.profiles[0].footwear = footwear;
        plant.testers[0].limits.push_back(snapshot);
    }
    std::mt19937 random(7);
    std::normal_distribution<double> gauss(0, noise);
    const double slope = std::log10(factorPerMonth) / 30;
    auto reading = [&](int day, double log10Kohm) {
        Access access = accessAt(0, 4, day, 7 * 3600, true);
        access.lrKohm = static_cast<std::int32_t>(std::lround(std::pow(10.0, log10Kohm)));
        plant.accesses.push_back(access);
    };
    // Readings outside the window would bend the line if they were used.
    for (int day = kDay - 90; day < kDay - 59; ++day)
        reading(day, 0);
    for (int day = kDay - days + 1; day <= kDay; ++day)
        reading(day,
                std::log10(kohmOnDay) + slope * (day - kDay) + (noise > 0 ? gauss(random) : 0));
    reading(kDay + 1, 0);
    return plant;
}

// A person's readings: the level on the day analysed, its change per month,
// the days with a reading, and the noise (standard deviation of log10).
struct Series {
    double kohmOnDay = 0;
    double factorPerMonth = 1;
    int days = 0;
    double noise = 0;
};

// The footwear limits of the person's profile; 0 leaves a side empty. Not
// configured: the tester's configuration was never collected.
struct Limits {
    int minKohm = kFootMin;
    int maxKohm = kFootMax;
    bool configured = true;
};

// What the drift watch should say of the person.
struct Expected {
    bool fitted = true;
    bool significant = true;
    double daysToCrossing = -1; // -1: never
    bool crossingSoon = false;
    std::optional<LimitSide> near;
};

} // namespace

Q_DECLARE_METATYPE(Series)
Q_DECLARE_METATYPE(Limits)
Q_DECLARE_METATYPE(Expected)

class TestDriftWatch : public QObject {
    Q_OBJECT
private slots:
    void trendOfSyntheticSeries_data();
    void trendOfSyntheticSeries();
    void pureNoiseIsRarelySignificant_data();
    void pureNoiseIsRarelySignificant();
    void watchesWhatTheProfileChecks_data();
    void watchesWhatTheProfileChecks();
};

void TestDriftWatch::trendOfSyntheticSeries_data() {
    QTest::addColumn<Series>("series");
    QTest::addColumn<Limits>("limits");
    QTest::addColumn<Expected>("expected");

    const double inTwentyDays = kFootMax / std::pow(2.0, 20.0 / 30);
    const double tenDaysAboveMin = kFootMin * std::pow(2.0, 10.0 / 30);
    const auto max = LimitSide::Max;
    const auto min = LimitSide::Min;
    const std::optional<LimitSide> none;
    // clang-format off
    QTest::newRow("doubling monthly, max in 20 days")   << Series{inTwentyDays, 2.0, 60, 0.03}    << Limits{}                        << Expected{.daysToCrossing = 20, .crossingSoon = true, .near = none};
    QTest::newRow("doubling monthly, max in 60 days")   << Series{kFootMax / 4.0, 2.0, 60, 0.03}  << Limits{}                        << Expected{.daysToCrossing = 60, .near = none};
    QTest::newRow("halving monthly, min in 10 days")    << Series{tenDaysAboveMin, 0.5, 40, 0.03} << Limits{}                        << Expected{.daysToCrossing = 10, .crossingSoon = true, .near = min};
    QTest::newRow("already beyond max")                 << Series{kFootMax * 1.2, 2.0, 30, 0.03}  << Limits{}                        << Expected{.daysToCrossing = 0, .crossingSoon = true, .near = max};
    QTest::newRow("flat at 0.7 of max is near it")      << Series{kFootMax * 0.7, 1.0, 60, 0.0}   << Limits{}                        << Expected{.significant = false, .near = max};
    QTest::newRow("flat at 0.6 of max is not")          << Series{kFootMax * 0.6, 1.0, 60, 0.0}   << Limits{}                        << Expected{.significant = false, .near = none};
    QTest::newRow("flat at 1.4 of min is near it")      << Series{kFootMin * 1.4, 1.0, 60, 0.0}   << Limits{}                        << Expected{.significant = false, .near = min};
    QTest::newRow("seven days are too few")             << Series{inTwentyDays, 4.0, 7, 0.01}     << Limits{}                        << Expected{.fitted = false, .significant = false, .near = none};
    QTest::newRow("eight days suffice")                 << Series{inTwentyDays, 4.0, 8, 0.01}     << Limits{}                        << Expected{.daysToCrossing = 10, .crossingSoon = true, .near = none};
    QTest::newRow("an empty max checks nothing")        << Series{inTwentyDays, 2.0, 60, 0.03}    << Limits{.maxKohm = 0}            << Expected{};
    QTest::newRow("no configuration, no limit to flag") << Series{inTwentyDays, 2.0, 60, 0.03}    << Limits{.configured = false}     << Expected{};
    // clang-format on
}

void TestDriftWatch::trendOfSyntheticSeries() {
    QFETCH(Series, series);
    QFETCH(Limits, limits);
    QFETCH(Expected, expected);
    const auto [kohmOnDay, factorPerMonth, days, noise] = series;
    const auto [fitted, significant, daysToCrossing, crossingSoon, near] = expected;
    const bool configured = limits.configured;

    Range footwear;
    if (limits.minKohm > 0)
        footwear.minKohm = limits.minKohm;
    if (limits.maxKohm > 0)
        footwear.maxKohm = limits.maxKohm;
    const auto results = driftWatch(
        driftingPerson(kohmOnDay, factorPerMonth, days, noise, footwear, configured), kDay);
    QCOMPARE(results.size(), 1u);
    const DriftResult &r = results[0];
    QCOMPARE(r.measure, Measure::BothFeet);
    QCOMPARE(r.daysUsed, days);
    QCOMPARE(r.lastDay, kDay);
    QCOMPARE(r.fitted, fitted);
    QCOMPARE(r.limitsKnown, configured);
    QCOMPARE(r.significant, significant);
    QCOMPARE(r.crossingSoon, crossingSoon);
    QCOMPARE(r.flagged(), crossingSoon || near.has_value());
    QCOMPARE(r.nearSide, near);
    if (!fitted)
        return;
    const double slope = std::log10(factorPerMonth) / 30;
    QVERIFY2(std::abs(r.slopePerDay - slope) <= 0.1 * std::abs(slope) + 1e-4,
             qPrintable(QString::number(r.slopePerDay)));
    QVERIFY(r.slopeLow <= r.slopePerDay && r.slopePerDay <= r.slopeHigh);
    QVERIFY(std::abs(std::log10(r.lineKohm / kohmOnDay)) < 0.05);
    QCOMPARE(r.daysToCrossing.has_value(), daysToCrossing >= 0);
    if (daysToCrossing >= 0)
        QVERIFY2(std::abs(*r.daysToCrossing - daysToCrossing) <= 0.15 * daysToCrossing + 1,
                 qPrintable(QString::number(*r.daysToCrossing)));
}

void TestDriftWatch::pureNoiseIsRarelySignificant_data() {
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("readingsPerDay");
    QTest::addColumn<double>("kohm");
    QTest::addColumn<double>("noise"); // sd of log10
    QTest::newRow("8 days") << 8 << 1 << 5000.0 << 0.1;
    QTest::newRow("20 days, 3 readings") << 20 << 3 << 5000.0 << 0.1;
    QTest::newRow("60 days") << 60 << 1 << 5000.0 << 0.1;
    QTest::newRow("60 days, coarse readings with ties") << 60 << 1 << 20.0 << 0.03;
}

void TestDriftWatch::pureNoiseIsRarelySignificant() {
    QFETCH(int, days);
    QFETCH(int, readingsPerDay);
    QFETCH(double, kohm);
    QFETCH(double, noise);
    Plant plant;
    plant.testers.resize(1);
    LimitsSnapshot snapshot = snapshotFrom(kDay - 100);
    snapshot.profiles[0] = {{}, {std::nullopt, 35000}, Check::WristStrap};
    plant.testers[0].limits.push_back(snapshot);
    std::mt19937 random(static_cast<unsigned>(days * 10 + readingsPerDay));
    std::normal_distribution<double> gauss(std::log10(kohm), noise);
    for (int user = 0; user < 1000; ++user)
        for (int day = kDay - days + 1; day <= kDay; ++day)
            for (int k = 0; k < readingsPerDay; ++k) {
                Access access = accessAt(0, user, day, 3600 * (7 + k), true);
                access.wsKohm = static_cast<std::int32_t>(std::lround(std::pow(10, gauss(random))));
                plant.accesses.push_back(access);
            }
    const auto results = driftWatch(plant, kDay);
    QCOMPARE(results.size(), 1000u);
    auto count = [&](auto predicate) {
        return std::count_if(results.begin(), results.end(), predicate);
    };
    // The interval is a 95 % one, so about 5 % of noise series come out
    // significant; 66 is the binomial 99 % upper bound of 1000 such trials.
    const auto significant = count([](const DriftResult &r) { return r.significant; });
    QVERIFY2(significant <= 66, qPrintable(QString::number(significant)));
    const auto flagged = count([](const DriftResult &r) { return r.flagged(); });
    QVERIFY2(flagged <= 50, qPrintable(QString::number(flagged)));
    // Deciding significance without fitting gives the same verdicts and flags.
    AnalysisSettings flagsOnly;
    flagsOnly.fitEveryTrend = false;
    const auto verdicts = driftWatch(plant, kDay, flagsOnly);
    QCOMPARE(verdicts.size(), results.size());
    for (std::size_t i = 0; i < results.size(); ++i) {
        QCOMPARE(verdicts[i].significant, results[i].significant);
        QCOMPARE(verdicts[i].flagged(), results[i].flagged());
    }
}

void TestDriftWatch::watchesWhatTheProfileChecks_data() {
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<Check>("userCheck");
    QTest::addColumn<bool>("visitor");
    QTest::addColumn<QList<Measure>>("measures");
    // clang-format off
    QTest::newRow("wrist strap and shoes") << Mode::Normal   << Check::WristStrapAndShoes << false << QList{Measure::WristStrap, Measure::LeftShoe, Measure::RightShoe};
    QTest::newRow("wrist strap")           << Mode::Normal   << Check::WristStrap         << false << QList{Measure::WristStrap};
    QTest::newRow("shoes")                 << Mode::Normal   << Check::Shoes              << false << QList{Measure::LeftShoe, Measure::RightShoe};
    QTest::newRow("HandFree")              << Mode::HandFree << Check::WristStrap         << false << QList{Measure::BothFeet};
    QTest::newRow("visitor: visitors profile, shoes") << Mode::Normal << Check::WristStrap << true << QList{Measure::LeftShoe, Measure::RightShoe};
    // clang-format on
}

void TestDriftWatch::watchesWhatTheProfileChecks() {
    QFETCH(Mode, mode);
    QFETCH(Check, userCheck);
    QFETCH(bool, visitor);
    QFETCH(QList<Measure>, measures);
    const Range wristStrap{100, 9000};
    const Range footwear{kFootMin, kFootMax};
    auto snapshot = [&](int fromDay, Mode m, Check check) {
        LimitsSnapshot s = snapshotFrom(fromDay, m);
        s.users[12].profile = 3;
        for (auto &profile : s.profiles)
            profile = {footwear, wristStrap, Check::WristStrapAndShoes};
        s.profiles[3].check = check;
        s.profiles[nxa::config::kVisitorsProfile].check = Check::Shoes;
        return s;
    };
    Plant plant;
    plant.testers.resize(1);
    // Neither the configuration before nor the one after the one in force may count.
    const Mode other = mode == Mode::Normal ? Mode::HandFree : Mode::Normal;
    plant.testers[0].limits = {snapshot(kDay - 100, other, Check::WristStrapAndShoes),
                               snapshot(kDay - 20, mode, userCheck),
                               snapshot(kDay + 1, other, Check::WristStrapAndShoes)};
    for (int day = kDay - 9; day <= kDay; ++day) {
        Access access = accessAt(0, 12, day, 8 * 3600, true);
        access.visitor = visitor;
        access.wsKohm = access.lKohm = access.rKohm = access.lrKohm = 2000;
        plant.accesses.push_back(access);
    }
    QList<Measure> watched;
    for (const DriftResult &r : driftWatch(plant, kDay)) {
        watched.append(r.measure);
        QCOMPARE(r.range, r.measure == Measure::WristStrap ? wristStrap : footwear);
    }
    QCOMPARE(watched, measures);
}

QTEST_GUILESS_MAIN(TestDriftWatch)
#include "tst_driftwatch.moc"
