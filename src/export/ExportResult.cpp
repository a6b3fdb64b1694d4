#include "export/ExportResult.h"

#include "common/ResultCodes.h"

namespace nxa::exports {

QString exportEventLine(const ExportResult &result, const QString &givenPath) {
    if (result.ok)
        return QStringLiteral("Saved ") + givenPath;
    return resultEventLine(ResultCode::CantCreateFile, givenPath);
}

} // namespace nxa::exports
