#include "app/CommandLineRun.h"
#include "app/CommandLineSignals.h"
#include "app/InteractiveStartup.h"
#include "app/Session.h"
#include "app/TesterOperation.h"

#include <QApplication>

namespace {

// Without a window system nothing could be shown or clicked: the offscreen
// platform lets a scheduler run the command line on a machine without one.
// The interactive program is left to fail as any desktop program does there,
// rather than run an invisible window nobody can close.
void chooseHeadlessPlatform() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace

int main(int argc, char *argv[]) {
    // Read before QApplication takes out the arguments it knows (-style, -platform...).
    QStringList parameters;
    for (int i = 1; i < argc; ++i)
        parameters.append(QString::fromLocal8Bit(argv[i]));

    if (!parameters.isEmpty())
        chooseHeadlessPlatform();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brontel NXA Manager"));

    nxa::app::Session session;
    session.parameters = parameters;
    // The link and its transfer buffers exist from start-up on, in both modes.
    nxa::app::programConnection();

    if (session.commandLine()) {
        const nxa::app::CommandLineSignals signalWatch;
        const bool headless = nxa::app::platformIsHeadless();
        return nxa::app::runCommandLine(session, nxa::app::standardCommandLineOutput(headless));
    }
    session.password = QStringLiteral("583041");
    return nxa::app::runInteractive(session);
}
