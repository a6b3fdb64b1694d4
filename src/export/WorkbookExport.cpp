#include "export/WorkbookExport.h"

#include "export/FixedWidthLayout.h"
#include "export/WorkbookWriter.h"

#include <QFile>

namespace nxa::exports {

WorkbookPaths workbookPaths(const QString &givenPath) {
    QString base = givenPath;
    base.remove(QStringLiteral(".xlsx"), Qt::CaseInsensitive);
    return {base, base + QStringLiteral(".temp"), base + QStringLiteral(".xlsx")};
}

bool writeTabSeparated(const records::DataloggerTable &table, QIODevice &device) {
    return writeLayoutLines(table, device, QLatin1Char('\t'));
}

ExportResult workbookExport(const records::DataloggerTable &table, const QString &path) {
    const WorkbookPaths paths = workbookPaths(path);
    QFile temporary(paths.temporary);
    if (!temporary.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {false, paths.workbook};
    // A temporary file that lost rows would give a workbook that lacks them,
    // so a write error fails the export instead of being passed over.
    bool ok = writeTabSeparated(table, temporary) && temporary.flush();
    temporary.close();
    ok = ok && temporary.error() == QFileDevice::NoError;
    ok = ok && writeWorkbook(paths.temporary, paths.workbook, QStringLiteral("\t"));
    QFile::remove(paths.temporary);
    return {ok, paths.workbook};
}

} // namespace nxa::exports
