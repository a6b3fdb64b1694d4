#include "export/TextExport.h"

#include "common/CompleteSave.h"
#include "common/RegularFile.h"
#include "export/FixedWidthLayout.h"

#include <QSaveFile>

namespace nxa::exports {

bool writeFixedWidthText(const records::DataloggerTable &table, QIODevice &device,
                         const ProgressCallback &progress) {
    return writeLayoutLines(table, device, QChar(), progress);
}

ExportResult textExport(const records::DataloggerTable &table, const QString &path,
                        const ProgressCallback &progress) {
    QSaveFile file(path);
    if (!isRegularOrMissing(path) || !file.open(QIODevice::WriteOnly))
        return {false, path};
    bool stopped = false;
    const ProgressCallback watched = [&](qint64 done, qint64 total) {
        stopped = !reportProgress(progress, done, total);
        return !stopped;
    };
    if (!writeFixedWidthText(table, file, watched)) {
        file.cancelWriting();
        return {false, path, stopped};
    }
    return {commitComplete(file), path};
}

} // namespace nxa::exports
