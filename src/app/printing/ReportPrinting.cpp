#include "app/printing/ReportPrinting.h"

#include "app/printing/PrinterCanvas.h"
#include "charts/ChartPainting.h"
#include "report/DataloggerReport.h"
#include "report/ProfilesReport.h"
#include "report/UsersReport.h"

#include <QPrinter>

#include <algorithm>

namespace nxa::app {

namespace {

// Shows the printer dialog, preset to one copy and all pages, and draws the
// report on the chosen printer. A cancelled dialog or a job that cannot start
// prints nothing and shows nothing; a drawing that returns false (the user
// stopped it) aborts the job.
template <typename Draw>
void printReport(UserDialogs &dialogs, const QString &documentName, Draw draw) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setCopyCount(1);
    printer.setPrintRange(QPrinter::AllPages);
    printer.setDocName(documentName);
    if (!dialogs.setUpPrinter(printer))
        return;
    printer.setDocName(documentName);
    PrinterCanvas canvas(printer);
    if (!canvas.isActive())
        return;
    const int copies = PrinterCanvas::copiesToDraw(printer);
    for (int copy = 0; copy < copies; ++copy) {
        if (copy > 0)
            canvas.startCopy();
        if (!draw(canvas)) {
            canvas.abort();
            return;
        }
    }
    canvas.finish();
}

} // namespace

void printDataloggerReport(const records::DataloggerTable &table, bool hideValues,
                           UserDialogs &dialogs) {
    const std::optional<QString> title = dialogs.inputText(
        QStringLiteral("Brontel NXA"), QStringLiteral("Edit the title of the Report"),
        QStringLiteral("Brontel NXA report"));
    if (!title)
        return;
    printReport(dialogs, *title, [&](report::Canvas &canvas) {
        const std::unique_ptr<ProgressWindow> progress =
            dialogs.beginProgress(QStringLiteral("Printing..."), true);
        return report::dataloggerReport(canvas, table, hideValues, *title,
                                        progressCallback(*progress));
    });
}

void printProfilesReport(const config::StationConfig &config, UserDialogs &dialogs) {
    printReport(dialogs, report::profilesDocumentName(config), [&](report::Canvas &canvas) {
        report::profilesReport(canvas, config);
        return true;
    });
}

void printUsersReport(const config::StationConfig &config, UserDialogs &dialogs) {
    printReport(dialogs, report::usersDocumentName(config), [&](report::Canvas &canvas) {
        report::usersReport(canvas, config);
        return true;
    });
}

void printChartPage(const QString &title, const QStringList &lines,
                    const std::vector<charts::Chart> &charts, UserDialogs &dialogs) {
    printReport(dialogs, title, [&](PrinterCanvas &canvas) {
        // Sizes follow the page, as the charts do, so every printer shows the same page.
        const int margin = canvas.pageWidth() / 20;
        const int width = canvas.pageWidth() - 2 * margin;
        int y = margin;
        report::FontSpec font;
        font.role = report::FontRole::Title;
        font.pixelSize = canvas.pageHeight() / 60;
        canvas.setFont(font);
        canvas.drawText(margin, y, title, {0, 0, 0});
        y += canvas.textHeight(title) * 3 / 2;
        font.role = report::FontRole::Body;
        font.pixelSize = canvas.pageHeight() / 90;
        canvas.setFont(font);
        for (const QString &line : lines) {
            canvas.drawText(margin, y, line, {0, 0, 0});
            y += canvas.textHeight(line);
        }
        y += canvas.textHeight(title);
        if (!charts.empty()) {
            const int chartHeight =
                std::min(width * charts::kChartSize.height() / charts::kChartSize.width(),
                         (canvas.pageHeight() - margin - y) / int(charts.size()));
            for (const charts::Chart &chart : charts) {
                canvas.drawChart(chart, QRect(margin, y, width, chartHeight));
                y += chartHeight;
            }
        }
        return true;
    });
}

} // namespace nxa::app
