#include "records/DataloggerTable.h"

#include "records/RecordText.h"
#include "records/TrimSpaces.h"

#include <algorithm>

namespace nxa::records {

namespace {

constexpr quint32 kGone = DuplicateKeySet::kNoSlot;

// The hidden cell as the access record format writes it: every byte in
// decimal without leading zeros, each followed by "-". Only that exact form is
// stored as bytes, so the text always comes back as it went in.
bool parseRecordText(QStringView text, RecordBytes &bytes) {
    qsizetype i = 0;
    for (quint8 &byte : bytes) {
        const qsizetype start = i;
        int value = 0;
        while (i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9') &&
               i - start < 3) {
            value = value * 10 + (text[i].unicode() - u'0');
            ++i;
        }
        const qsizetype digits = i - start;
        if (digits == 0 || value > 255 || (digits > 1 && text[start] == QLatin1Char('0')) ||
            i >= text.size() || text[i] != QLatin1Char('-'))
            return false;
        byte = static_cast<quint8>(value);
        ++i;
    }
    return i == text.size();
}

QString recordText(const RecordBytes &bytes) {
    std::array<char, kRecordTextMaxLength> text;
    const char *end = writeRecordText(text.data(), bytes);
    return QString::fromLatin1(text.data(), end - text.data());
}

CellViews viewsOf(const Row &row) {
    CellViews cells;
    for (size_t c = 0; c < cells.size(); ++c)
        cells[c] = row[c];
    return cells;
}

quint64 combineHash(quint64 seed, quint64 value) {
    return seed ^ (value + 0x9e3779b97f4a7c15ull + (seed << 12) + (seed >> 4));
}

quint64 finishHash(quint64 h) {
    h ^= h >> 31;
    h *= 0x7fb5d329728ea185ull;
    h ^= h >> 27;
    h *= 0x81dadef4bc2dd44dull;
    return h ^ (h >> 33);
}

} // namespace

Row DataloggerTable::row(int r) const {
    Row result;
    for (int c = 0; c < kColumnCount; ++c)
        result[static_cast<size_t>(c)] = cell(r, c);
    return result;
}

QString DataloggerTable::cell(int r, int c) const {
    const StoredRow &row = stored(r);
    const quint32 id = row.cells[static_cast<size_t>(c)];
    if (c == kRecordColumn && id == kRawRecord)
        return recordText(row.record);
    return m_pools[static_cast<size_t>(c)].text(id).toString();
}

void DataloggerTable::insertAtTop(const Row &row) {
    insertAtTop(viewsOf(row));
}

void DataloggerTable::insertAtTop(const CellViews &cells, const RecordBytes *record) {
    StoredRow stored;
    for (int c = 0; c < kKeyColumnCount; ++c)
        stored.cells[static_cast<size_t>(c)] =
            m_pools[static_cast<size_t>(c)].intern(cells[static_cast<size_t>(c)]);
    if (record) {
        stored.record = *record;
        stored.cells[kRecordColumn] = kRawRecord;
    } else if (parseRecordText(cells[kRecordColumn], stored.record)) {
        stored.cells[kRecordColumn] = kRawRecord;
    } else {
        stored.record.fill(0);
        stored.cells[kRecordColumn] = m_pools[kRecordColumn].intern(cells[kRecordColumn]);
    }
    // A block grows by doubling up to its kBlockRows rows, so a table of a
    // few rows does not hold a whole block.
    if (m_slotCount % kBlockRows == 0)
        m_blocks.emplace_back();
    m_blocks.back().push_back(stored);
    m_states.push_back(kLive);
    m_order.push_back(m_slotCount++);
}

void DataloggerTable::removeRow(int r) {
    removeRows({r});
}

void DataloggerTable::removeRows(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // Indexes that name no row would stall the walk below: drop them.
    std::erase_if(rows, [this](int r) { return r < 0 || r >= rowCount(); });
    if (rows.empty())
        return;
    const size_t n = m_order.size();
    // Walking the reversed order from its end visits rows 0, 1, 2...
    std::vector<quint32> kept;
    kept.reserve(n - rows.size());
    auto next = rows.rbegin();
    for (size_t i = 0; i < n; ++i) {
        const int r = static_cast<int>(n - 1 - i);
        if (next != rows.rend() && *next == r) {
            ++next;
            removeSlot(m_order[i]);
        } else {
            kept.push_back(m_order[i]);
        }
    }
    m_order = std::move(kept);
    compact();
}

void DataloggerTable::clear() {
    for (quint32 s : m_order)
        removeSlot(s);
    std::vector<quint32>().swap(m_order);
    compact();
}

void DataloggerTable::removeSlot(quint32 s) {
    m_states[s] &= static_cast<quint8>(~kLive);
    // The snapshot still holds a keyed row, so it stays until the next one.
    if (!(m_states[s] & kKeyed))
        dropSlot(s);
}

void DataloggerTable::dropSlot(quint32 s) {
    StoredRow &row = slot(s);
    for (int c = 0; c < kColumnCount; ++c) {
        const quint32 id = row.cells[static_cast<size_t>(c)];
        if (c != kRecordColumn || id != kRawRecord)
            m_pools[static_cast<size_t>(c)].release(id);
    }
    m_states[s] = 0;
    ++m_droppedSlots;
}

void DataloggerTable::compact() {
    if (m_droppedSlots == 0)
        return;
    std::vector<quint32> newSlot(m_slotCount, kGone);
    quint32 to = 0;
    for (quint32 from = 0; from < m_slotCount; ++from) {
        if (m_states[from] == 0)
            continue;
        if (to != from) {
            slot(to) = slot(from);
            m_states[to] = m_states[from];
        }
        newSlot[from] = to++;
    }
    m_slotCount = to;
    m_droppedSlots = 0;
    for (quint32 &s : m_order)
        s = newSlot[s];
    m_keys.renameSlots(newSlot);

    // Give back the blocks and the bytes that no longer hold rows.
    const size_t blocks = (m_slotCount + kBlockRows - 1) / kBlockRows;
    m_blocks.resize(blocks);
    m_blocks.shrink_to_fit();
    if (blocks > 0)
        m_blocks.back().resize(m_slotCount - (blocks - 1) * kBlockRows);
    m_states.resize(m_slotCount);
    m_states.shrink_to_fit();
    m_order.shrink_to_fit();
    if (m_slotCount == 0) {
        for (CellPool &pool : m_pools)
            pool.clear();
    }
}

void DataloggerTable::reorder(const std::vector<int> &order) {
    // Anything but a permutation of the rows would drop or copy rows: refuse it.
    if (order.size() != m_order.size())
        return;
    std::vector<bool> seen(order.size(), false);
    for (int from : order) {
        if (from < 0 || from >= rowCount() || seen[static_cast<size_t>(from)])
            return;
        seen[static_cast<size_t>(from)] = true;
    }
    const size_t n = m_order.size();
    std::vector<quint32> reordered(n);
    for (size_t i = 0; i < n; ++i)
        reordered[n - 1 - i] = slotOf(order[i]);
    m_order = std::move(reordered);
}

quint64 DataloggerTable::keyHash(quint32 s) const {
    const StoredRow &row = slot(s);
    quint64 h = 0;
    for (int c = 0; c < kKeyColumnCount; ++c)
        h = combineHash(h,
                        m_pools[static_cast<size_t>(c)].keyHash(row.cells[static_cast<size_t>(c)]));
    return finishHash(h);
}

bool DataloggerTable::sameKey(quint32 s, const CellViews &cells) const {
    const StoredRow &stored = slot(s);
    for (int c = 0; c < kKeyColumnCount; ++c) {
        const QStringView text =
            m_pools[static_cast<size_t>(c)].text(stored.cells[static_cast<size_t>(c)]);
        const QStringView other = cells[static_cast<size_t>(c)];
        // Equal cells, the usual case for a duplicate, need no trimming.
        if (text != other && trimSpacesView(text) != trimSpacesView(other))
            return false;
    }
    return true;
}

bool DataloggerTable::sameKeySlots(quint32 a, quint32 b) const {
    const StoredRow &first = slot(a);
    const StoredRow &second = slot(b);
    for (int c = 0; c < kKeyColumnCount; ++c) {
        const auto column = static_cast<size_t>(c);
        if (first.cells[column] == second.cells[column])
            continue;
        const CellPool &pool = m_pools[column];
        if (trimSpacesView(pool.text(first.cells[column])) !=
            trimSpacesView(pool.text(second.cells[column])))
            return false;
    }
    return true;
}

void DataloggerTable::rebuildDuplicateKeys() {
    size_t added = 0;
    for (quint32 s = 0; s < m_slotCount; ++s)
        added += m_states[s] == kLive;
    m_keys.reserveMore(added);
    for (quint32 s = 0; s < m_slotCount; ++s) {
        if (m_states[s] == kLive) {
            m_keys.insert(keyHash(s), s, [&](quint32 other) { return sameKeySlots(s, other); });
            m_states[s] = kLive | kKeyed;
        }
    }
    forgetRemovedRows();
}

void DataloggerTable::forgetRemovedRows() {
    for (quint32 s = 0; s < m_slotCount; ++s) {
        if (m_states[s] == kKeyed) {
            m_keys.erase(keyHash(s), s, [&](quint32 other) { return sameKeySlots(s, other); });
            dropSlot(s);
        }
    }
    compact();
}

void DataloggerTable::clearDuplicateKeys() {
    m_keys.clear();
    for (quint32 s = 0; s < m_slotCount; ++s) {
        if (m_states[s] == kKeyed)
            dropSlot(s);
        else
            m_states[s] &= static_cast<quint8>(~kKeyed);
    }
    compact();
}

bool DataloggerTable::isDuplicate(const Row &row) const {
    return isDuplicate(viewsOf(row));
}

bool DataloggerTable::isDuplicate(const CellViews &cells) const {
    if (m_keys.size() == 0)
        return false;
    quint64 h = 0;
    for (int c = 0; c < kKeyColumnCount; ++c)
        h = combineHash(h, cellTextHash(trimSpacesView(cells[static_cast<size_t>(c)])));
    return m_keys.find(finishHash(h), [&](quint32 s) { return sameKey(s, cells); });
}

} // namespace nxa::records
