#include "analysis/PlantAnalysis.h"
#include "analysis/TheilSen.h"

#include <benchmark/benchmark.h>

#include <QDate>
#include <QDateTime>

#include <map>
#include <random>

using namespace nxa::analysis;

namespace {

constexpr int kTesters = 100;
constexpr int kDays = 90;
const int kLastDay = static_cast<int>(QDate(2026, 3, 31).toJulianDay());

// A plant of `persons` spread over 100 testers, each testing on every one of
// 90 days until `records` accesses are made: mostly first-time passes, some
// retests, wrist strap and shoes measured, two configurations per tester and
// a daily collection.
Plant generatePlant(int persons, int records) {
    Plant plant;
    plant.nowMs = QDateTime(QDate::fromJulianDay(kLastDay + 1), QTime(9, 0)).toMSecsSinceEpoch();
    const int perTester = persons / kTesters;
    plant.testers.resize(kTesters);
    for (int t = 0; t < kTesters; ++t) {
        TesterInput &tester = plant.testers[static_cast<std::size_t>(t)];
        tester.name = QStringLiteral("Entrance %1").arg(t + 1);
        for (int from : {kLastDay - kDays - 10, kLastDay - 30}) {
            LimitsSnapshot snapshot;
            snapshot.fromDay = from;
            snapshot.users.resize(nxa::kUserCount);
            for (int u = 0; u < perTester; ++u)
                snapshot.users[static_cast<std::size_t>(u)] = {true, QStringLiteral("Person"),
                                                               u % 10};
            for (auto &profile : snapshot.profiles)
                profile = {{100, 35000}, {750, 35000}, Check::WristStrapAndShoes};
            tester.limits.push_back(std::move(snapshot));
        }
        for (int d = kLastDay - kDays + 1; d <= kLastDay + 1; ++d)
            tester.attempts.push_back(
                {QDateTime(QDate::fromJulianDay(d), QTime(5, 0)).toMSecsSinceEpoch(), true, 9000});
    }
    std::mt19937 random(2026);
    std::uniform_real_distribution<double> uniform(0, 1);
    std::normal_distribution<double> noise(0, 0.08);
    const double perDay = static_cast<double>(records) / (static_cast<double>(persons) * kDays);
    plant.accesses.reserve(static_cast<std::size_t>(records) + persons);
    for (int t = 0; t < kTesters; ++t)
        for (int u = 0; u < perTester; ++u) {
            const double drift = uniform(random) < 0.02 ? 0.01 : 0;
            for (int d = kLastDay - kDays + 1; d <= kLastDay; ++d) {
                // The day's count varies around the average, 1 at least.
                const int count = std::max(1, static_cast<int>(perDay + uniform(random)));
                int second = 6 * 3600 + static_cast<int>(uniform(random) * 3600 * 10);
                for (int k = 0; k < count && second < 86400; ++k, second += 90) {
                    Access access;
                    access.tester = t;
                    access.user = static_cast<std::int16_t>(u);
                    access.day = d;
                    access.second = second;
                    const double level = 3.3 + drift * (d - kLastDay) + noise(random);
                    access.wsKohm = static_cast<std::int32_t>(std::pow(10.0, 3.5 + noise(random)));
                    access.lKohm = static_cast<std::int32_t>(std::pow(10.0, level));
                    access.rKohm = static_cast<std::int32_t>(std::pow(10.0, level + noise(random)));
                    access.pass = k + 1 == count || uniform(random) < 0.5;
                    access.relay = access.pass;
                    plant.accesses.push_back(access);
                }
            }
        }
    return plant;
}

const Plant &plantOf(int persons, int records) {
    static std::map<std::pair<int, int>, Plant> plants;
    auto found = plants.find({persons, records});
    if (found == plants.end())
        found = plants.emplace(std::pair{persons, records}, generatePlant(persons, records)).first;
    return found->second;
}

template <class Compute> void run(benchmark::State &state, Compute compute) {
    const Plant &plant =
        plantOf(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state)
        benchmark::DoNotOptimize(compute(plant));
    state.counters["records"] = static_cast<double>(plant.accesses.size());
}

void BM_DailyCompliance(benchmark::State &state) {
    run(state, dailyCompliance);
}
void BM_DayExceptions(benchmark::State &state) {
    run(
        state, [](const Plant &p) { return dayExceptions(p, kLastDay); });
}
void BM_DriftWatch(benchmark::State &state) {
    run(
        state, [](const Plant &p) { return driftWatch(p, kLastDay); });
}
void BM_TesterHealth(benchmark::State &state) {
    run(
        state, [](const Plant &p) { return testerHealth(p); });
}
void BM_Retests(benchmark::State &state) {
    run(
        state, [](const Plant &p) { return retests(dailyCompliance(p)); });
}
void BM_WholeAnalysis(benchmark::State &state) {
    run(
        state, [](const Plant &p) { return analysePlant(p, kLastDay); });
}

// Theil-Sen lines of a person's daily medians over `days` days, as the drift
// watch fits them: log10 of whole kilohms, so equal medians recur.
void BM_TheilSen(benchmark::State &state) {
    const auto days = static_cast<std::size_t>(state.range(0));
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 0.08);
    std::vector<std::vector<double>> series(64);
    for (std::vector<double> &y : series)
        for (std::size_t d = 0; d < days; ++d)
            y.push_back(std::log10(std::round(std::pow(10.0, 3.3 + noise(random)))));
    std::vector<double> x(days);
    for (std::size_t d = 0; d < days; ++d)
        x[d] = static_cast<double>(d) - static_cast<double>(days);
    TrendScratch scratch;
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(theilSen(x, series[next], kZ95, scratch));
        next = (next + 1) % series.size();
    }
}

// persons, records: the plant of 1,000,000 records, then twice the records,
// then half the persons.
void sizes(benchmark::internal::Benchmark *b) {
    b->Args({5000, 1000000})->Args({5000, 2000000})->Args({2500, 1000000});
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_DailyCompliance)->Apply(sizes);
BENCHMARK(BM_DayExceptions)->Apply(sizes);
BENCHMARK(BM_DriftWatch)->Apply(sizes);
BENCHMARK(BM_TesterHealth)->Apply(sizes);
BENCHMARK(BM_Retests)->Apply(sizes);
BENCHMARK(BM_WholeAnalysis)->Apply(sizes);
BENCHMARK(BM_TheilSen)->Arg(30)->Arg(90)->Arg(365)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
