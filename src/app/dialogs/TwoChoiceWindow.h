#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace nxa::app {

// A small window asking one question with two answers. Modal to the whole
// application, so clicks on other windows meanwhile are dropped.
class TwoChoiceWindow : public QDialog {
    Q_OBJECT
public:
    TwoChoiceWindow(const QString &question, const QString &first, const QString &second,
                    QWidget *owner = nullptr);

    // 0 when the window was closed, 1 or 2 for the button pressed.
    static int ask(QWidget *owner, const QString &question, const QString &first,
                   const QString &second);

    QPushButton *firstButton() const { return m_first; }
    QPushButton *secondButton() const { return m_second; }

private:
    QLabel *m_question;
    QPushButton *m_first;
    QPushButton *m_second;
};

} // namespace nxa::app
