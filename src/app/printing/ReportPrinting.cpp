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

} // namespace nxa::app
