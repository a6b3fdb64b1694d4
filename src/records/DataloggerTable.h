#pragma once

#include <QSet>
#include <QString>

#include <array>
#include <deque>
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

// The working copy of access records: ordered rows of 14 text cells plus the
// duplicate key set, a snapshot of the rows present when it was last built.
class DataloggerTable {
public:
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    const Row &row(int r) const { return m_rows[static_cast<size_t>(r)]; }
    const QString &cell(int r, int c) const { return m_rows[static_cast<size_t>(r)][c]; }

    void insertAtTop(Row row);
    void removeRow(int r);
    // Removes every listed row in one pass; order and repeats do not matter.
    void removeRows(std::vector<int> rows);
    void clear();
    // Row i after the call is the row that stood at order[i] before it; an
    // order that is not a permutation of the rows leaves the table unchanged.
    void reorder(const std::vector<int> &order);

    void rebuildDuplicateKeys();
    void clearDuplicateKeys();
    bool isDuplicate(const Row &row) const;
    int duplicateKeyCount() const { return static_cast<int>(m_keys.size()); }

    // Columns 0-12, each without its outer spaces, joined by line feeds.
    static QString duplicateKey(const Row &row);

    // Fills the PN cell of rows taken from a log file; set by the log file
    // name rule, 0 until the first import.
    int peripheralNumber() const { return m_peripheralNumber; }
    void setPeripheralNumber(int number) { m_peripheralNumber = number; }

private:
    std::deque<Row> m_rows;
    QSet<QString> m_keys;
    int m_peripheralNumber = 0;
};

} // namespace nxa::records
