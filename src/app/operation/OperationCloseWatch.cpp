#include "app/operation/OperationCloseWatch.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QWidget>

namespace nxa::app {

OperationCloseWatch::OperationCloseWatch() {
    QCoreApplication::instance()->installEventFilter(this);
}

OperationCloseWatch::~OperationCloseWatch() {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

bool OperationCloseWatch::take() {
    const bool was = m_requested;
    m_requested = false;
    return was;
}

bool OperationCloseWatch::eventFilter(QObject *watched, QEvent *event) {
    if (m_paused > 0 || event->type() != QEvent::Close)
        return false;
    const auto *widget = qobject_cast<QWidget *>(watched);
    if (watched != QCoreApplication::instance() && (!widget || !widget->isWindow()))
        return false;
    m_requested = true;
    event->ignore();
    return true;
}

void postCloseRequest() {
    if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget *window : windows)
            QCoreApplication::postEvent(window, new QCloseEvent);
    }
    QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Close));
}

} // namespace nxa::app
