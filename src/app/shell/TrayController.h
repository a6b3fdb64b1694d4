#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

class QMenu;
class QWidget;

namespace nxa::app {

// "Minimize to SysTray": hides the main window behind a tray icon whose
// right-button menu brings it back or ends the program. Without a system tray
// the window is minimized normally, since a hidden window without an icon
// could never be brought back.
class TrayController : public QObject {
    Q_OBJECT
public:
    TrayController(QWidget *window, QObject *parent = nullptr);
    ~TrayController() override;

    void setIcon(const QIcon &icon) { m_icon = icon; }
    // Tests decide whether a tray exists; by default the desktop is asked.
    void setTrayAvailableCheck(std::function<bool()> check) { m_trayAvailable = std::move(check); }

    bool inTray() const { return m_trayIcon != nullptr; }
    QSystemTrayIcon *trayIcon() const { return m_trayIcon.get(); }

    // Builds the popup menu anew, as it is shown on a right-button press.
    std::unique_ptr<QMenu> buildMenu();

public slots:
    void minimizeToTray();
    void showWindow();

signals:
    void quitRequested();

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);

    QPointer<QWidget> m_window;
    QIcon m_icon;
    std::function<bool()> m_trayAvailable;
    std::unique_ptr<QSystemTrayIcon> m_trayIcon;
};

} // namespace nxa::app
