#include "config/ConfigurationFiles.h"

#include "common/CompleteSave.h"

#include <QDir>
#include <QSaveFile>

namespace nxa::config {

ConfigurationExportResult exportConfiguration(const StationConfig &config,
                                              const QString &directory) {
    ConfigurationExportResult result;
    result.fileName = configurationFileName(config.peripheralNumber());
    result.path = QDir(directory).filePath(result.fileName);

    QSaveFile file(result.path);
    // A folder the user may not create files in can still hold a writable configuration
    // file; it is then rewritten in place, as a plain write would.
    file.setDirectWriteFallback(true);
    bool written = file.open(QIODevice::WriteOnly);
    if (written)
        written = encodeConfigurationFile(config, file);
    // A failed write is reported like a file that could not be created: the
    // rename never happens, so whatever file stood there stays as it was (unless
    // the file had to be written in place, where nothing better is possible).
    if (written)
        written = commitComplete(file);
    else
        file.cancelWriting();
    if (!written) {
        result.notices.append(Notice{QStringLiteral("Error"),
                                     QStringLiteral("Can't write the file"), NoticeIcon::Error});
        return result;
    }
    result.ok = true;
    result.notices.append(Notice{result.fileName,
                                 QStringLiteral("Saved correctly the file:\n\n") + result.fileName,
                                 NoticeIcon::Information});
    return result;
}

DecodeResult importConfiguration(StationConfig &config, const QString &path) {
    return decodeConfigurationFile(config, path);
}

} // namespace nxa::config
