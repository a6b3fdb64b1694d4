#include "analysis/TheilSen.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

using namespace nxa::analysis;

namespace {

// The line by its definition: every pairwise slope sorted, the middle one or
// two, the bounds at the ranks of the Kendall interval, the middle of the
// points' intercepts.
TrendLine sortedReference(const std::vector<double> &x, const std::vector<double> &y) {
    const std::size_t n = x.size();
    std::vector<double> slopes;
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j)
            if (x[j] != x[i])
                slopes.push_back((y[j] - y[i]) / (x[j] - x[i]));
    std::sort(slopes.begin(), slopes.end());
    const auto middleOf = [](const std::vector<double> &sorted) {
        const std::size_t m = sorted.size();
        return m % 2 == 1 ? sorted[m / 2] : (sorted[m / 2 - 1] + sorted[m / 2]) / 2;
    };
    TrendLine line;
    line.points = static_cast<int>(n);
    line.slope = middleOf(slopes);
    std::vector<double> sortedY = y;
    std::sort(sortedY.begin(), sortedY.end());
    double variance = static_cast<double>(n * (n - 1) * (2 * n + 5));
    for (auto tie = sortedY.begin(); tie != sortedY.end();) {
        const auto end = std::upper_bound(tie, sortedY.end(), *tie);
        const double t = static_cast<double>(end - tie);
        variance -= t * (t - 1) * (2 * t + 5);
        tie = end;
    }
    const double c = kZ95 * std::sqrt(variance / 18);
    const double m = static_cast<double>(slopes.size());
    const double low = std::floor((m - c) / 2);
    const double high = std::ceil((m + c) / 2 + 1);
    line.slopeLow = low >= 1 ? slopes[static_cast<std::size_t>(low) - 1] : -INFINITY;
    line.slopeHigh = high <= m ? slopes[static_cast<std::size_t>(high) - 1] : INFINITY;
    std::vector<double> intercepts;
    for (std::size_t i = 0; i < n; ++i)
        intercepts.push_back(y[i] - line.slope * x[i]);
    std::sort(intercepts.begin(), intercepts.end());
    line.intercept = middleOf(intercepts);
    return line;
}

} // namespace

class TestTheilSen : public QObject {
    Q_OBJECT
private slots:
    void sameAsSortingEverySlope_data();
    void sameAsSortingEverySlope();
};

void TestTheilSen::sameAsSortingEverySlope_data() {
    QTest::addColumn<int>("points");
    QTest::addColumn<double>("step");     // y rounded to it (ties); 0: not rounded
    QTest::addColumn<int>("repeatEvery"); // every k-th x repeats the one before; 0: none
    QTest::addColumn<double>("trend");    // per x
    QTest::newRow("three points") << 3 << 0.0 << 0 << 0.0;
    QTest::newRow("ten, ties") << 10 << 0.1 << 0 << 0.0;
    QTest::newRow("24: the smallest count selected in a band") << 24 << 0.0 << 0 << 0.01;
    QTest::newRow("30, every third x twice: even slope count") << 30 << 0.0 << 3 << 0.0;
    QTest::newRow("90 days") << 90 << 0.0 << 0 << 0.0;
    QTest::newRow("90 days, drifting") << 90 << 0.0 << 0 << -0.01;
    QTest::newRow("91 days, coarse readings") << 91 << 0.05 << 0 << 0.0;
    QTest::newRow("120, five distinct values") << 120 << 0.25 << 0 << 0.0;
    QTest::newRow("200, repeated x and ties") << 200 << 0.02 << 5 << 0.002;
    QTest::newRow("400, steep trend") << 400 << 0.0 << 0 << 0.05;
    QTest::newRow("60, all equal") << 60 << 10.0 << 0 << 0.0;
    QTest::newRow("60, all x equal but two") << 60 << 0.0 << 1 << 0.0;
}

// Whichever way the ranks are selected, each is exactly the slope of that
// rank: the same doubles, bit for bit.
void TestTheilSen::sameAsSortingEverySlope() {
    QFETCH(int, points);
    QFETCH(double, step);
    QFETCH(int, repeatEvery);
    QFETCH(double, trend);
    std::mt19937 random(static_cast<unsigned>(points * 7919 + repeatEvery));
    std::normal_distribution<double> noise(0, 0.08);
    std::vector<double> x, y;
    for (int i = 0; i < points; ++i) {
        const bool repeat = repeatEvery > 0 && i > 0 && i % repeatEvery == 0;
        x.push_back(repeat ? x.back() : static_cast<double>(i - points));
        const double value = 3.3 + trend * x.back() + noise(random);
        y.push_back(step > 0 ? std::round(value / step) * step : value);
    }
    if (repeatEvery == 1)
        x.back() += 1;

    TrendScratch scratch;
    // Twice: a fit must not depend on what the scratch held before.
    for (int turn = 0; turn < 2; ++turn) {
        const TrendLine fitted = theilSen(x, y, kZ95, scratch);
        const TrendLine expected = sortedReference(x, y);
        QCOMPARE(fitted.points, expected.points);
        QVERIFY2(fitted.slope == expected.slope,
                 qPrintable(QString::number(fitted.slope, 'g', 17)));
        QVERIFY(fitted.slopeLow == expected.slopeLow);
        QVERIFY(fitted.slopeHigh == expected.slopeHigh);
        QVERIFY(fitted.intercept == expected.intercept);
    }
}

QTEST_APPLESS_MAIN(TestTheilSen)
#include "tst_theilsen.moc"
