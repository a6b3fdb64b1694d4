#pragma once

#include "app/dialogs/UserDialogs.h"
#include "app/shared/Session.h"
#include "audit/TableAnalysis.h"
#include "records/ColumnSort.h"

#include <QWidget>

class QCheckBox;
class QContextMenuEvent;
class QGroupBox;
class QMenu;
class QPushButton;
class QTableView;

namespace nxa::records {
class DataloggerTable;
}
namespace nxa::config {
class StationConfig;
}

namespace nxa::app {

class DataloggerModel;

// The Datalogger view of the main window: the list of access records and the
// buttons that fill, edit and save it. Placed by the main window at (0, 90),
// 800 x 620, so its children sit at the main window's positions minus 90 in y.
class DataloggerView : public QWidget {
    Q_OBJECT
public:
    DataloggerView(records::DataloggerTable &table, config::StationConfig &config, Session &session,
                   UserDialogs &dialogs, QWidget *parent = nullptr);

    QTableView *list() const { return m_list; }
    DataloggerModel *model() const { return m_model; }
    QCheckBox *hideValuesBox() const { return m_hideValues; }
    QPushButton *openFileButton() const { return m_openFile; }
    QPushButton *downloadButton() const { return m_download; }
    QPushButton *deleteAllButton() const { return m_deleteAll; }
    QPushButton *deleteSelectionButton() const { return m_deleteSelection; }
    QPushButton *printButton() const { return m_print; }
    QPushButton *saveButton() const { return m_save; }
    // The list's context menu, filled for the row it was asked on.
    QMenu *tableMenu() const { return m_tableMenu; }

    // The arrow the header shows: the column and its direction, or -1 and None.
    int sortColumn() const { return m_sortColumn; }
    records::SortDirection sortDirection() const { return m_sortDirection; }
    // The header order that draws the arrow of a direction: up for ascending,
    // down for descending.
    static Qt::SortOrder headerArrowOrder(records::SortDirection direction);

public slots:
    void download();
    void openFile();
    void deleteAll();
    void deleteSelection();
    void print();
    void save();
    void setValuesHidden(bool hidden);
    // What a click on a column header does.
    void sortByColumn(int column);
    // "Report…": the audit report of every row, as HTML or PDF.
    void writeReport();
    // "Trend of <name>…".
    void openTrend(const audit::TablePerson &person, const QString &name);
    // The configuration changed elsewhere: the open trends take its limits.
    void configurationEdited();

signals:
    // A download set the station configuration's peripheral number.
    void configurationChanged();
    // The limits the trends are drawn against may have changed.
    void limitsChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showTableMenu(const QContextMenuEvent &event);
    // The limits the Configuration view holds, when it holds a tester's configuration.
    audit::TableLimits tableLimits() const;
    QGroupBox *frame(const QString &title, int x, int y);
    QPushButton *button(const QString &text, int x, int y);
    void selectRows(const std::vector<int> &rows, int current);
    void clearSortArrow();

    records::DataloggerTable &m_table;
    config::StationConfig &m_config;
    Session &m_session;
    UserDialogs &m_dialogs;
    DataloggerModel *m_model;
    QTableView *m_list;
    QCheckBox *m_hideValues;
    QPushButton *m_openFile;
    QPushButton *m_download;
    QPushButton *m_deleteAll;
    QPushButton *m_deleteSelection;
    QPushButton *m_print;
    QPushButton *m_save;
    QMenu *m_tableMenu;
    int m_sortColumn = -1;
    bool m_valuesHidden = false;
    records::SortDirection m_sortDirection = records::SortDirection::None;
};

} // namespace nxa::app
