#include "app/commandline/CommandLineRun.h"
#include "app/commandline/CommandLineSignals.h"
#include "app/commandline/HiddenPassword.h"
#include "app/operation/TesterOperation.h"
#include "app/shared/Session.h"
#include "app/shell/InteractiveStartup.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>

namespace {

// Without a window system nothing could be shown or clicked: the offscreen
// platform lets a scheduler run the command line on a machine without one.
// A display variable is no proof of a display either (a stale one under cron
// or after a dead remote session), and a platform that cannot start would
// end the process before the run could leave its record: offscreen stays
// the last choice of the list. The interactive program is left to fail as
// any desktop program does there, rather than run an invisible window nobody
// can close.
void chooseCommandLinePlatform() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    QByteArray platforms;
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        platforms += "wayland;";
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !platforms.isEmpty())
        platforms += "xcb;";
    platforms += "offscreen";
    qputenv("QT_QPA_PLATFORM", platforms);
}

} // namespace

int main(int argc, char *argv[]) {
    QStringList parameters;
    QList<int> inexact;
    for (int i = 1; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        parameters.append(QFile::decodeName(bytes));
        if (QFile::encodeName(parameters.last()) != bytes)
            inexact.append(i - 1);
    }
    nxa::app::hidePasswordParameter(argc, argv);

    // The parameters belong to the program alone: the toolkit sees none of
    // them, so a path such as "-platform" can never be taken as its option.
    int toolkitArgc = argc;
    if (!parameters.isEmpty()) {
        nxa::app::ignoreBrokenPipes();
        chooseCommandLinePlatform();
        toolkitArgc = 1;
    }
    QApplication application(toolkitArgc, argv);
    QApplication::setApplicationName(QStringLiteral("Brontel NXA Manager"));
    // Lets the shell match the window to the installed menu entry and its icon.
    QApplication::setDesktopFileName(QStringLiteral(NXA_DESKTOP_ID));

    nxa::app::Session session;
    session.parameters = parameters;
    session.inexactParameters = inexact;
    // The link and its transfer buffers exist from start-up on, in both modes.
    nxa::app::programConnection();

    if (session.commandLine()) {
        const nxa::app::CommandLineSignals signalWatch;
        const bool headless = nxa::app::platformIsHeadless();
        return nxa::app::runCommandLine(session, nxa::app::standardCommandLineOutput(headless));
    }
    return nxa::app::runInteractive(session);
}
