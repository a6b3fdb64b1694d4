#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace nxa::app {

class OperationStatusBar;

inline constexpr int kOperationWindowWidth = 400;
inline constexpr int kOperationWindowHeight = 355;

// The interactive window of a tester operation: the tester's address, the
// administrator password and the action button. The operation that owns it
// reads the fields and runs when the button is pressed.
class OperationWindow : public QWidget {
    Q_OBJECT
public:
    OperationWindow(const QString &actionText, QWidget *owner);

    void setAddress(quint32 address);
    // The address the field holds, first field in the lowest byte.
    quint32 address() const;
    void setPassword(const QString &password);
    QString password() const;

    QLineEdit *addressField() const { return m_address; }
    QLineEdit *passwordField() const { return m_password; }
    QPushButton *actionButton() const { return m_button; }
    OperationStatusBar *statusBar() const { return m_statusBar; }

    // Centres the window on the screen it would open on.
    void centre();

protected:
    // Escape is the window's close request and Return presses the action
    // button, as in a dialog.
    void keyPressEvent(QKeyEvent *event) override;

private:
    QLabel *m_picture;
    QLineEdit *m_address;
    QLineEdit *m_password;
    QPushButton *m_button;
    OperationStatusBar *m_statusBar;
};

} // namespace nxa::app
