#include "collect/ImageRecords.h"

#include "records/AccessRecordFormat.h"
#include "records/DataloggerMerge.h"
#include "records/TrimSpaces.h"

#include <QHash>

#include <unordered_map>

namespace nxa::collect {

namespace {

// Cells 0-12 as the manager's duplicate test compares them: without their
// outer spaces.
size_t keyHash(const records::Row &row) {
    size_t hash = 0;
    for (int c = 0; c < records::kKeyColumnCount; ++c)
        hash = qHashMulti(hash, records::trimSpacesView(row[c]));
    return hash;
}

bool sameKey(const records::Row &a, const records::Row &b) {
    for (int c = 0; c < records::kKeyColumnCount; ++c)
        if (records::trimSpacesView(a[c]) != records::trimSpacesView(b[c]))
            return false;
    return true;
}

} // namespace

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
    // Twins are found by a hash of cells 0-12 and confirmed cell by cell, so
    // no key text is built for each of the 10,000 records.
    std::unordered_multimap<size_t, size_t> byHash;
    byHash.reserve(static_cast<size_t>(rows));
    // The merge puts each new row on top, so the image's first record is last.
    for (int r = rows - 1; r >= 0; --r) {
        ArchivedRecord record;
        record.row = table.row(r);
        record.raw = records::recordCellBytes(record.row[records::kRecordColumn]);
        record.seq = rows - 1 - r;
        const size_t hash = keyHash(record.row);
        const auto [first, last] = byHash.equal_range(hash);
        for (auto it = first; it != last; ++it)
            if (sameKey(decoded.records[it->second].row, record.row))
                ++record.occurrence;
        byHash.emplace(hash, decoded.records.size());
        decoded.records.push_back(std::move(record));
    }
    return decoded;
}

} // namespace nxa::collect
