#include "app/printing/ReportPrinting.h"

#include "app/printing/PrinterCanvas.h"
#include "report/DataloggerReport.h"
#include "report/ProfilesReport.h"
#include "report/UsersReport.h"

#include <QPrinter>

namespace nxa::app {

namespace {

// Shows the printer dialog, preset to one copy and all pages, and draws the
// report on the chosen printer. A cancelled dialog or a job that cannot start
// prints nothing and shows nothing.
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
        draw(canvas);
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
        report::dataloggerReport(canvas, table, hideValues, *title);
    });
}

void printProfilesReport(const config::StationConfig &config, UserDialogs &dialogs) {
    printReport(dialogs, report::profilesDocumentName(config),
                [&](report::Canvas &canvas) { report::profilesReport(canvas, config); });
}

void printUsersReport(const config::StationConfig &config, UserDialogs &dialogs) {
    printReport(dialogs, report::usersDocumentName(config),
                [&](report::Canvas &canvas) { report::usersReport(canvas, config); });
}

} // namespace nxa::app
