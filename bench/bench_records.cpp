#include "records/ColumnSort.h"
#include "samples/DataloggerImageBuilder.h"
#include "records/DataloggerMerge.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace nxa::records;

namespace {

// 100,000 distinct rows, as ten downloads of full dataloggers would leave them.
DataloggerTable largeTable() {
    DataloggerTable table;
    for (quint32 seed = 1; seed <= 10; ++seed) {
        SampleDataloggerOptions options;
        options.userCount = 1000;
        options.start = QDateTime(QDate(2020, 1, 1).addDays(seed * 60), QTime(6, 0));
        table.clearDuplicateKeys();
        mergeDataloggerImage(table, sampleDatalogger(10000, seed, options).transferImage());
    }
    return table;
}

const DataloggerTable &sharedTable() {
    static const DataloggerTable table = largeTable();
    return table;
}

void BM_MergeFullImageIntoLargeTable(benchmark::State &state) {
    SampleDataloggerOptions options;
    options.userCount = 1000;
    const QByteArray image = sampleDatalogger(10000, 77, options).transferImage();
    // Tables are built and destroyed outside the timed part.
    std::unique_ptr<DataloggerTable> table;
    for (auto _ : state) {
        state.PauseTiming();
        table.reset();
        table = std::make_unique<DataloggerTable>(sharedTable());
        table->rebuildDuplicateKeys();
        state.ResumeTiming();
        const MergeResult result = mergeDataloggerImage(*table, image);
        benchmark::DoNotOptimize(result.added);
    }
    table.reset();
}
BENCHMARK(BM_MergeFullImageIntoLargeTable)->Unit(benchmark::kMillisecond);

// The same image again: every record is a duplicate.
void BM_MergeDuplicateImage(benchmark::State &state) {
    DataloggerTable table = sharedTable();
    table.rebuildDuplicateKeys();
    SampleDataloggerOptions options;
    options.userCount = 1000;
    options.start = QDateTime(QDate(2020, 1, 1).addDays(60), QTime(6, 0));
    const QByteArray image = sampleDatalogger(10000, 1, options).transferImage();
    for (auto _ : state) {
        const MergeResult result = mergeDataloggerImage(table, image);
        if (result.added != 0)
            state.SkipWithError("duplicates were added");
    }
}
BENCHMARK(BM_MergeDuplicateImage)->Unit(benchmark::kMillisecond);

void BM_RebuildDuplicateKeys(benchmark::State &state) {
    DataloggerTable table = sharedTable();
    for (auto _ : state)
        table.rebuildDuplicateKeys();
}
BENCHMARK(BM_RebuildDuplicateKeys)->Unit(benchmark::kMillisecond);

void BM_SortLargeTable(benchmark::State &state) {
    const int column = static_cast<int>(state.range(0));
    std::unique_ptr<DataloggerTable> table;
    for (auto _ : state) {
        state.PauseTiming();
        table.reset();
        table = std::make_unique<DataloggerTable>(sharedTable());
        state.ResumeTiming();
        sortTable(*table, column, SortDirection::Ascending);
        benchmark::DoNotOptimize(table->cell(0, column));
    }
    table.reset();
}
BENCHMARK(BM_SortLargeTable)
    ->ArgName("column")
    ->Arg(kColumnName)
    ->Arg(kColumnId)
    ->Arg(kColumnDate)
    ->Arg(kColumnLeft)
    ->Unit(benchmark::kMillisecond);

// A day-first date column takes the date comparison rather than text.
void BM_SortDayFirstDates(benchmark::State &state) {
    DataloggerTable source = sharedTable();
    DataloggerTable dated;
    for (int r = source.rowCount() - 1; r >= 0; --r) {
        Row row = source.row(r);
        const QString &date = row[kColumnDate];
        row[kColumnDate] =
            date.mid(8, 2) + QLatin1Char('/') + date.mid(5, 2) + QLatin1Char('/') + date.left(4);
        dated.insertAtTop(row);
    }
    std::unique_ptr<DataloggerTable> table;
    for (auto _ : state) {
        state.PauseTiming();
        table.reset();
        table = std::make_unique<DataloggerTable>(dated);
        state.ResumeTiming();
        sortTable(*table, kColumnDate, SortDirection::Descending);
    }
    table.reset();
}
BENCHMARK(BM_SortDayFirstDates)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
