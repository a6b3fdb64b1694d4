#include "app/datalogger/DataloggerModel.h"

#include <QColor>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace nxa::app {

namespace {

struct ColumnInfo {
    const char *title;
    int width;
};

constexpr ColumnInfo kColumns[records::kColumnCount] = {
    {"PN", 50},          {"ID", 50},       {"Visitor", 50},    {"Name", 160}, {"WS (KOhm)", 80},
    {"L (KOhm)", 80},    {"R (KOhm)", 80}, {"L+R (KOhm)", 80}, {"Pass", 50},  {"Relay", 50},
    {"Recognition", 80}, {"Date", 80},     {"Time", 80},       {"", 0},
};

// The table frees what deleted rows held, but the allocator keeps freed pages
// for later unless asked; after deleting a plant's million rows the manager
// should shrink back, not stay at its peak.
void returnFreedMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace

DataloggerModel::DataloggerModel(records::DataloggerTable &table, QObject *parent)
    : QAbstractTableModel(parent), m_table(table) {}

int DataloggerModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : m_table.rowCount();
}

int DataloggerModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : records::kColumnCount;
}

QVariant DataloggerModel::data(const QModelIndex &index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const QString text = m_table.cell(index.row(), index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return text;
    case Qt::BackgroundRole:
        // The Pass cell is white for a pass and red for anything else.
        if (index.column() == records::kColumnPass)
            return text == QLatin1String("Y") ? QColor(255, 255, 255) : QColor(255, 0, 0);
        return {};
    default:
        return {};
    }
}

QVariant DataloggerModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= records::kColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return columnTitle(section);
}

void DataloggerModel::beginTableChange() {
    if (m_changing)
        return;
    m_changing = true;
    m_rowsBeforeChange = m_table.rowCount();
    beginResetModel();
}

void DataloggerModel::endTableChange() {
    if (!m_changing)
        return;
    endResetModel();
    m_changing = false;
    const int rows = m_table.rowCount();
    if (rows > m_rowsBeforeChange || (rows == 0 && m_rowsBeforeChange > 0))
        emit rowsAddedOrAllRemoved();
}

void DataloggerModel::removeAllRows() {
    if (m_table.rowCount() == 0)
        return;
    beginTableChange();
    m_table.clear();
    m_table.forgetRemovedRows();
    endTableChange();
    returnFreedMemory();
}

void DataloggerModel::removeRowList(const std::vector<int> &rows) {
    if (rows.empty())
        return;
    // One reset instead of a removal signal per row keeps thousands of
    // selected rows quick to delete.
    beginTableChange();
    m_table.removeRows(rows);
    m_table.forgetRemovedRows();
    endTableChange();
    returnFreedMemory();
}

void DataloggerModel::reorderRows(const std::vector<int> &order) {
    beginTableChange();
    m_table.reorder(order);
    endTableChange();
}

void DataloggerModel::highlightPassCells() {
    if (m_table.rowCount() == 0)
        return;
    emit dataChanged(index(0, records::kColumnPass),
                     index(m_table.rowCount() - 1, records::kColumnPass), {Qt::BackgroundRole});
}

QString DataloggerModel::columnTitle(int column) {
    if (column < 0 || column >= records::kColumnCount)
        return {};
    return QString::fromLatin1(kColumns[column].title);
}

int DataloggerModel::defaultColumnWidth(int column) {
    if (column < 0 || column >= records::kColumnCount)
        return 0;
    return kColumns[column].width;
}

} // namespace nxa::app
