#include "export/WorkbookExport.h"

#include "common/RegularFile.h"
#include "common/UnnamedTemporaryFile.h"
#include "export/FixedWidthLayout.h"
#include "export/WorkbookWriter.h"

#include <QDir>
#include <QFileInfo>

namespace nxa::exports {

WorkbookPaths workbookPaths(const QString &givenPath) {
    // Only the file name's own extension: a folder such as "reports.xlsx.d"
    // is never renamed.
    const qsizetype nameStart = givenPath.lastIndexOf(QLatin1Char('/')) + 1;
    // "." and ".." name folders, not files: "..xlsx" would be a hidden file
    // of another name.
    const QStringView name = QStringView(givenPath).mid(nameStart);
    if (name == u"." || name == u"..")
        return {givenPath, QString()};
    QString base = givenPath;
    const QLatin1String extension(".xlsx");
    if (base.size() - nameStart >= extension.size() &&
        base.endsWith(extension, Qt::CaseInsensitive))
        base.chop(extension.size());
    if (base.size() == nameStart)
        return {base, QString()};
    return {base, base + extension};
}

bool writeTabSeparated(const records::DataloggerTable &table, QIODevice &device,
                       const ProgressCallback &progress) {
    return writeLayoutLines(table, device, QLatin1Char('\t'), progress);
}

namespace {

// Writing the temporary text takes about a fifth of the time, the workbook
// the rest.
constexpr qint64 kTemporaryShare = 200;

} // namespace

ExportResult workbookExport(const records::DataloggerTable &table, const QString &path,
                            const ProgressCallback &progress) {
    const WorkbookPaths paths = workbookPaths(path);
    if (paths.workbook.isEmpty() || !isRegularOrMissing(paths.workbook))
        return {false, paths.workbook.isEmpty() ? path : paths.workbook};
    // A file of its own for every export, so runs that write the same
    // workbook at once never read each other's rows; it has no name, so
    // nothing is left of it however the export ends. Where the workbook's
    // folder cannot hold one, the temporary folder does.
    const QString folder = QFileInfo(paths.workbook).absolutePath();
    QFile temporary;
    if (!openUnnamedTemporaryFile(temporary, folder) &&
        !openUnnamedTemporaryFile(temporary, QDir::tempPath()))
        return {false, paths.workbook};
    // A temporary file that lost rows would give a workbook that lacks them,
    // so a write error fails the export instead of being passed over.
    bool stopped = false;
    bool ok = writeTabSeparated(table, temporary,
                                scaledProgress(progress, stopped, 0, kTemporaryShare)) &&
              temporary.flush() && temporary.error() == QFileDevice::NoError && temporary.seek(0);
    // The workbook is written beside its target without a name too, and
    // takes a name only to be renamed over the target, whole.
    QFile workbook;
    ok = ok && openUnnamedTemporaryFile(workbook, folder);
    if (!ok)
        return {false, paths.workbook, stopped};
    WorkbookWriteOptions options;
    options.progress = scaledProgress(progress, stopped, kTemporaryShare, kProgressScale);
    int sheets = 0;
    if (!writeWorkbook(temporary, workbook, QStringLiteral("\t"), options, &sheets))
        return {false, paths.workbook, stopped};
    // A short write (a full disk, a file size limit) can leave the buffered
    // tail unwritten without an error being reported.
    const qint64 written = workbook.pos();
    ok = workbook.flush() && workbook.size() == written &&
         replaceWithUnnamedFile(workbook, paths.workbook);
    return {ok, paths.workbook, stopped, sheets};
}

} // namespace nxa::exports
