#include "SimulatorCommandLine.h"
#include "TesterSimulator.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[]) {
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    const nxa::sim::CommandLineResult parsed =
        nxa::sim::parseSimulatorCommandLine(application.arguments().mid(1));
    if (parsed.helpRequested) {
        out << nxa::sim::simulatorHelpText();
        return 0;
    }
    if (!parsed.error.isEmpty()) {
        err << "nxa-tester-sim: " << parsed.error << "\nTry nxa-tester-sim --help\n";
        return 2;
    }
    for (const QString &warning : parsed.options.warnings)
        err << "nxa-tester-sim: warning: " << warning << '\n';
    err.flush();

    nxa::sim::TesterSimulator simulator(parsed.options.settings);
    QObject::connect(&simulator, &nxa::sim::TesterSimulator::served,
                     [&out](const QString &line) { out << line << Qt::endl; });
    if (!simulator.listen(parsed.options.listenAddress, parsed.options.port)) {
        err << "nxa-tester-sim: cannot listen on " << parsed.options.listenAddress.toString() << ':'
            << parsed.options.port << ": " << simulator.errorString() << '\n';
        return 1;
    }
    out << "nxa-tester-sim listening on " << parsed.options.listenAddress.toString() << ':'
        << simulator.serverPort() << " (scenario "
        << nxa::sim::scenarioName(parsed.options.settings.scenario) << ")" << Qt::endl;
    return application.exec();
}
