#include "export/WorkbookExport.h"

#include "common/RegularFile.h"
#include "export/FixedWidthLayout.h"
#include "export/WorkbookWriter.h"

#include <QTemporaryFile>

namespace nxa::exports {

WorkbookPaths workbookPaths(const QString &givenPath) {
    QString base = givenPath;
    base.remove(QStringLiteral(".xlsx"), Qt::CaseInsensitive);
    return {base, base + QStringLiteral(".XXXXXX.temp"), base + QStringLiteral(".xlsx")};
}

bool writeTabSeparated(const records::DataloggerTable &table, QIODevice &device) {
    return writeLayoutLines(table, device, QLatin1Char('\t'));
}

ExportResult workbookExport(const records::DataloggerTable &table, const QString &path) {
    const WorkbookPaths paths = workbookPaths(path);
    if (!isRegularOrMissing(paths.workbook))
        return {false, paths.workbook};
    // A name of its own for every export, so runs that write the same
    // workbook at once never read each other's rows; removed when it goes
    // out of scope, whatever happened.
    QTemporaryFile temporary(paths.temporary);
    if (!temporary.open())
        return {false, paths.workbook};
    // A temporary file that lost rows would give a workbook that lacks them,
    // so a write error fails the export instead of being passed over.
    bool ok = writeTabSeparated(table, temporary) && temporary.flush();
    ok = ok && temporary.error() == QFileDevice::NoError;
    // The workbook is written beside its target and renamed over it whole.
    ok = ok && writeWorkbook(temporary.fileName(), paths.workbook, QStringLiteral("\t"));
    return {ok, paths.workbook};
}

} // namespace nxa::exports
