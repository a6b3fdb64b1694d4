#include "export/WorkbookExport.h"

#include "export/FixedWidthLayout.h"
#include "export/WorkbookWriter.h"

#include <QFile>

namespace nxa::exports {

namespace {

constexpr int kRowsPerBatch = 512;

bool writeUtf8(QIODevice &device, const QString &text) {
    const QByteArray bytes = text.toUtf8();
    return device.write(bytes) == bytes.size();
}

} // namespace

WorkbookPaths workbookPaths(const QString &givenPath) {
    QString base = givenPath;
    base.remove(QStringLiteral(".xlsx"), Qt::CaseInsensitive);
    return {base, base + QStringLiteral(".temp"), base + QStringLiteral(".xlsx")};
}

bool writeTabSeparated(const records::DataloggerTable &table, QIODevice &device) {
    const QChar tab(QLatin1Char('\t'));
    QString batch;
    batch.reserve((kExportLineWidth + kExportColumnCount + 2) * kRowsPerBatch);
    appendTitleLine(batch, tab);
    bool ok = true;
    for (int r = 0; r < table.rowCount(); ++r) {
        appendRowLine(batch, table.row(r), tab);
        if ((r + 1) % kRowsPerBatch == 0) {
            ok = writeUtf8(device, batch) && ok;
            batch.clear();
        }
    }
    if (!batch.isEmpty())
        ok = writeUtf8(device, batch) && ok;
    return ok;
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
