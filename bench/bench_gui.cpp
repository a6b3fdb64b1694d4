// The Datalogger view with a full working table: header-click sorts, deleting
// a large selection, and painting the list while scrolling.
#include "../tests/app/ScriptedUserDialogs.h"
#include "WidgetBenchmarkMain.h"
#include "app/datalogger/DataloggerModel.h"
#include "app/datalogger/DataloggerView.h"
#include "config/StationConfig.h"
#include "records/DataloggerMerge.h"
#include "samples/DataloggerImageBuilder.h"

#include <QApplication>
#include <QPixmap>
#include <QScrollBar>
#include <QTableView>

#include <benchmark/benchmark.h>

using namespace nxa;

namespace {

constexpr int kRows = 1000000;

// 1,000,000 rows from a hundred full dataloggers, as a plant's log files merged
// into one table would give.
const records::DataloggerTable &fullTable() {
    static const records::DataloggerTable table = [] {
        records::DataloggerTable t;
        for (int i = 0; i < kRows / 10000; ++i) {
            records::SampleDataloggerOptions options;
            options.peripheralNumber = 1 + i % 99;
            options.userCount = 1000;
            t.clearDuplicateKeys();
            records::mergeDataloggerImage(
                t, records::sampleDatalogger(10000, 100 + static_cast<quint32>(i), options)
                       .transferImage());
        }
        return t;
    }();
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

} // namespace

int main(int argc, char **argv) {
    return runWidgetBenchmarks(argc, argv);
}
