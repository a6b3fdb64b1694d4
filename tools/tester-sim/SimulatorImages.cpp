#include "SimulatorImages.h"

#include "common/ImageRecords.h"
#include "config/ConfigurationFiles.h"
#include "config/ConfigurationImage.h"
#include "config/StationConfig.h"
#include "records/DataloggerImage.h"
#include "records/DataloggerMerge.h"
#include "samples/DataloggerImageBuilder.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace nxa::sim {

namespace {

// The records of a file form, back to back; bytes missing at the end read as 0.
QByteArray stripLineEnds(const QByteArray &file, int recordCount) {
    QByteArray records;
    records.reserve(qsizetype(recordCount) * kRecordSize);
    RecordReader reader = RecordReader::fromFileBytes(file);
    for (int i = 0; i < recordCount; ++i) {
        const ImageRecord record = reader.next();
        records.append(record.data(), kRecordSize);
    }
    return records;
}

QByteArray preamble(int peripheral) {
    QByteArray record(kRecordSize, ' ');
    record[0] = static_cast<char>(
        std::clamp(peripheral, config::kMinPeripheralNumber, config::kMaxPeripheralNumber));
    return record;
}

// "LOGXX.BRL" gives XX (0 counts as 1); any other name gives nothing.
std::optional<int> logFilePeripheral(const QString &path) {
    if (const std::optional<int> number = records::logFilePeripheralNumber(path))
        return std::max(1, *number);
    return std::nullopt;
}

bool readWhole(const QString &path, QByteArray &data, QString &error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    data = file.readAll();
    return true;
}

} // namespace

QByteArray generateDataloggerImage(const GeneratedDatalogger &options) {
    records::SampleDataloggerOptions sample;
    sample.peripheralNumber = options.peripheral;
    sample.recognitionType = options.recognition;
    sample.names = options.names;
    if (!options.flags) {
        sample.visitorPercent = 0;
        sample.leftPlusRightPercent = 0;
        sample.keyboardPercent = 0;
    }
    const int count = std::clamp(options.records, 0, records::kMaxAccessRecords);
    return records::sampleDatalogger(count, options.seed, sample).transferImage();
}

LoadedImage loadDataloggerFile(const QString &path, std::optional<int> peripheral) {
    LoadedImage loaded;
    QByteArray file;
    if (!readWhole(path, file, loaded.error))
        return loaded;
    if (file.size() != records::kFileImageSize)
        loaded.warnings.append(
            QStringLiteral("%1 holds %2 bytes, a log file %3; missing bytes are served as 0")
                .arg(path)
                .arg(file.size())
                .arg(records::kFileImageSize));
    if (file.isEmpty() || file.at(0) != records::kHeaderMark)
        loaded.warnings.append(
            QStringLiteral("%1 does not start with the datalogger mark \"R\"").arg(path));
    const int number = peripheral.value_or(logFilePeripheral(path).value_or(1));
    loaded.image = preamble(number) + stripLineEnds(file, records::kFileRecordCount);
    return loaded;
}

LoadedImage loadConfigurationFile(const QString &path, std::optional<int> peripheral) {
    LoadedImage loaded;
    QByteArray file;
    if (!readWhole(path, file, loaded.error))
        return loaded;
    config::StationConfig station;
    const config::DecodeResult decoded = config::decodeConfigurationFile(station, path);
    if (!decoded.ok) {
        loaded.error = QStringLiteral("%1 is not a configuration file").arg(path);
        return loaded;
    }
    for (const Notice &notice : decoded.notices)
        loaded.warnings.append(QString(notice.text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    if (file.size() != config::kFileSize)
        loaded.warnings.append(
            QStringLiteral(
                "%1 holds %2 bytes, a configuration file %3; missing bytes are served as 0")
                .arg(path)
                .arg(file.size())
                .arg(config::kFileSize));
    const int number = peripheral.value_or(station.peripheralNumber());
    loaded.image = preamble(number) + stripLineEnds(file, config::kRecordCount);
    return loaded;
}

QByteArray defaultConfigurationImage(int peripheral) {
    config::StationConfig station;
    station.setPeripheralNumber(peripheral);
    return config::encodeConfigurationTransfer(station);
}

QByteArray configurationFileForm(const QByteArray &transfer) {
    QByteArray file;
    file.reserve(config::kFileSize);
    for (int i = 0; i < config::kRecordCount; ++i) {
        const qsizetype from = config::kPreambleSize + qsizetype(i) * kRecordSize;
        QByteArray record = transfer.mid(from, kRecordSize);
        record.resize(kRecordSize, '\0');
        file += record;
        file += "\r\n";
    }
    return file;
}

} // namespace nxa::sim
