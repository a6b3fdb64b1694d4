#include "export/TextExport.h"

#include "common/CompleteSave.h"
#include "common/RegularFile.h"
#include "export/FixedWidthLayout.h"

#include <QSaveFile>

namespace nxa::exports {

bool writeFixedWidthText(const records::DataloggerTable &table, QIODevice &device) {
    return writeLayoutLines(table, device);
}

ExportResult textExport(const records::DataloggerTable &table, const QString &path) {
    QSaveFile file(path);
    if (!isRegularOrMissing(path) || !file.open(QIODevice::WriteOnly))
        return {false, path};
    if (!writeFixedWidthText(table, file)) {
        file.cancelWriting();
        return {false, path};
    }
    return {commitComplete(file), path};
}

} // namespace nxa::exports
