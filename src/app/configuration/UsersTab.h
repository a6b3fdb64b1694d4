#pragma once

#include <QPointer>
#include <QWidget>

class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableView;

namespace nxa::config {
class StationConfig;
}

namespace nxa::app {

class UsersModel;

// The Users tab: one row per user 0-999 (active, ID, name, profile, user
// code) and the From/To range with Activate and Deactivate.
class UsersTab : public QWidget {
    Q_OBJECT
public:
    explicit UsersTab(config::StationConfig &config, QWidget *parent = nullptr);

    UsersModel *model() const { return m_model; }
    QTableView *view() const { return m_view; }
    QSpinBox *fromSpinner() const { return m_from; }
    QSpinBox *toSpinner() const { return m_to; }
    QPushButton *activateButton() const { return m_activate; }
    QPushButton *deactivateButton() const { return m_deactivate; }

public slots:
    void reloadFromModel();
    void refreshCodes();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void startEditing(const QModelIndex &index);

    UsersModel *m_model = nullptr;
    QTableView *m_view = nullptr;
    QSpinBox *m_from = nullptr;
    QSpinBox *m_to = nullptr;
    QPushButton *m_activate = nullptr;
    QPushButton *m_deactivate = nullptr;
    // The name field opened by the mouse button that is still down.
    QPointer<QLineEdit> m_pressedName;
};

} // namespace nxa::app
