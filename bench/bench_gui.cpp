// The Datalogger view with a full working table: header-click sorts, deleting
// a large selection, painting the list while scrolling, a person's trend
// window and the report of the table.
#include "../tests/app/ScriptedUserDialogs.h"
#include "WidgetBenchmarkMain.h"
#include "app/datalogger/DataloggerModel.h"
#include "app/datalogger/DataloggerView.h"
#include "app/datalogger/TrendWindow.h"
#include "config/StationConfig.h"
#include "records/DataloggerMerge.h"
#include "samples/DataloggerImageBuilder.h"

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QPixmap>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace nxa;

namespace {

constexpr int kRows = 1000000;

// 1,000,000 rows from a hundred full dataloggers, as a plant's log files merged
// into one table would give; or a hundred downloads of one tester, as a site
// with one tester collects over the years.
records::DataloggerTable dataloggers(bool oneTester) {
    records::DataloggerTable t;
    for (int i = 0; i < kRows / 10000; ++i) {
        records::SampleDataloggerOptions options;
        options.peripheralNumber = oneTester ? 1 : 1 + i % 99;
        options.userCount = 1000;
        t.clearDuplicateKeys();
        records::mergeDataloggerImage(
            t, records::sampleDatalogger(10000, 100 + static_cast<quint32>(i), options)
                   .transferImage());
    }
    return t;
}

const records::DataloggerTable &fullTable() {
    static const records::DataloggerTable table = dataloggers(false);
    return table;
}

struct ViewFixture {
    records::DataloggerTable table = fullTable();
    config::StationConfig config;
    app::Session session;
    app::ScriptedUserDialogs dialogs;
    app::DataloggerView view{table, config, session, dialogs};
    ViewFixture() {
        view.resize(800, 620);
        view.show();
        QCoreApplication::processEvents();
    }
};

void BM_SortColumn(benchmark::State &state) {
    ViewFixture fixture;
    const int column = static_cast<int>(state.range(0));
    fixture.view.list()->selectRow(kRows / 3);
    for (auto _ : state) {
        fixture.view.sortByColumn(column);
        QCoreApplication::processEvents();
    }
    state.SetLabel(app::DataloggerModel::columnTitle(column).toStdString());
}
BENCHMARK(BM_SortColumn)
    ->Arg(records::kColumnId)
    ->Arg(records::kColumnName)
    ->Arg(records::kColumnLeftRight)
    ->Arg(records::kColumnDate)
    ->Arg(records::kColumnTime)
    ->Unit(benchmark::kMillisecond);

void BM_SelectAll(benchmark::State &state) {
    ViewFixture fixture;
    for (auto _ : state) {
        fixture.view.list()->clearSelection();
        fixture.view.list()->selectAll();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_SelectAll)->Unit(benchmark::kMillisecond);

// Delete Selection on a freshly filled table: every tenth row selected
// (100,000 separate ranges, the worst case for the selection), or the middle
// half as one range, as a shift-click selects it.
void BM_DeleteSelection(benchmark::State &state) {
    const bool everyTenth = state.range(0) == 10;
    ViewFixture fixture;
    for (auto _ : state) {
        state.PauseTiming();
        fixture.view.model()->beginTableChange();
        fixture.table = fullTable();
        fixture.view.model()->endTableChange();
        QItemSelection selection;
        const auto selectRows = [&](int first, int last) {
            selection.select(fixture.view.model()->index(first, 0),
                             fixture.view.model()->index(last, records::kColumnCount - 1));
        };
        if (everyTenth) {
            for (int row = 0; row < kRows; row += 10)
                selectRows(row, row);
        } else {
            selectRows(kRows / 4, kRows / 4 + kRows / 2 - 1);
        }
        fixture.view.list()->selectionModel()->select(selection,
                                                      QItemSelectionModel::ClearAndSelect);
        fixture.dialogs.yesNoAnswers.enqueue(true);
        state.ResumeTiming();
        fixture.view.deleteSelection();
        QCoreApplication::processEvents();
        if (fixture.table.rowCount() != (everyTenth ? kRows - kRows / 10 : kRows / 2))
            state.SkipWithError("wrong row count after the delete");
    }
}
BENCHMARK(BM_DeleteSelection)->ArgName("step")->Arg(10)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_ScrollAndPaint(benchmark::State &state) {
    ViewFixture fixture;
    QScrollBar *bar = fixture.view.list()->verticalScrollBar();
    QPixmap target(fixture.view.list()->viewport()->size());
    int step = 0;
    for (auto _ : state) {
        bar->setValue((step++ * 997) % bar->maximum());
        fixture.view.list()->viewport()->render(&target);
    }
}
BENCHMARK(BM_ScrollAndPaint)->Unit(benchmark::kMillisecond);

// The table with one person more: 2,000 tests over 400 days, their footwear
// slowly rising, and a configuration of their tester.
struct TrendFixture : ViewFixture {
    static constexpr int kPersonRows = 2000;
    const audit::TablePerson person{100, 7};
    TrendFixture() {
        view.model()->beginTableChange();
        const QDate first(2025, 1, 1);
        for (int i = 0; i < kPersonRows; ++i) {
            records::Row row;
            row[records::kColumnPn] = QStringLiteral("100");
            row[records::kColumnId] = QStringLiteral("7");
            row[records::kColumnVisitor] = QStringLiteral("N");
            row[records::kColumnName] = QStringLiteral("Ada Drift");
            row[records::kColumnWristStrap] = QString::number(900 + i % 50);
            row[records::kColumnLeft] = QString::number(2000 + i * 10 + i % 7 * 100);
            row[records::kColumnRight] = QString::number(2100 + i * 10 + i % 5 * 100);
            row[records::kColumnPass] = QStringLiteral("Y");
            row[records::kColumnRelay] = QStringLiteral("Y");
            row[records::kColumnDate] = first.addDays(i / 5).toString(Qt::ISODate);
            row[records::kColumnTime] = QStringLiteral("07:%1:00").arg(i % 5 * 10 + 10);
            table.insertAtTop(row);
        }
        view.model()->endTableChange();
        config.setPeripheralNumber(100);
        config.users[7].name = QStringLiteral("Ada Drift");
    }
    audit::TableLimits limits() const { return {&config, QDateTime::currentDateTime()}; }
};

// From the menu entry to the window drawn on screen.
void BM_TrendWindowOpen(benchmark::State &state) {
    TrendFixture fixture;
    for (auto _ : state) {
        app::TrendWindow window(
            *fixture.view.model(), [&] { return fixture.limits(); }, fixture.person,
            QStringLiteral("Ada Drift"), fixture.dialogs);
        window.show();
        QCoreApplication::processEvents();
        if (window.page().tests != TrendFixture::kPersonRows)
            state.SkipWithError("wrong number of tests");
    }
}
BENCHMARK(BM_TrendWindowOpen)->Unit(benchmark::kMillisecond);

// A row of the person deleted while the window is open: the redraw alone,
// and the whole delete that triggers it.
void BM_TrendRedrawAfterDelete(benchmark::State &state) {
    const bool withDelete = state.range(0) != 0;
    TrendFixture fixture;
    app::TrendWindow window(
        *fixture.view.model(), [&] { return fixture.limits(); }, fixture.person,
        QStringLiteral("Ada Drift"), fixture.dialogs);
    window.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        const int before = window.page().tests;
        if (withDelete) {
            // The person's rows stand at the top, where they were added.
            fixture.view.model()->removeRowList({0});
        } else {
            window.redraw();
        }
        window.repaint();
        if (window.page().tests != before - (withDelete ? 1 : 0))
            state.SkipWithError("the window did not follow the table");
    }
}
BENCHMARK(BM_TrendRedrawAfterDelete)
    ->ArgName("delete")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

// "Report…" over the whole table, written as HTML and as PDF: the plant's
// table of 99 testers (99,000 persons, each a row of the report's tables),
// and the table of a site with one tester.
void BM_TableReport(benchmark::State &state) {
    const bool pdf = state.range(0) != 0;
    TrendFixture fixture;
    if (state.range(1) == 1) {
        fixture.view.model()->beginTableChange();
        fixture.table = dataloggers(true);
        fixture.view.model()->endTableChange();
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(pdf ? QStringLiteral("r.pdf") : QStringLiteral("r.html"));
    for (auto _ : state) {
        fixture.dialogs.pathAnswers.enqueue(path);
        fixture.view.writeReport();
        if (!QFile::exists(path) || !fixture.dialogs.notices.isEmpty())
            state.SkipWithError("no report written");
        state.counters["bytes"] = double(QFile(path).size());
    }
}
BENCHMARK(BM_TableReport)
    ->ArgNames({"pdf", "testers"})
    ->Args({0, 99})
    ->Args({1, 99})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    return runWidgetBenchmarks(argc, argv);
}
