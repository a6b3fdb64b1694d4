#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace nxa::sim {

// A generated datalogger: the same options always give the same image.
struct GeneratedDatalogger {
    int records = 100;  // 0 to 10,000
    bool names = false; // give every user a name
    bool flags = false; // mix in visitor, L+R and keyboard records
    char recognition = 'F';
    int peripheral = 1;
    quint32 seed = 1;
};

QByteArray generateDataloggerImage(const GeneratedDatalogger &options);

struct LoadedImage {
    QByteArray image; // transfer form; empty when `error` is set
    QString error;
    QStringList warnings;
};

// A LOGXX.BRL log file as the datalogger transfer image. The preamble carries
// `peripheral` when given, else the XX of a standard file name, else 1. A file
// of the wrong size is served all the same (missing bytes as 0), with a warning.
LoadedImage loadDataloggerFile(const QString &path, std::optional<int> peripheral);

// A CONFIGXX.BRC configuration file as the configuration transfer image, its
// records served exactly as the file holds them. The preamble carries
// `peripheral` when given, else the number the file name gives.
LoadedImage loadConfigurationFile(const QString &path, std::optional<int> peripheral);

// The configuration a tester has before anyone changed it.
QByteArray defaultConfigurationImage(int peripheral);

// Transfer form to file form: without the preamble, CR LF after every record.
QByteArray configurationFileForm(const QByteArray &transfer);

} // namespace nxa::sim
