#include "export/ExportResult.h"

#include "common/ResultCodes.h"

namespace nxa::exports {

QString exportEventLine(const ExportResult &result, const QString &givenPath) {
    // The file actually written, which for a workbook may carry an
    // extension the given path lacked.
    if (result.ok)
        return QStringLiteral("Saved ") + (result.path.isEmpty() ? givenPath : result.path);
    return resultEventLine(ResultCode::CantCreateFile, givenPath);
}

QString sheetsContinuedLine(const ExportResult &result, qint64 dataRowsPerSheet) {
    if (!result.ok || result.sheets < 2)
        return {};
    return QStringLiteral("The records continue on %1 worksheets of at most %2 rows each.")
        .arg(result.sheets)
        .arg(dataRowsPerSheet);
}

} // namespace nxa::exports
