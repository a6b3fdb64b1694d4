#pragma once

#include "app/dialogs/UserDialogs.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace nxa::config {
class StationConfig;
}

namespace nxa::app {

// The General tab: product picture, peripheral number and description,
// security level and the 'User Code' generator.
class GeneralTab : public QWidget {
    Q_OBJECT
public:
    GeneralTab(config::StationConfig &config, UserDialogs &dialogs, QWidget *parent = nullptr);

    QSpinBox *peripheralNumber() const { return m_peripheralNumber; }
    QLineEdit *description() const { return m_description; }
    QRadioButton *maxOption() const { return m_max; }
    QRadioButton *middleOption() const { return m_middle; }
    QRadioButton *minOption() const { return m_min; }
    QLineEdit *generator() const { return m_generator; }
    QLabel *picture() const { return m_picture; }

    // Generator normalization, in the field and in the configuration.
    void normalizeGenerator();
    // The zero-divisor warning of a generator that just lost the focus, if it
    // is still to come. Actions that open windows of their own call it first,
    // so the box never opens inside another window's event loop.
    void showPendingWarning();

public slots:
    void reloadFromModel();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void generatorLostFocus();

    config::StationConfig &m_config;
    UserDialogs &m_dialogs;
    QLabel *m_picture = nullptr;
    QSpinBox *m_peripheralNumber = nullptr;
    QLineEdit *m_description = nullptr;
    QRadioButton *m_max = nullptr;
    QRadioButton *m_middle = nullptr;
    QRadioButton *m_min = nullptr;
    QLineEdit *m_generator = nullptr;
    bool m_warningPending = false;
    QString m_warnedGenerator; // the generator last warned about
};

} // namespace nxa::app
