#pragma once

#include <QAbstractTableModel>
#include <QStringList>

namespace nxa::config {
class StationConfig;
}

namespace nxa::app {

// The 1000 users of the station configuration as the rows of the Users tab:
// active, 3-digit ID, name, profile and the derived user code. Edits go
// straight into the configuration; the codes are cached and only brought up
// to date by refreshCodes(), as the tab shows them.
class UsersModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ActiveColumn, IdColumn, NameColumn, ProfileColumn, CodeColumn, ColumnCount };
    static constexpr int kNameMaxLength = 20;

    explicit UsersModel(config::StationConfig &config, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The configuration was replaced: show its users again.
    void reload();
    // Recomputes every user code with the current generator and repaints the
    // rows whose code changed.
    void refreshCodes();
    // Activate / Deactivate range: from > to changes nothing.
    void setActiveRange(int from, int to, bool active);

private:
    config::StationConfig &m_config;
    QStringList m_codes;
};

} // namespace nxa::app
