#pragma once

#include "SimulatorSettings.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

namespace nxa::sim {

struct SimulatorCommandLine {
    QHostAddress listenAddress = QHostAddress(QHostAddress::LocalHost);
    quint16 port = 80;
    SimulatorSettings settings; // images loaded or generated
    QStringList warnings;       // about the files loaded; the simulator runs all the same
};

struct CommandLineResult {
    bool helpRequested = false;
    QString error; // set when the options cannot be used
    SimulatorCommandLine options;
};

// `arguments` without the program name. Loads or generates both images.
CommandLineResult parseSimulatorCommandLine(const QStringList &arguments);

// The complete --help text.
QString simulatorHelpText();

} // namespace nxa::sim
