#include "export/ExportResult.h"

#include "common/ResultCodes.h"

namespace nxa::exports {

QString exportEventLine(const ExportResult &result, const QString &givenPath) {
    if (result.ok)
        return QStringLiteral("Saved ") + givenPath;
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
