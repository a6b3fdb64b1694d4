#include "records/ColumnSort.h"
#include "records/DataloggerImage.h"
#include "records/DataloggerMerge.h"
#include "samples/DataloggerImageBuilder.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>

#include <map>
#include <memory>
#include <vector>

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

// A plant's log files: full 10,000-record dataloggers of 1000 users, each
// starting where the one before ended, as a tester's log files over months.
QByteArray plantImage(int index) {
    SampleDataloggerOptions options;
    options.userCount = 1000;
    options.peripheralNumber = 1 + index % 20;
    options.start = QDateTime(QDate(2020, 1, 1).addDays(index * 9), QTime(6, 0));
    return sampleDatalogger(10000, 1000 + static_cast<quint32>(index), options).transferImage();
}

// The table the manager holds after importing rows / 10,000 such files.
const DataloggerTable &plantTable(int rows) {
    static std::map<int, DataloggerTable> tables;
    auto found = tables.find(rows);
    if (found == tables.end()) {
        DataloggerTable &table = tables[rows];
        for (int i = 0; i < rows / 10000; ++i) {
            table.rebuildDuplicateKeys();
            mergeDataloggerImage(table, plantImage(i));
        }
        table.rebuildDuplicateKeys();
        return table;
    }
    return found->second;
}

size_t allocatedBytes() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Bytes per row as the allocator counts them: the rows, their pooled texts and
// the duplicate key set, after every import took its snapshot.
void BM_TableMemory(benchmark::State &state) {
    const int rows = static_cast<int>(state.range(0));
    std::vector<QByteArray> images;
    for (int i = 0; i < rows / 10000; ++i)
        images.push_back(plantImage(i));
    size_t bytes = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const size_t before = allocatedBytes();
        {
            auto table = std::make_unique<DataloggerTable>();
            for (const QByteArray &image : images) {
                table->rebuildDuplicateKeys();
                mergeDataloggerImage(*table, image);
            }
            table->rebuildDuplicateKeys();
            bytes = allocatedBytes() - before;
            benchmark::DoNotOptimize(table->rowCount());
            if (table->rowCount() != rows)
                state.SkipWithError("rows were lost");
        }
    }
    state.counters["bytes_per_row"] = static_cast<double>(bytes) / rows;
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_TableMemory)
    ->ArgName("rows")
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// 100 log files imported one after another into one table, each import
// taking its snapshot first, as Open File does.
void BM_HundredImports(benchmark::State &state) {
    std::vector<QByteArray> images;
    for (int i = 0; i < 100; ++i)
        images.push_back(plantImage(i));
    for (auto _ : state) {
        DataloggerTable table;
        for (const QByteArray &image : images) {
            table.rebuildDuplicateKeys();
            mergeDataloggerImage(table, image);
        }
        state.PauseTiming();
        if (table.rowCount() != 1000000)
            state.SkipWithError("rows were lost");
        table = DataloggerTable();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_HundredImports)->Iterations(1)->Unit(benchmark::kMillisecond);

// A log file that ends early reads as records of zeros from there on: up to
// 10,000 identical rows of user 0 per file, all of which the table keeps.
QByteArray damagedImage(int index) {
    QByteArray image = plantImage(index);
    const qsizetype accessRecords = qsizetype(kPreambleRecordCount + kHeaderRecordCount +
                                              kSpareRecordCount + kUserRecordCount) *
                                    kRecordSize;
    std::fill(image.begin() + accessRecords, image.end(), '\0');
    return image;
}

// 100 merges, every tenth of a damaged image taken whole (no duplicate
// test, as an unattended download takes it): 1,000,000 rows of which 100,000
// are identical. Each snapshot and merge costs what it adds, however many
// rows are alike.
void BM_ImportsWithIdenticalRows(benchmark::State &state) {
    std::vector<QByteArray> images;
    for (int i = 0; i < 100; ++i)
        images.push_back(i % 10 == 9 ? damagedImage(9) : plantImage(i));
    for (auto _ : state) {
        DataloggerTable table;
        for (int i = 0; i < 100; ++i) {
            if (i % 10 == 9)
                table.clearDuplicateKeys();
            else
                table.rebuildDuplicateKeys();
            mergeDataloggerImage(table, images[static_cast<size_t>(i)]);
        }
        table.rebuildDuplicateKeys();
        state.PauseTiming();
        if (table.rowCount() != 1000000)
            state.SkipWithError("rows were lost");
        // One more damaged file: every row a duplicate.
        state.ResumeTiming();
        const MergeResult again = mergeDataloggerImage(table, images[9]);
        state.PauseTiming();
        if (again.added != 0)
            state.SkipWithError("duplicates were added");
        table = DataloggerTable();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ImportsWithIdenticalRows)->Iterations(1)->Unit(benchmark::kMillisecond);

// Each column type at 10^4 to 10^6 rows: Name and Date compare as text
// (year-first dates), ID as integers, L+R as integers with empty cells.
void BM_SortPlantTable(benchmark::State &state) {
    const int column = static_cast<int>(state.range(0));
    const int rows = static_cast<int>(state.range(1));
    std::unique_ptr<DataloggerTable> table;
    for (auto _ : state) {
        state.PauseTiming();
        table.reset();
        table = std::make_unique<DataloggerTable>(plantTable(rows));
        state.ResumeTiming();
        sortTable(*table, column, SortDirection::Ascending);
        benchmark::DoNotOptimize(table->cell(0, column));
    }
    table.reset();
}
BENCHMARK(BM_SortPlantTable)
    ->ArgNames({"column", "rows"})
    ->ArgsProduct({{kColumnName, kColumnId, kColumnDate, kColumnLeftRight},
                   {10000, 100000, 1000000}})
    ->Unit(benchmark::kMillisecond);

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

// Day-first dates sort as dates; decimals with a comma as decimals.
void BM_SortDatesAndDecimals(benchmark::State &state) {
    const int column = static_cast<int>(state.range(0));
    const DataloggerTable &source = plantTable(1000000);
    DataloggerTable changed;
    for (int r = source.rowCount() - 1; r >= 0; --r) {
        Row row = source.row(r);
        const QString date = row[kColumnDate];
        row[kColumnDate] =
            date.mid(8, 2) + QLatin1Char('/') + date.mid(5, 2) + QLatin1Char('/') + date.left(4);
        row[kColumnId] = row[kColumnId] + QStringLiteral(",5");
        changed.insertAtTop(row);
    }
    std::unique_ptr<DataloggerTable> table;
    for (auto _ : state) {
        state.PauseTiming();
        table.reset();
        table = std::make_unique<DataloggerTable>(changed);
        state.ResumeTiming();
        sortTable(*table, column, SortDirection::Descending);
    }
    table.reset();
}
BENCHMARK(BM_SortDatesAndDecimals)
    ->ArgName("column")
    ->Arg(kColumnDate)
    ->Arg(kColumnId)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
