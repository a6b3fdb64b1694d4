#include "app/operation/OwnerInputBlock.h"

#include <QCoreApplication>
#include <QEvent>

namespace nxa::app {

namespace {

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}

} // namespace

OwnerInputBlock::OwnerInputBlock(QWidget *owner, QWidget *operationWindow)
    : m_owner(owner ? owner->window() : nullptr), m_operationWindow(operationWindow) {
    if (m_owner)
        QCoreApplication::instance()->installEventFilter(this);
}

OwnerInputBlock::~OwnerInputBlock() {
    if (m_owner && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

bool OwnerInputBlock::eventFilter(QObject *watched, QEvent *event) {
    if (!m_owner || !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (widget->window() != m_owner)
        return false;
    if (event->type() == QEvent::WindowActivate && widget == m_owner && m_operationWindow &&
        m_operationWindow->isVisible()) {
        m_operationWindow->raise();
        m_operationWindow->activateWindow();
        return false;
    }
    return isUserInput(event->type());
}

} // namespace nxa::app
