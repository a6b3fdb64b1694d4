#include "app/commandline/CommandLineLog.h"

#include "common/RegularFile.h"
#include "common/ResultCodes.h"
#include "common/TesterAddress.h"

#include <QFile>

namespace nxa::app {

namespace {
constexpr char kLineEnd[] = "\r\n";
}

QString runStampText(const QDateTime &when) {
    return when.toString(QStringLiteral("yyyy-MM-dd  HH:mm:ss"));
}

QString runDescriptionText(quint32 address, const QString &outputPath) {
    // A line break in the path would split the record's description line.
    QString path = outputPath;
    path.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    path.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return QStringLiteral("Extract data from ") + formatAddress(address) + QStringLiteral(" to ") +
           path;
}

QByteArray logRecord(const QString &stamp, const QString &description, ResultCode resultCode,
                     bool separated) {
    QByteArray record;
    if (separated)
        record += kLineEnd;
    record += stamp.toUtf8() + kLineEnd;
    record += description.toUtf8() + kLineEnd;
    record += resultLogText(resultCode).toUtf8() + kLineEnd;
    return record;
}

bool appendLogRecord(const QString &path, const QString &stamp, const QString &description,
                     ResultCode resultCode) {
    QFile file(path);
    // Unbuffered, so the record reaches the file in one write call, which
    // O_APPEND places at the end even when another run appends at once.
    if (!openRegular(file, O_WRONLY | O_APPEND | O_CREAT,
                     QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    const QByteArray record = logRecord(stamp, description, resultCode, file.size() > 0);
    const bool written = file.write(record) == record.size();
    file.close();
    return written;
}

} // namespace nxa::app
