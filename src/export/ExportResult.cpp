#include "export/ExportResult.h"

namespace nxa::exports {

QString exportEventLine(const ExportResult &result, const QString &givenPath) {
    if (result.ok)
        return QStringLiteral("Saved ") + givenPath;
    return QStringLiteral("     8 - Error: Can't create file ") + givenPath;
}

} // namespace nxa::exports
