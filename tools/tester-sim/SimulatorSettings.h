#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace nxa::sim {

// Every misbehaviour the manager has to cope with, selected by name.
enum class Scenario {
    Normal,
    Busy,             // every login answered "BUSY"
    WrongPassword,    // every login answered "WP", whatever the password
    Silent,           // the login is never answered
    Garbage,          // the login is answered with junk
    Nxao,             // the login is answered with the 4 bytes "NXAO"
    CloseAfterLogin,  // "NXAOK", then the connection is closed
    Short,            // downloads one byte short
    Long,             // downloads one byte long
    CloseMidTransfer, // half a download, then the connection is closed
    Drip,             // downloads in small slices with pauses between them
    UploadRefused,    // an upload is answered with something other than "NXAOK"
    Unmarked,         // the datalogger is sent without its "R" mark
    ConnectHangs,     // no connection is ever completed: the listen queue is kept full
    DripLogin,        // as Drip, and the login reply drips too, a byte at a time
    CutLoginReply,    // "NXAOK" in 60 of the reply's 64 bytes
};

QString scenarioName(Scenario scenario);
std::optional<Scenario> scenarioFromName(const QString &name);
QStringList scenarioNames();

inline constexpr char kDefaultPassword[] = "583041";

// What one simulated tester holds and how it behaves.
struct SimulatorSettings {
    QString password = QString::fromLatin1(kDefaultPassword);
    Scenario scenario = Scenario::Normal;
    QByteArray dataloggerImage;    // transfer form, served for "NXAD"
    QByteArray configurationImage; // transfer form, served for "NXAE", replaced by "NXAI"
    // Where an uploaded configuration is saved in file form; empty: not saved.
    QString saveConfigPath;
    int dripBytes = 1000;
    int dripIntervalMs = 100;
};

} // namespace nxa::sim
