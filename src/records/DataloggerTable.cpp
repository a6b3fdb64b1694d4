#include "records/DataloggerTable.h"

#include "records/TrimSpaces.h"

#include <algorithm>

namespace nxa::records {

void DataloggerTable::insertAtTop(Row row) {
    m_rows.push_front(std::move(row));
}

void DataloggerTable::removeRow(int r) {
    if (r < 0 || r >= rowCount())
        return;
    m_rows.erase(m_rows.begin() + r);
}

void DataloggerTable::removeRows(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // Indexes that name no row would stall the walk below: drop them.
    std::erase_if(rows, [this](int r) { return r < 0 || r >= rowCount(); });
    if (rows.empty())
        return;
    std::deque<Row> kept;
    size_t next = 0;
    for (int r = 0; r < rowCount(); ++r) {
        if (next < rows.size() && rows[next] == r) {
            ++next;
            continue;
        }
        kept.push_back(std::move(m_rows[static_cast<size_t>(r)]));
    }
    m_rows = std::move(kept);
}

void DataloggerTable::clear() {
    m_rows.clear();
}

void DataloggerTable::reorder(const std::vector<int> &order) {
    // Anything but a permutation of the rows would drop or copy rows: refuse it.
    if (order.size() != m_rows.size())
        return;
    std::vector<bool> seen(order.size(), false);
    for (int from : order) {
        if (from < 0 || from >= rowCount() || seen[static_cast<size_t>(from)])
            return;
        seen[static_cast<size_t>(from)] = true;
    }
    // Follow each cycle of the permutation, moving every row once, in place.
    std::vector<bool> placed(order.size(), false);
    for (size_t start = 0; start < order.size(); ++start) {
        if (placed[start])
            continue;
        Row first = std::move(m_rows[start]);
        size_t to = start;
        for (;;) {
            placed[to] = true;
            const size_t from = static_cast<size_t>(order[to]);
            if (from == start)
                break;
            m_rows[to] = std::move(m_rows[from]);
            to = from;
        }
        m_rows[to] = std::move(first);
    }
}

void DataloggerTable::rebuildDuplicateKeys() {
    m_keys.clear();
    m_keys.reserve(rowCount());
    for (const Row &row : m_rows)
        m_keys.insert(duplicateKey(row));
}

void DataloggerTable::clearDuplicateKeys() {
    m_keys.clear();
}

bool DataloggerTable::isDuplicate(const Row &row) const {
    return !m_keys.isEmpty() && m_keys.contains(duplicateKey(row));
}

QString DataloggerTable::duplicateKey(const Row &row) {
    std::array<QStringView, kKeyColumnCount> cells;
    qsizetype size = kKeyColumnCount - 1;
    for (int c = 0; c < kKeyColumnCount; ++c) {
        cells[static_cast<size_t>(c)] = trimSpacesView(row[c]);
        size += cells[static_cast<size_t>(c)].size();
    }
    QString key;
    key.reserve(size);
    for (int c = 0; c < kKeyColumnCount; ++c) {
        if (c > 0)
            key += QLatin1Char('\n');
        key += cells[static_cast<size_t>(c)];
    }
    return key;
}

} // namespace nxa::records
