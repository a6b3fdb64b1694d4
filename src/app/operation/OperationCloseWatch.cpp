#include "app/operation/OperationCloseWatch.h"

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
    if (!widget || !widget->isWindow())
        return false;
    m_requested = true;
    event->ignore();
    return true;
}

} // namespace nxa::app
