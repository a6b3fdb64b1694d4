#include "records/FixedWidthTextImport.h"

#include "records/DataloggerMerge.h"
#include "records/FixedWidthColumns.h"
#include "records/TrimSpaces.h"

#include <QFile>
#include <QStringDecoder>

#include <array>
#include <optional>

namespace nxa::records {

namespace {

// Longer lines go on as lines of their own.
constexpr qsizetype kMaxLineLength = 119;
constexpr qint64 kReadBlockSize = 64 * 1024;

// Pass is read as wide as the Relay field's leading spaces allow (9, not 6):
// it takes them in, and the trimming drops them again.
constexpr int kPassReadWidth = 9;

int readWidth(int c) {
    return c == kColumnPass ? kPassReadWidth : kFixedWidths[static_cast<size_t>(c)];
}

// Splits a device into raw lines at CR, LF or CR LF, reading in blocks so that
// the file never has to fit in memory at once.
class RawLineReader {
public:
    explicit RawLineReader(QIODevice *device) : m_device(device) {}

    std::optional<QByteArray> next() {
        QByteArray line;
        for (;;) {
            if (m_position >= m_buffer.size() && !fill())
                return line.isEmpty() ? std::nullopt : std::optional<QByteArray>(line);
            if (m_skipLineFeed) {
                m_skipLineFeed = false;
                if (m_buffer.at(m_position) == '\n') {
                    ++m_position;
                    continue;
                }
            }
            const qsizetype start = m_position;
            while (m_position < m_buffer.size() && m_buffer.at(m_position) != '\r' &&
                   m_buffer.at(m_position) != '\n')
                ++m_position;
            line.append(m_buffer.constData() + start, m_position - start);
            if (m_position < m_buffer.size()) {
                m_skipLineFeed = m_buffer.at(m_position) == '\r';
                ++m_position;
                return line;
            }
        }
    }

private:
    bool fill() {
        m_buffer = m_device->read(kReadBlockSize);
        m_position = 0;
        return !m_buffer.isEmpty();
    }

    QIODevice *m_device;
    QByteArray m_buffer;
    qsizetype m_position = 0;
    bool m_skipLineFeed = false;
};

QString decodeLine(const QByteArray &bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

// Lines as the import sees them: decoded, and cut every 119 characters.
class TextLineReader {
public:
    explicit TextLineReader(QIODevice *device) : m_raw(device) {}

    std::optional<QString> next() {
        if (m_pending.isEmpty()) {
            std::optional<QByteArray> raw = m_raw.next();
            if (!raw)
                return std::nullopt;
            const QString line = decodeLine(*raw);
            if (line.size() <= kMaxLineLength)
                return line;
            m_pending = line;
        }
        const QString piece = m_pending.left(kMaxLineLength);
        m_pending.remove(0, piece.size());
        return piece;
    }

private:
    RawLineReader m_raw;
    QString m_pending;
};

} // namespace

namespace {

// Often enough for a progress bar, rarely enough to cost nothing.
constexpr qint64 kLinesPerProgressReport = 4096;

} // namespace

bool isTextImportPath(const QString &path) {
    return path.endsWith(QLatin1String(".txt")) || path.endsWith(QLatin1String(".TXT"));
}

Row rowFromTextLine(QStringView line) {
    Row row;
    for (int c = 0; c < kKeyColumnCount; ++c) {
        const qsizetype start = fixedWidthStart(c);
        if (start < line.size())
            row[c] = trimSpaces(
                line.sliced(start, std::min<qsizetype>(readWidth(c), line.size() - start)));
    }
    return row;
}

TextImportResult importFixedWidthText(DataloggerTable &table, const QString &path,
                                      const ProgressCallback &progress) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return importFixedWidthText(table, &file, progress);
}

TextImportResult importFixedWidthText(DataloggerTable &table, QIODevice *device,
                                      const ProgressCallback &progress) {
    TextImportResult result;
    if (!device || !device->isReadable())
        return result;
    result.opened = true;

    TextLineReader lines(device);
    const std::optional<QString> header = lines.next();
    if (!header || !header->startsWith(QLatin1String(" PN"))) {
        result.notices.append(
            {QStringLiteral("Error"), QStringLiteral("Wrong File Format"), NoticeIcon::Error});
        return result;
    }

    const int before = table.rowCount();
    table.rebuildDuplicateKeys();
    qint64 lineCount = 0;
    while (const std::optional<QString> line = lines.next()) {
        Row row = rowFromTextLine(*line);
        if (!table.isDuplicate(row))
            table.insertAtTop(row);
        if (++lineCount % kLinesPerProgressReport == 0)
            reportProgress(progress, device->pos(), device->size());
    }
    result.added = table.rowCount() - before;
    result.notices.append(mergeCountNotice(result.added));
    return result;
}

} // namespace nxa::records
