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

bool writeTabSeparated(const records::DataloggerTable &table, QIODevice &device,
                       const ProgressCallback &progress) {
    return writeLayoutLines(table, device, QLatin1Char('\t'), progress);
}

namespace {

// Writing the temporary text takes about a fifth of the time, the workbook
// the rest.
constexpr qint64 kProgressScale = 1000;
constexpr qint64 kTemporaryShare = 200;

ProgressCallback scaledProgress(const ProgressCallback &progress, bool &stopped, qint64 from,
                                qint64 to) {
    return [&progress, &stopped, from, to](qint64 done, qint64 total) {
        const qint64 at = total > 0 ? from + (to - from) * done / total : from;
        stopped = !reportProgress(progress, at, kProgressScale);
        return !stopped;
    };
}

} // namespace

ExportResult workbookExport(const records::DataloggerTable &table, const QString &path,
                            const ProgressCallback &progress) {
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
    bool stopped = false;
    bool ok = writeTabSeparated(table, temporary,
                                scaledProgress(progress, stopped, 0, kTemporaryShare)) &&
              temporary.flush();
    ok = ok && temporary.error() == QFileDevice::NoError;
    // The workbook is written beside its target and renamed over it whole.
    WorkbookWriteOptions options;
    options.progress = scaledProgress(progress, stopped, kTemporaryShare, kProgressScale);
    int sheets = 0;
    ok = ok && writeWorkbook(temporary.fileName(), paths.workbook, QStringLiteral("\t"), options,
                             &sheets);
    return {ok, paths.workbook, stopped, sheets};
}

} // namespace nxa::exports
