#pragma once

#include "records/DataloggerTable.h"

#include <QAbstractTableModel>

#include <vector>

namespace nxa::app {

// Shows the datalogger table to a view without copying its rows. Every
// change to the table goes through here (or between beginTableChange and
// endTableChange), so views never see a row count that is out of date.
class DataloggerModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataloggerModel(records::DataloggerTable &table, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    records::DataloggerTable &table() { return m_table; }
    const records::DataloggerTable &table() const { return m_table; }

    // Brackets a change made to the table from outside (a merge, an import,
    // a tester operation).
    void beginTableChange();
    void endTableChange();

    // Both give back the memory of the removed rows, their duplicate keys
    // included: a deleted row no longer counts as a duplicate.
    void removeAllRows();
    // Removes the listed rows in one pass.
    void removeRowList(const std::vector<int> &rows);
    // Reorders the rows: row i becomes the row that stood at order[i].
    void reorderRows(const std::vector<int> &order);
    // Recolours every Pass cell (after a download or an import).
    void highlightPassCells();

    static QString columnTitle(int column);
    static int defaultColumnWidth(int column);

signals:
    // Rows were added, or the last row went: the list is in no sorted order.
    void rowsAddedOrAllRemoved();

private:
    records::DataloggerTable &m_table;
    bool m_changing = false;
    int m_rowsBeforeChange = 0;
};

} // namespace nxa::app
