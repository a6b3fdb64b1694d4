#pragma once

#include "app/dialogs/UserDialogs.h"
#include "audit/TableAnalysis.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace nxa::app {

class DataloggerModel;

// A person's trend over every row of the table, beside the main window. It
// follows the table and the configuration: whatever changes either, it is
// drawn again (redraw). Escape closes it.
class TrendWindow : public QWidget {
    Q_OBJECT
public:
    TrendWindow(DataloggerModel &model, std::function<audit::TableLimits()> limits,
                const audit::TablePerson &person, const QString &name, UserDialogs &dialogs,
                QWidget *parent = nullptr);

    const audit::TablePerson &person() const { return m_person; }
    const audit::PersonTrendPage &page() const { return m_page; }
    QLabel *noLimitsLabel() const { return m_noLimits; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *printButton() const { return m_print; }

public slots:
    void redraw();
    void saveAsPdf();
    void print();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    DataloggerModel &m_model;
    std::function<audit::TableLimits()> m_limits;
    audit::TablePerson m_person;
    QString m_name;
    UserDialogs &m_dialogs;
    audit::PersonTrendPage m_page;
    QLabel *m_title;
    QLabel *m_lines;
    QLabel *m_noLimits;
    QWidget *m_charts;
    QPushButton *m_save;
    QPushButton *m_print;
};

} // namespace nxa::app
