#pragma once

// Simulated testers for the collector's benchmarks: one simulator per tester
// at 127.0.0.2, 127.0.0.3, ... on one port, a private password file, and the
// nxa-collect.ini that names them "tester000", "tester001", ...

#include "SimulatorThread.h"
#include "config/ConfigurationImage.h"
#include "config/StationConfig.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

namespace nxa::bench {

// A tester that answers for its configuration too, as every real one does: a
// collector waits for it after each download, and a tester that never
// answers would have the benchmark measure that time-out instead of work.
inline sim::SimulatorSettings answeringTester(const QByteArray &image) {
    sim::SimulatorSettings settings;
    settings.dataloggerImage = image;
    config::StationConfig configuration;
    configuration.setPeripheralNumber(static_cast<unsigned char>(image.at(0)));
    settings.configurationImage = config::encodeConfigurationTransfer(configuration);
    return settings;
}

class SimulatedTesters {
public:
    // Starts `count` simulators, tester t serving settings(t), and writes the
    // configuration into `folder` with the archive line given.
    SimulatedTesters(const QString &folder, int count,
                     const std::function<sim::SimulatorSettings(int)> &settings,
                     const QString &archiveLine) {
        const QString passwordFile = folder + QStringLiteral("/tester.pw");
        QFile pw(passwordFile);
        pw.open(QIODevice::WriteOnly);
        pw.write("583041\n");
        pw.close();
        QFile::setPermissions(passwordFile, QFile::ReadOwner | QFile::WriteOwner);
        QString ini = archiveLine + QLatin1Char('\n');
        for (int t = 0; t < count; ++t) {
            auto simulator = std::make_unique<sim::SimulatorThread>(settings(t));
            const QString address = QStringLiteral("127.0.0.%1").arg(t + 2);
            if (!simulator->start(QHostAddress(address), m_port)) {
                std::fprintf(stderr, "simulator %d cannot listen\n", t);
                std::exit(1);
            }
            m_port = simulator->port();
            m_simulators.push_back(std::move(simulator));
            ini += QStringLiteral("[tester%1]\naddress=%2\nport=%3\npassword-file=%4\n")
                       .arg(t, 3, 10, QLatin1Char('0'))
                       .arg(address)
                       .arg(m_port)
                       .arg(passwordFile);
        }
        QFile config(folder + QStringLiteral("/nxa-collect.ini"));
        config.open(QIODevice::WriteOnly);
        config.write(ini.toUtf8());
    }

    quint16 port() const { return m_port; }

    // Tester t serves new settings at the same address and port: the same
    // tester, its datalogger moved on.
    void serve(int t, const sim::SimulatorSettings &settings) {
        auto &simulator = m_simulators[static_cast<size_t>(t)];
        simulator.reset();
        simulator = std::make_unique<sim::SimulatorThread>(settings);
        if (!simulator->start(QHostAddress(QStringLiteral("127.0.0.%1").arg(t + 2)), m_port)) {
            std::fprintf(stderr, "simulator %d cannot listen again\n", t);
            std::exit(1);
        }
    }

private:
    quint16 m_port = 0;
    std::vector<std::unique_ptr<sim::SimulatorThread>> m_simulators;
};

} // namespace nxa::bench
