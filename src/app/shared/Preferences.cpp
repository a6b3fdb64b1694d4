#include "app/shared/Preferences.h"

#include "common/CompleteSave.h"
#include "common/RegularFile.h"
#include "common/TesterAddress.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

#include <optional>

namespace nxa::app {

namespace {

const QString kGroup = QStringLiteral("TCP/IP Settings");
const QString kKey = QStringLiteral("IP Address");
const QString kDefaultAddress = QStringLiteral("192.168.001.200");
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr qsizetype kByteOrderMarkSize = 3;

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QStringView trimmedBlanks(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.sliced(begin, end - begin);
}

QString decodeContent(const QByteArray &bytes) {
    if (bytes.startsWith(QByteArrayView(kByteOrderMark, kByteOrderMarkSize)))
        return QString::fromUtf8(bytes.sliced(kByteOrderMarkSize));
    return QString::fromLatin1(bytes);
}

// Lines end at CR, LF or CR LF.
QList<QStringView> splitLines(QStringView text) {
    QList<QStringView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines.append(text.sliced(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.sliced(start));
    return lines;
}

// The value of `key` inside `group` (names compared without regard to case);
// the first occurrence wins.
std::optional<QString> lookUp(QStringView content, const QString &group, const QString &key) {
    bool inGroup = false;
    for (QStringView line : splitLines(content)) {
        while (!line.isEmpty() && isBlank(line.front()))
            line = line.sliced(1);
        if (line.isEmpty() || line.front() == QLatin1Char(';'))
            continue;
        if (line.front() == QLatin1Char('[')) {
            QStringView name = line.sliced(1);
            const qsizetype close = name.indexOf(QLatin1Char(']'));
            if (close >= 0)
                name = name.first(close);
            inGroup = name.compare(group, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inGroup || equals < 0)
            continue; // a line without "=" holds no key/value pair
        if (trimmedBlanks(line.first(equals)).compare(key, Qt::CaseInsensitive) == 0)
            return trimmedBlanks(line.sliced(equals + 1)).toString();
    }
    return std::nullopt;
}

} // namespace

quint32 preferencesAddress(const QByteArray &bytes) {
    const QString content = decodeContent(bytes);
    return parseDottedAddress(lookUp(content, kGroup, kKey).value_or(kDefaultAddress));
}

QByteArray preferencesContent(quint32 address) {
    QByteArray bytes(kByteOrderMark, kByteOrderMarkSize);
    bytes += "\r\n[";
    bytes += kGroup.toUtf8();
    bytes += "]\r\n";
    bytes += kKey.toUtf8();
    bytes += " = ";
    bytes += formatAddress(address).toUtf8();
    bytes += "\r\n";
    return bytes;
}

quint32 readPreferences(const QString &path) {
    QFile file(path);
    QByteArray bytes;
    if (openRegular(file, O_RDONLY, QIODevice::ReadOnly))
        bytes = file.readAll();
    return preferencesAddress(bytes);
}

void writePreferences(quint32 address, const QString &path) {
    const QByteArray bytes = preferencesContent(address);
    // Written beside the file and renamed over it, so a full disk leaves the
    // earlier file as it was; a path that is no regular file is left alone.
    if (!isRegularOrMissing(path))
        return;
    QSaveFile file(path);
    // A folder nobody may create files in can still hold a writable file; it
    // is then rewritten in place, the only way left.
    file.setDirectWriteFallback(true);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
        commitComplete(file);
}

} // namespace nxa::app
