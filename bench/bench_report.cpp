// Printing the datalogger report to a PDF file through the printer canvas,
// and laying it out alone on a canvas that draws nothing.
#include "WidgetBenchmarkMain.h"
#include "app/printing/PrinterCanvas.h"
#include "records/DataloggerTable.h"
#include "report/DataloggerReport.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>

namespace {

using namespace nxa;

records::DataloggerTable makeTable(int rows) {
    records::DataloggerTable table;
    for (int i = 0; i < rows; ++i) {
        records::Row row;
        row[records::kColumnPn] = QStringLiteral("1");
        row[records::kColumnId] = QString::number(i % 1000);
        row[records::kColumnName] = QStringLiteral("User %1").arg(i % 1000);
        row[records::kColumnWristStrap] = QString::number(800 + i % 400);
        row[records::kColumnLeft] = i % 5 == 0 ? QString() : QString::number(700 + i % 300);
        row[records::kColumnRight] = QString::number(650 + i % 350);
        row[records::kColumnLeftRight] = QString::number(1500 + i % 700);
        row[records::kColumnPass] = i % 9 == 0 ? QStringLiteral("N") : QStringLiteral("Y");
        row[records::kColumnRelay] = QStringLiteral("Y");
        row[records::kColumnRecognition] = QStringLiteral("Fingerprint");
        row[records::kColumnDate] = QStringLiteral("12/03/2024");
        row[records::kColumnTime] = QStringLiteral("08:15:%1").arg(i % 60, 2, 10, QLatin1Char('0'));
        table.insertAtTop(row);
    }
    return table;
}

void BM_DataloggerReportToPdf(benchmark::State &state) {
    const records::DataloggerTable table = makeTable(static_cast<int>(state.range(0)));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    qint64 bytes = 0;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setDocName(QStringLiteral("Brontel NXA report"));
        app::PrinterCanvas canvas(printer);
        report::dataloggerReport(canvas, table, false, QStringLiteral("Brontel NXA report"));
        canvas.finish();
        bytes = QFileInfo(path).size();
    }
    state.counters["pdf_bytes"] = static_cast<double>(bytes);
    state.counters["rows_per_s"] = benchmark::Counter(
        static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DataloggerReportToPdf)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond);

// Layout cost without any drawing: measures the report code alone.
class NullCanvas : public report::Canvas {
public:
    int pageWidth() const override { return 9212; }
    int pageHeight() const override { return 13307; }
    int screenDpi() const override { return 96; }
    void setFont(const report::FontSpec &font) override { m_pixels = font.pixelSize; }
    int textWidth(const QString &text) override { return int(text.size()) * m_pixels / 2; }
    int textHeight(const QString &) override { return m_pixels; }
    void drawText(int x, int, const QString &, report::Rgb) override {
        benchmark::DoNotOptimize(x);
    }
    void fillRect(int, int, int, int, report::Rgb) override {}
    void drawLine(int, int, int, int, report::Rgb) override {}
    void drawLogo(int, int, int, int) override {}
    void newPage() override { ++pages; }
    int pages = 0;

private:
    int m_pixels = 0;
};

void BM_DataloggerReportLayout(benchmark::State &state) {
    const records::DataloggerTable table = makeTable(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        NullCanvas canvas;
        report::dataloggerReport(canvas, table, false, QStringLiteral("Brontel NXA report"));
        benchmark::DoNotOptimize(canvas.pages);
    }
}
BENCHMARK(BM_DataloggerReportLayout)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    return runWidgetBenchmarks(argc, argv);
}
