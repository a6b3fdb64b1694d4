#include "app/dialogs/TwoChoiceWindow.h"

#include "app/shared/WindowPlacement.h"

#include <QLabel>
#include <QPushButton>

namespace nxa::app {

TwoChoiceWindow::TwoChoiceWindow(const QString &question, const QString &first,
                                 const QString &second, QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      m_question(new QLabel(question, this)), m_first(new QPushButton(first, this)),
      m_second(new QPushButton(second, this)) {
    // The title bar must look empty, but an empty title makes Qt show the application
    // name there instead; a single space keeps it blank.
    setWindowTitle(QStringLiteral(" "));
    setFixedSize(240, 150);
    setModal(true);
    setWindowModality(Qt::ApplicationModal);
    m_question->setGeometry(20, 20, 200, 50);
    m_question->setAlignment(Qt::AlignCenter);
    m_question->setWordWrap(true);
    m_first->setGeometry(40, 70, 160, 20);
    m_second->setGeometry(40, 110, 160, 20);
    // Neither answer may be taken by a stray Enter key.
    m_first->setAutoDefault(false);
    m_second->setAutoDefault(false);
    connect(m_first, &QPushButton::clicked, this, [this] { done(1); });
    connect(m_second, &QPushButton::clicked, this, [this] { done(2); });
    // Escape and the close box both reject, which is result 0.
    centreWindow(*this);
}

int TwoChoiceWindow::ask(QWidget *owner, const QString &question, const QString &first,
                         const QString &second) {
    TwoChoiceWindow window(question, first, second, owner);
    const int result = window.exec();
    return result == 1 || result == 2 ? result : 0;
}

} // namespace nxa::app
