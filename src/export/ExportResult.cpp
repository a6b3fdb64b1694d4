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

} // namespace nxa::exports
