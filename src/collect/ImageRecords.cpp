#include "collect/ImageRecords.h"

#include "records/AccessRecordFormat.h"
#include "records/DataloggerMerge.h"

#include <QHash>

namespace nxa::collect {

DecodedImage decodeImage(QByteArrayView transferImage) {
    DecodedImage decoded;
    records::DataloggerTable table;
    table.clearDuplicateKeys();
    const records::MergeResult merge = records::mergeDataloggerImage(table, transferImage);
    decoded.accepted = merge.imageAccepted;
    if (!merge.imageAccepted)
        return decoded;

    const int rows = table.rowCount();
    decoded.records.reserve(static_cast<size_t>(rows));
    QHash<QString, int> seen;
    seen.reserve(rows);
    // The merge puts each new row on top, so the image's first record is last.
    for (int r = rows - 1; r >= 0; --r) {
        ArchivedRecord record;
        record.row = table.row(r);
        record.raw = records::recordCellBytes(record.row[records::kRecordColumn]);
        record.occurrence = seen[records::DataloggerTable::duplicateKey(record.row)]++;
        record.seq = rows - 1 - r;
        decoded.records.push_back(std::move(record));
    }
    return decoded;
}

} // namespace nxa::collect
