// One person's 90-day trend chart to SVG and to an image, and a document
// holding a per-person table to HTML and to PDF, by the number of rows.
#include "charts/ChartPainting.h"
#include "document/ReportDocument.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QDate>
#include <QGuiApplication>

#include <cmath>

namespace {

using namespace nxa::charts;
using namespace nxa::document;

PersonTrend ninetyDays() {
    const int today = static_cast<int>(QDate(2026, 12, 7).toJulianDay());
    PersonTrend chart{QStringLiteral("Person 417: footwear"), today - 89, today, {}, {}};
    for (const auto &[name, start] : {std::pair{"L", 2000.0}, {"R", 1500.0}, {"WS", 900.0}}) {
        TrendSeries series{QString::fromLatin1(name), {}, {}, {}};
        for (int d = 0; d < 90; ++d) {
            series.points.push_back(
                {today - 89 + d, start * std::pow(1.03, d) * (1.0 + 0.2 * std::sin(d))});
        }
        chart.series.push_back(series);
    }
    chart.series[0].fit =
        FittedLine{QStringLiteral("L trend"), {today - 59, 4800}, {today + 12, 35000}};
    chart.series[0].crossing = DayValue{today + 12, 35000};
    chart.band = LimitBand{QStringLiteral("Footwear limits"), 100, 35000};
    return chart;
}

ReportDocument personTable(int rows) {
    Table table{{QStringLiteral("Person"), QStringLiteral("Tests"),
                 QStringLiteral("First-attempt pass rate"), QStringLiteral("Failures"),
                 QStringLiteral("Last test")},
                {},
                {false, true, true, true, false}};
    for (int row = 0; row < rows; ++row) {
        table.rows.push_back(
            {QStringLiteral("Person %1").arg(row), QString::number(20 + row % 60),
             QStringLiteral("%1 %").arg(90 + row % 10), QString::number(row % 7),
             QStringLiteral("2026-12-07 07:%1").arg(row % 60, 2, 10, QLatin1Char('0'))});
    }
    return {QStringLiteral("Plant"),
            QStringLiteral("2026-11-08 to 2026-12-07"),
            QDateTime::currentDateTime(),
            {{QStringLiteral("Drift watch"), {Chart(ninetyDays()), table}}}};
}

void BM_TrendChartToSvg(benchmark::State &state) {
    const Chart chart = ninetyDays();
    for (auto _ : state) {
        benchmark::DoNotOptimize(chartSvg(chart));
    }
}
BENCHMARK(BM_TrendChartToSvg)->Unit(benchmark::kMillisecond);

void BM_TrendChartToImage(benchmark::State &state) {
    const Chart chart = ninetyDays();
    for (auto _ : state) {
        benchmark::DoNotOptimize(chartImage(chart, 2.0));
    }
}
BENCHMARK(BM_TrendChartToImage)->Unit(benchmark::kMillisecond);

void BM_PersonTableToHtml(benchmark::State &state) {
    const ReportDocument document = personTable(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(reportHtml(document));
    }
}
BENCHMARK(BM_PersonTableToHtml)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_PersonTableToPdf(benchmark::State &state) {
    const ReportDocument document = personTable(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QByteArray pdf;
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        benchmark::DoNotOptimize(writeReportPdf(document, buffer));
        state.counters["bytes"] = static_cast<double>(pdf.size());
    }
}
BENCHMARK(BM_PersonTableToPdf)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
