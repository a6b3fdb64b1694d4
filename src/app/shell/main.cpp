#include "app/commandline/CommandLinePlatform.h"
#include "app/commandline/CommandLineRun.h"
#include "app/commandline/CommandLineSignals.h"
#include "app/commandline/HiddenPassword.h"
#include "app/commandline/StandardDescriptors.h"
#include "app/operation/TesterOperation.h"
#include "app/shared/Session.h"
#include "app/shell/InteractiveStartup.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QGuiApplication>

#include <optional>

int main(int argc, char *argv[]) {
    // Before anything else: a scheduler may stop an unattended run at any
    // moment, and the run must still leave its record.
    if (argc > 1)
        nxa::app::takeOverCommandLineSignals();
    else
        nxa::app::openStandardDescriptors();
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
    nxa::app::PlatformChoice platform;
    std::optional<nxa::app::ToolkitStartWatch> toolkitStart;
    if (!parameters.isEmpty()) {
        nxa::app::silenceToolkitMessages();
        platform = nxa::app::chooseCommandLinePlatform();
        toolkitArgc = 1;
        toolkitStart.emplace();
    }
    QApplication application(toolkitArgc, argv);
    toolkitStart.reset();
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
        const nxa::app::CommandLineOutput output = nxa::app::standardCommandLineOutput(headless);
        if (const auto fallback =
                nxa::app::platformFallbackNotice(platform, QGuiApplication::platformName()))
            output.notice(*fallback);
        return nxa::app::runCommandLine(session, output);
    }
    return nxa::app::runInteractive(session);
}
