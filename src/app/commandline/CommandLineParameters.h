#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace nxa::app {

inline constexpr int kCommandLineParameterCount = 4;
inline constexpr char kTextSwitch[] = "/TXT";
inline constexpr char kWorkbookSwitch[] = "/XLSX";
inline constexpr int kOutputPathPosition = 3; // counted from 0

// The four parameters of a command-line run; a missing one reads as empty.
struct CommandLineParameters {
    QString address;
    QString password;
    QString formatSwitch;
    QString outputPath;
    int count = 0;
    // False when the path's bytes could not be held as they were given.
    bool outputPathExact = true;

    static CommandLineParameters from(const QStringList &parameters);
};

// Outcome of the parameter check. Every test runs, so each flag is set
// whatever the others gave.
struct ParameterCheck {
    bool addressOk = false;
    bool passwordOk = false;
    bool switchOk = false;
    bool countOk = false;
    // The combined address, kept even when the check fails.
    quint32 address = 0;

    bool passed() const { return addressOk && passwordOk && switchOk && countOk; }
};

ParameterCheck checkParameters(const CommandLineParameters &parameters);

} // namespace nxa::app
