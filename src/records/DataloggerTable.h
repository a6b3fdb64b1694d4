#pragma once

#include "records/CellPool.h"
#include "records/DuplicateKeySet.h"

#include <QString>
#include <QStringView>

#include <array>
#include <vector>

namespace nxa::records {

inline constexpr int kColumnCount = 14;
// Columns 0-12 are what a user sees and what the duplicate test compares.
inline constexpr int kKeyColumnCount = 13;
// Column 13 holds the raw record bytes as text; never shown.
inline constexpr int kRecordColumn = 13;

enum Column {
    kColumnPn = 0,
    kColumnId = 1,
    kColumnVisitor = 2,
    kColumnName = 3,
    kColumnWristStrap = 4,
    kColumnLeft = 5,
    kColumnRight = 6,
    kColumnLeftRight = 7,
    kColumnPass = 8,
    kColumnRelay = 9,
    kColumnRecognition = 10,
    kColumnDate = 11,
    kColumnTime = 12,
};

using Row = std::array<QString, kColumnCount>;
// A row's cells as views into texts its maker keeps, so that rows built in a
// reused buffer reach the table without a string of their own.
using CellViews = std::array<QStringView, kColumnCount>;
// The 16 bytes of an access record, which the hidden cell shows as text.
using RecordBytes = std::array<quint8, 16>;

// The working copy of access records: ordered rows of 14 text cells plus the
// duplicate key set, a snapshot of the rows present when it was last taken.
// A row is stored as one id per cell into a pool of that column's distinct
// texts and the record bytes of its hidden cell, about 80 bytes in all, so a
// plant's million rows fit in a few dozen megabytes.
class DataloggerTable {
public:
    int rowCount() const { return static_cast<int>(m_order.size()); }
    Row row(int r) const;
    QString cell(int r, int c) const;
    // A key cell's text (columns 0-12) without a copy; valid until the table
    // changes. This is what painting, sorting and exports read.
    QStringView keyCell(int r, int c) const {
        return m_pools[static_cast<size_t>(c)].text(stored(r).cells[static_cast<size_t>(c)]);
    }

    // The pooled form of a key column, for work that handles each distinct
    // text once (the column sort): the id of a row's cell and the text of an
    // id. Ids are below valueIdBound(c).
    quint32 valueId(int r, int c) const { return stored(r).cells[static_cast<size_t>(c)]; }
    quint32 valueIdBound(int c) const { return m_pools[static_cast<size_t>(c)].idBound(); }
    QStringView valueText(int c, quint32 id) const {
        return m_pools[static_cast<size_t>(c)].text(id);
    }
    // Asks the memory for row r's cell ids ahead of their use: after a sort,
    // rows lie at random places in storage, and a pass reading many of them
    // otherwise waits for each in turn.
    void prefetchRow(int r) const {
        const StoredRow &row = stored(r);
        // GCC 12 at -O3 otherwise drops these prefetches as dead code.
        asm volatile("" ::: "memory");
        __builtin_prefetch(&row.cells.front());
        __builtin_prefetch(&row.cells.back());
    }

    void insertAtTop(const Row &row);
    // The same from views; record, when given, holds the bytes the hidden
    // cell shows, and that cell's view is then not read.
    void insertAtTop(const CellViews &cells, const RecordBytes *record = nullptr);
    void removeRow(int r);
    // Removes every listed row in one pass; order and repeats do not matter.
    void removeRows(std::vector<int> rows);
    void clear();
    // Row i after the call is the row that stood at order[i] before it; an
    // order that is not a permutation of the rows leaves the table unchanged.
    void reorder(const std::vector<int> &order);

    // Takes the snapshot: from now on exactly the rows present count as
    // duplicates. The set is kept from one snapshot to the next, so this costs
    // what was added and removed since, not what the table holds.
    void rebuildDuplicateKeys();
    // Empties the key set (nothing is a duplicate) and releases it.
    void clearDuplicateKeys();
    // Rows removed since the snapshot still count until the next one; this
    // lets them go now and gives their memory back.
    void forgetRemovedRows();
    bool isDuplicate(const Row &row) const;
    bool isDuplicate(const CellViews &cells) const;
    // Rows the snapshot holds (removed ones included until they are forgotten).
    int duplicateKeyCount() const { return static_cast<int>(m_keys.size()); }

    // Fills the PN cell of rows taken from a log file; set by the log file
    // name rule, 0 until the first import.
    int peripheralNumber() const { return m_peripheralNumber; }
    void setPeripheralNumber(int number) { m_peripheralNumber = number; }

private:
    // The hidden cell holds its record bytes instead of a pool id.
    static constexpr quint32 kRawRecord = 0xffffffffu;
    static constexpr size_t kBlockRows = 4096;

    struct StoredRow {
        std::array<quint32, kColumnCount> cells;
        RecordBytes record;
    };
    enum SlotState : quint8 { kLive = 1, kKeyed = 2 };

    const StoredRow &stored(int r) const { return slot(slotOf(r)); }
    quint32 slotOf(int r) const { return m_order[m_order.size() - 1 - static_cast<size_t>(r)]; }
    const StoredRow &slot(quint32 s) const { return m_blocks[s / kBlockRows][s % kBlockRows]; }
    StoredRow &slot(quint32 s) { return m_blocks[s / kBlockRows][s % kBlockRows]; }
    quint64 keyHash(quint32 s) const;
    bool sameKey(quint32 s, const CellViews &cells) const;
    bool sameKeySlots(quint32 a, quint32 b) const;
    void removeSlot(quint32 s);
    void dropSlot(quint32 s);
    void compact();

    std::array<CellPool, kColumnCount> m_pools;
    // Rows in storage order; a slot never moves except when the table compacts.
    std::vector<std::vector<StoredRow>> m_blocks;
    std::vector<quint8> m_states;
    quint32 m_slotCount = 0;
    quint32 m_droppedSlots = 0;
    // Slots in reverse table order, so inserting at the top appends.
    std::vector<quint32> m_order;
    DuplicateKeySet m_keys;
    int m_peripheralNumber = 0;
};

} // namespace nxa::records
