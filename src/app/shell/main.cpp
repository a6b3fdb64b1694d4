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
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>

#include <memory>
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
    QByteArray withoutDisplay;
    if (!parameters.isEmpty()) {
        nxa::app::silenceToolkitMessages();
        platform = nxa::app::chooseCommandLinePlatform();
        withoutDisplay = nxa::app::platformWithoutDisplay(platform);
        toolkitArgc = 1;
    }
    // A run that can show nothing starts no window system: no platform, no
    // fonts, no widgets, only the event loop that the link waits in.
    std::unique_ptr<QCoreApplication> application;
    if (!withoutDisplay.isEmpty()) {
        application = std::make_unique<QCoreApplication>(toolkitArgc, argv);
    } else {
        std::optional<nxa::app::ToolkitStartWatch> toolkitStart;
        if (!parameters.isEmpty())
            toolkitStart.emplace();
        application = std::make_unique<QApplication>(toolkitArgc, argv);
        toolkitStart.reset();
        // Lets the shell match the window to the installed menu entry and its icon.
        QGuiApplication::setDesktopFileName(QStringLiteral(NXA_DESKTOP_ID));
    }
    QCoreApplication::setApplicationName(QStringLiteral("Brontel NXA Manager"));

    nxa::app::Session session;
    session.parameters = parameters;
    session.inexactParameters = inexact;
    // The link and its transfer buffers exist from start-up on, in both modes.
    nxa::app::programConnection();

    if (session.commandLine()) {
        const nxa::app::CommandLineSignals signalWatch;
        const bool headless = !withoutDisplay.isEmpty() || nxa::app::platformIsHeadless();
        const nxa::app::CommandLineOutput output = nxa::app::standardCommandLineOutput(headless);
        const QString platformName = withoutDisplay.isEmpty() ? QGuiApplication::platformName()
                                                              : QString::fromLatin1(withoutDisplay);
        if (const auto fallback = nxa::app::platformFallbackNotice(platform, platformName))
            output.notice(*fallback);
        return nxa::app::runCommandLine(session, output);
    }
    return nxa::app::runInteractive(session);
}
