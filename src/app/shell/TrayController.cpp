#include "app/shell/TrayController.h"

#include <QCursor>
#include <QMenu>
#include <QWidget>

namespace nxa::app {

TrayController::TrayController(QWidget *window, QObject *parent)
    : QObject(parent), m_window(window),
      m_trayAvailable([] { return QSystemTrayIcon::isSystemTrayAvailable(); }) {}

TrayController::~TrayController() = default;

void TrayController::minimizeToTray() {
    if (!m_window)
        return;
    if (!m_trayAvailable()) {
        m_window->showMinimized();
        return;
    }
    if (!m_trayIcon) {
        m_trayIcon = std::make_unique<QSystemTrayIcon>(m_icon);
        m_trayIcon->setToolTip(QStringLiteral("Brontel NXA Manager"));
        // Queued: choosing "Show" removes the icon, and the platform's icon
        // window must not be destroyed while it is still delivering the click.
        connect(m_trayIcon.get(), &QSystemTrayIcon::activated, this, &TrayController::onActivated,
                Qt::QueuedConnection);
    }
    m_trayIcon->show();
    m_window->hide();
}

void TrayController::showWindow() {
    if (m_trayIcon) {
        m_trayIcon->hide();
        m_trayIcon.release()->deleteLater();
    }
    if (!m_window)
        return;
    m_window->showNormal();
    m_window->raise();
    m_window->activateWindow();
}

std::unique_ptr<QMenu> TrayController::buildMenu() {
    auto menu = std::make_unique<QMenu>();
    QAction *show = menu->addAction(QStringLiteral("Show"));
    menu->addSeparator();
    QAction *exit = menu->addAction(QStringLiteral("Exit"));
    connect(show, &QAction::triggered, this, &TrayController::showWindow);
    connect(exit, &QAction::triggered, this, &TrayController::quitRequested);
    return menu;
}

void TrayController::onActivated(QSystemTrayIcon::ActivationReason reason) {
    // Only the right button opens the menu; every other click does nothing,
    // as does a click still queued when the window was already shown.
    if (reason != QSystemTrayIcon::Context || !m_trayIcon)
        return;
    std::unique_ptr<QMenu> menu = buildMenu();
    menu->exec(QCursor::pos());
}

} // namespace nxa::app
