#include "app/shell/InteractiveStartup.h"

#include "app/shared/AppAssets.h"
#include "app/shared/Preferences.h"
#include "app/shell/MainWindow.h"
#include "app/shell/SplashWindow.h"
#include "app/shell/TrayController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFont>
#include <QFontInfo>

namespace nxa::app {

namespace {

// Resolves the two faces the views use, so their first use costs nothing.
// On Linux "Arial" maps to Liberation Sans through fontconfig.
void loadFonts() {
    // The controls' fixed sizes were laid out for a compact dialog face:
    // Arial 8 keeps every caption inside its control.
    QApplication::setFont(QFont(QStringLiteral("Arial"), 8));
    for (int points : {12, 10}) {
        QFont font(QStringLiteral("Arial"), points, QFont::Bold);
        (void)QFontInfo(font).family();
    }
}

} // namespace

int runInteractive(Session &session) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    session.testerAddress = readPreferences();
    loadFonts();

    // The spinner's timer runs on this thread: it advances whenever pending
    // events are let through between the construction steps below.
    SplashWindow splash;
    splash.start();
    const auto letEventsThrough = [] { QCoreApplication::processEvents(); };
    letEventsThrough();

    session.password = kInteractivePassword.toString();

    MainWindow window(session, nullptr, letEventsThrough);
    letEventsThrough();
    // The main window is ready long before the user could see the splash; it stays hidden
    // while the splash finishes its minimum time.
    splash.holdForMinimumTime(sinceStart);

    // The timer is stopped before the window goes, so nothing draws into it
    // after it has closed.
    splash.stop();
    splash.close();
    window.centreOnScreen();
    window.show();

    window.tray()->setIcon(trayIconPicture());

    // The main window may be hidden in the tray or behind a dialog: only the
    // explicit quit requests end the loop.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&window, &MainWindow::quitRequested, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QApplication::exec();
    return 0;
}

} // namespace nxa::app
