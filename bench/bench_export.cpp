// Exports of a 100,000-row datalogger table: the fixed-width text file, and
// the workbook next to libxlsxwriter writing the same cells with shared
// strings. Run one filter at a time under /usr/bin/time -v for peak memory.
#include "common/CompleteSave.h"
#include "export/CellText.h"
#include "export/FixedWidthLayout.h"
#include "export/TextExport.h"
#include "export/WorkbookExport.h"
#include "export/WorkbookWriter.h"
#include "records/ColumnSort.h"
#include "records/DataloggerTable.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#ifdef NXA_HAVE_XLSXWRITER
#include <xlsxwriter.h>
#endif

#include <map>
#include <string>
#include <vector>

using namespace nxa;

namespace {

const records::DataloggerTable &table(int rowCount = 100000) {
    static std::map<int, records::DataloggerTable> tables;
    if (tables.count(rowCount) == 0) {
        records::DataloggerTable &t = tables[rowCount];
        const char *first[] = {"Anna", "Bruno", "Carla", "Dieter", "Elena", "Franz", "Greta",
                               "Hugo", "Ines",  "Jonas", "Klara",  "Lukas", "Maja",  "Nils",
                               "Olga", "Paul",  "Rosa",  "Sven",   "Tina",  "Udo"};
        const char *last[] = {"Meier",   "Huber",   "Schmid",        "Keller",     "Weber",
                              "Fischer", "Baumann", "Frei",          "Zimmermann", "Brunner",
                              "Gerber",  "Moser",   "M\xC3\xBCller", "Steiner",    "Graf"};
        const char *recognition[] = {"Finger", "Code", "Number"};
        for (int r = rowCount - 1; r >= 0; --r) {
            records::Row row;
            row[0] = QString::number(1 + r % 4);
            row[1] = QStringLiteral("%1").arg(1 + r % 300, 5, 10, QLatin1Char('0'));
            row[2] = r % 17 == 0 ? QStringLiteral("Yes") : QStringLiteral("No");
            row[3] = QString::fromUtf8(first[r % 20]) + QLatin1Char(' ') +
                     QString::fromUtf8(last[(r / 20) % 15]);
            row[4] = QString::number(500 + (r * 37) % 9000);
            row[5] = QString::number(200 + (r * 13) % 5000);
            row[6] = QString::number(200 + (r * 29) % 5000);
            row[7] = QString::number(400 + (r * 42) % 10000);
            row[8] = r % 11 == 0 ? QStringLiteral("No") : QStringLiteral("Yes");
            row[9] = r % 11 == 0 ? QStringLiteral("OFF") : QStringLiteral("ON");
            row[10] = QString::fromLatin1(recognition[r % 3]);
            row[11] = QStringLiteral("%1/%2/2024")
                          .arg(1 + (r / 300) % 28, 2, 10, QLatin1Char('0'))
                          .arg(1 + (r / 8400) % 12, 2, 10, QLatin1Char('0'));
            const int seconds = (r * 7919) % 86400;
            row[12] = QStringLiteral("%1:%2:%3")
                          .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                          .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                          .arg(seconds % 60, 2, 10, QLatin1Char('0'));
            row[13] = QStringLiteral("00112233445566778899AABBCCDDEEFF");
            t.insertAtTop(row);
        }
    }
    return tables[rowCount];
}

// The same rows after a click on the Name header.
const records::DataloggerTable &sortedTable(int rows) {
    static std::map<int, records::DataloggerTable> tables;
    if (tables.count(rows) == 0) {
        tables[rows] = table(rows);
        records::sortTable(tables[rows], records::kColumnName, records::SortDirection::Ascending);
    }
    return tables[rows];
}

QTemporaryDir &folder() {
    static QTemporaryDir dir;
    return dir;
}

qint64 fileSize(const QString &path) {
    return QFileInfo(path).size();
}

void BM_TableOnly(benchmark::State &state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(table().rowCount());
}

void BM_TextExport(benchmark::State &state) {
    const QString path = folder().filePath(QStringLiteral("log.txt"));
    table();
    for (auto _ : state) {
        const exports::ExportResult result = exports::textExport(table(), path);
        if (!result.ok)
            state.SkipWithError("text export failed");
    }
    state.counters["bytes"] = static_cast<double>(fileSize(path));
}

// Text export of 10^5 and 10^6 rows, in insertion order and sorted by Name.
void BM_TextExportOrder(benchmark::State &state) {
    const int rows = static_cast<int>(state.range(0));
    const bool sorted = state.range(1) != 0;
    const records::DataloggerTable &rowsToWrite = sorted ? sortedTable(rows) : table(rows);
    const QString path = folder().filePath(QStringLiteral("order.txt"));
    for (auto _ : state) {
        if (!exports::textExport(rowsToWrite, path).ok)
            state.SkipWithError("text export failed");
    }
    state.counters["bytes"] = static_cast<double>(fileSize(path));
}

// The floor of the text export: the same number of bytes written the same
// way (a line buffer of 512 lines at a time through QSaveFile, committed),
// without reading a table. What the export costs beyond this is its own.
void BM_TextWriteFloor(benchmark::State &state) {
    const int rows = static_cast<int>(state.range(0));
    const QString path = folder().filePath(QStringLiteral("floor.txt"));
    constexpr int kLinesPerWrite = 512;
    const QByteArray lines(kLinesPerWrite * (exports::kExportLineWidth + 2), ' ');
    for (auto _ : state) {
        QSaveFile file(path);
        file.open(QIODevice::WriteOnly);
        for (int first = 0; first <= rows; first += kLinesPerWrite) {
            const int count = std::min(kLinesPerWrite, rows + 1 - first);
            file.write(lines.constData(), qint64(count) * (exports::kExportLineWidth + 2));
        }
        if (!commitComplete(file))
            state.SkipWithError("write failed");
    }
    state.counters["bytes"] = static_cast<double>(fileSize(path));
}

void BM_WorkbookExport(benchmark::State &state) {
    const QString path = folder().filePath(QStringLiteral("ours.xlsx"));
    table();
    for (auto _ : state) {
        const exports::ExportResult result = exports::workbookExport(table(), path);
        if (!result.ok)
            state.SkipWithError("workbook export failed");
    }
    state.counters["bytes"] = static_cast<double>(fileSize(path));
}

// The tab-separated source of the workbook writer for a table size, written once.
QString sourceFile(int rows) {
    const QString source = folder().filePath(QStringLiteral("source%1.temp").arg(rows));
    if (!QFile::exists(source)) {
        QFile file(source);
        file.open(QIODevice::WriteOnly);
        exports::writeTabSeparated(table(rows), file);
    }
    return source;
}

// Only the table and the writer's source, to tell their memory from the
// writer's own (peak resident memory under /usr/bin/time -v).
void BM_WriterSourceOnly(benchmark::State &state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(sourceFile(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_WriterSourceOnly)->Arg(1000000)->Iterations(1);

// The writer alone, from a tab-separated file already on disk: rows, and
// whether the compression runs on a second thread.
void BM_WriteWorkbook(benchmark::State &state) {
    const QString source = sourceFile(static_cast<int>(state.range(0)));
    const QString path = folder().filePath(QStringLiteral("writer.xlsx"));
    exports::WorkbookWriteOptions options;
    options.compressOnSecondThread = state.range(1) != 0;
    for (auto _ : state) {
        if (!exports::writeWorkbook(source, path, QStringLiteral("\t"), options))
            state.SkipWithError("writer failed");
    }
    state.counters["bytes"] = static_cast<double>(fileSize(path));
}

#ifdef NXA_HAVE_XLSXWRITER

// The cells of the workbook export, worked out once outside the timing: the
// fixed-width field texts in UTF-8 and whether each one is a number.
struct PreparedCell {
    std::string text;
    bool numeric;
    double value;
};

const std::vector<std::vector<PreparedCell>> &preparedCells() {
    static const std::vector<std::vector<PreparedCell>> cells = [] {
        std::vector<std::vector<PreparedCell>> rows;
        auto addLine = [&rows](const QString &line) {
            std::vector<PreparedCell> row;
            const QStringList fields = line.split(QLatin1Char('\t'));
            for (int f = 0; f + 1 < fields.size(); ++f) {
                const std::string text = fields[f].toStdString();
                const bool numeric = exports::isNumeric(text);
                row.push_back({text, numeric, numeric ? std::stod(text) : 0.0});
            }
            rows.push_back(std::move(row));
        };
        QString line;
        exports::appendTitleLine(line, QLatin1Char('\t'));
        addLine(line.chopped(2));
        for (int r = 0; r < table().rowCount(); ++r) {
            line.clear();
            exports::appendRowLine(line, table().row(r), QLatin1Char('\t'));
            addLine(line.chopped(2));
        }
        return rows;
    }();
    return cells;
}

// Only the prepared cells, to tell their memory from libxlsxwriter's own.
void BM_PreparedCellsOnly(benchmark::State &state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(preparedCells().size());
}

void BM_Libxlsxwriter(benchmark::State &state) {
    const std::string path = folder().filePath(QStringLiteral("reference.xlsx")).toStdString();
    const auto &rows = preparedCells();
    for (auto _ : state) {
        lxw_workbook *workbook = workbook_new(path.c_str());
        lxw_worksheet *sheet = workbook_add_worksheet(workbook, nullptr);
        for (size_t r = 0; r < rows.size(); ++r) {
            for (size_t c = 0; c < rows[r].size(); ++c) {
                const PreparedCell &cell = rows[r][c];
                if (cell.numeric)
                    worksheet_write_number(sheet, static_cast<lxw_row_t>(r),
                                           static_cast<lxw_col_t>(c), cell.value, nullptr);
                else
                    worksheet_write_string(sheet, static_cast<lxw_row_t>(r),
                                           static_cast<lxw_col_t>(c), cell.text.c_str(), nullptr);
            }
        }
        if (workbook_close(workbook) != LXW_NO_ERROR)
            state.SkipWithError("libxlsxwriter failed");
    }
    state.counters["bytes"] = static_cast<double>(fileSize(QString::fromStdString(path)));
}

// libxlsxwriter in constant_memory mode from the same tab-separated source
// the writer reads: lines split at tabs, numbers written as numbers. Reading
// the source is part of both timings.
void BM_LibxlsxwriterConstantMemory(benchmark::State &state) {
    const QString source = sourceFile(static_cast<int>(state.range(0)));
    const std::string path = folder().filePath(QStringLiteral("constant.xlsx")).toStdString();
    for (auto _ : state) {
        QFile file(source);
        file.open(QIODevice::ReadOnly);
        lxw_workbook_options options = {};
        options.constant_memory = LXW_TRUE;
        lxw_workbook *workbook = workbook_new_opt(path.c_str(), &options);
        lxw_worksheet *sheet = workbook_add_worksheet(workbook, nullptr);
        lxw_row_t r = 0;
        std::string field;
        while (!file.atEnd()) {
            const QByteArray line = file.readLine();
            const std::string_view text(line.constData(), static_cast<size_t>(line.size()));
            lxw_col_t c = 0;
            size_t start = 0;
            for (size_t tab = text.find('\t'); tab != std::string_view::npos;
                 start = tab + 1, tab = text.find('\t', start), ++c) {
                field.assign(text.substr(start, tab - start));
                if (exports::isNumeric(field))
                    worksheet_write_number(sheet, r, c, std::stod(field), nullptr);
                else if (!field.empty())
                    worksheet_write_string(sheet, r, c, field.c_str(), nullptr);
            }
            ++r;
        }
        if (workbook_close(workbook) != LXW_NO_ERROR)
            state.SkipWithError("libxlsxwriter failed");
    }
    state.counters["bytes"] = static_cast<double>(fileSize(QString::fromStdString(path)));
}

#endif

} // namespace

BENCHMARK(BM_TableOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextExport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextExportOrder)
    ->ArgNames({"rows", "sorted"})
    ->ArgsProduct({{100000, 1000000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextWriteFloor)
    ->ArgName("rows")
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WorkbookExport)->Unit(benchmark::kMillisecond);
#ifdef NXA_HAVE_XLSXWRITER
BENCHMARK(BM_PreparedCellsOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libxlsxwriter)->Unit(benchmark::kMillisecond);
#endif
// Our writer on one and on two threads next to libxlsxwriter's constant_memory
// mode, size by size in the same run, so the ratio is taken under one load.
// CPU is that of the whole process, every thread of the writer included.
BENCHMARK(BM_WriteWorkbook)
    ->ArgNames({"rows", "threads"})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
#ifdef NXA_HAVE_XLSXWRITER
BENCHMARK(BM_LibxlsxwriterConstantMemory)
    ->Arg(100000)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
#endif
BENCHMARK(BM_WriteWorkbook)
    ->ArgNames({"rows", "threads"})
    ->Args({1000000, 0})
    ->Args({1000000, 1})
    ->Iterations(1)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
#ifdef NXA_HAVE_XLSXWRITER
BENCHMARK(BM_LibxlsxwriterConstantMemory)
    ->Arg(1000000)
    ->Iterations(1)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
#endif

BENCHMARK_MAIN();
