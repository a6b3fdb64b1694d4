#include "export/TextExport.h"

#include "export/FixedWidthLayout.h"

#include <QSaveFile>

namespace nxa::exports {

namespace {

// Rows are encoded in batches so a large table is neither held twice in
// memory nor written one small line at a time.
constexpr int kRowsPerBatch = 512;

bool writeUtf8(QIODevice &device, const QString &text) {
    const QByteArray bytes = text.toUtf8();
    return device.write(bytes) == bytes.size();
}

} // namespace

bool writeFixedWidthText(const records::DataloggerTable &table, QIODevice &device) {
    QString batch;
    batch.reserve((kExportLineWidth + 2) * kRowsPerBatch);
    appendTitleLine(batch);
    bool ok = true;
    for (int r = 0; r < table.rowCount(); ++r) {
        appendRowLine(batch, table.row(r));
        if ((r + 1) % kRowsPerBatch == 0) {
            ok = writeUtf8(device, batch) && ok;
            batch.clear();
        }
    }
    if (!batch.isEmpty())
        ok = writeUtf8(device, batch) && ok;
    return ok;
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
