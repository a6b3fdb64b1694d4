#include "export/TextExport.h"

#include "export/FixedWidthLayout.h"

#include <QSaveFile>

namespace nxa::exports {

bool writeFixedWidthText(const records::DataloggerTable &table, QIODevice &device) {
    return writeLayoutLines(table, device);
}

ExportResult textExport(const records::DataloggerTable &table, const QString &path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, path};
    if (!writeFixedWidthText(table, file)) {
        file.cancelWriting();
        return {false, path};
    }
    return {file.commit(), path};
}

} // namespace nxa::exports
