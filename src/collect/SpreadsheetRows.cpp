#include "collect/SpreadsheetRows.h"

#include "common/RegularFile.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <archive.h>
#include <archive_entry.h>

#include <cmath>
#include <memory>

namespace nxa::collect {

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr char kZipMagic[] = "PK\x03\x04";
// A workbook part larger than this unpacked is a bomb, not a list of persons.
constexpr qint64 kMaxPartBytes = 256LL * 1024 * 1024;

SpreadsheetRead failure(const QString &error, int line = 0) {
    SpreadsheetRead read;
    read.error = error;
    read.errorLine = line;
    return read;
}

bool allEmpty(const QStringList &cells) {
    return std::all_of(
        cells.begin(), cells.end(), [](const QString &c) { return c.trimmed().isEmpty(); });
}

// The header row's separator: the one of ',' and ';' it holds more of
// outside quotes, a comma when neither.
char separatorOf(const QByteArray &bytes, qsizetype from) {
    int commas = 0;
    int semicolons = 0;
    bool quoted = false;
    for (qsizetype i = from; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
        else if (!quoted && c == ',')
            ++commas;
        else if (!quoted && c == ';')
            ++semicolons;
    }
    return semicolons > commas ? ';' : ',';
}

// The last row number of a cell reference such as "AB12", or the column
// index of its letters.
int columnOf(QStringView reference) {
    int column = 0;
    for (const QChar c : reference) {
        if (c < QLatin1Char('A') || c > QLatin1Char('Z'))
            break;
        column = column * 26 + (c.unicode() - u'A' + 1);
        if (column > 16384)
            return -1;
    }
    return column - 1;
}

// A number as a spreadsheet shows it: whole numbers without a fraction.
QString numberText(const QString &value) {
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return value;
    if (number == std::trunc(number) && std::abs(number) < 1e15)
        return QString::number(static_cast<qint64>(number));
    return QString::number(number, 'g', 15);
}

// The workbook's parts that a first sheet needs, unpacked.
class WorkbookParts {
public:
    QString open(const QByteArray &bytes) {
        std::unique_ptr<archive, decltype(&archive_read_free)> zip(archive_read_new(),
                                                                   archive_read_free);
        archive_read_support_format_zip(zip.get());
        if (archive_read_open_memory(zip.get(), bytes.constData(),
                                     static_cast<size_t>(bytes.size())) != ARCHIVE_OK)
            return QStringLiteral("the file is no readable XLSX workbook");
        archive_entry *entry = nullptr;
        int status = ARCHIVE_OK;
        while ((status = archive_read_next_header(zip.get(), &entry)) == ARCHIVE_OK) {
            const QString name = QString::fromUtf8(archive_entry_pathname(entry));
            if (!name.endsWith(QLatin1String(".xml")) && !name.endsWith(QLatin1String(".rels")))
                continue;
            QByteArray part;
            char buffer[64 * 1024];
            la_ssize_t got = 0;
            while ((got = archive_read_data(zip.get(), buffer, sizeof buffer)) > 0) {
                part.append(buffer, static_cast<qsizetype>(got));
                if (part.size() > kMaxPartBytes)
                    return QStringLiteral("the workbook part %1 is too large").arg(name);
            }
            if (got < 0)
                return QStringLiteral("the workbook part %1 cannot be unpacked: %2")
                    .arg(name, QString::fromUtf8(archive_error_string(zip.get())));
            m_parts.insert(name, part);
        }
        if (status != ARCHIVE_EOF)
            return QStringLiteral("the file is no readable XLSX workbook: %1")
                .arg(QString::fromUtf8(archive_error_string(zip.get())));
        return {};
    }
    bool has(const QString &name) const { return m_parts.contains(name); }
    QByteArray part(const QString &name) const { return m_parts.value(name); }

private:
    QHash<QString, QByteArray> m_parts;
};

// The part name of the workbook's first sheet, from the workbook and its
// relationships.
QString firstSheetPart(const WorkbookParts &parts) {
    QString id;
    QXmlStreamReader workbook(parts.part(QStringLiteral("xl/workbook.xml")));
    while (!workbook.atEnd() && id.isEmpty()) {
        workbook.readNext();
        if (!workbook.isStartElement() || workbook.name() != QLatin1String("sheet"))
            continue;
        // The relationship id is r:id; no other attribute of a sheet is "id".
        for (const QXmlStreamAttribute &a : workbook.attributes())
            if (a.name() == QLatin1String("id"))
                id = a.value().toString();
        break;
    }
    if (id.isEmpty())
        return {};
    QXmlStreamReader rels(parts.part(QStringLiteral("xl/_rels/workbook.xml.rels")));
    while (!rels.atEnd()) {
        rels.readNext();
        if (rels.isStartElement() && rels.name() == QLatin1String("Relationship") &&
            rels.attributes().value(QLatin1String("Id")) == id) {
            const QString target = rels.attributes().value(QLatin1String("Target")).toString();
            return target.startsWith(QLatin1Char('/')) ? target.mid(1)
                                                       : QStringLiteral("xl/") + target;
        }
    }
    return {};
}

QStringList sharedStrings(const WorkbookParts &parts, QString &error) {
    QStringList strings;
    QXmlStreamReader xml(parts.part(QStringLiteral("xl/sharedStrings.xml")));
    QString current;
    bool inItem = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("si")) {
            inItem = true;
            current.clear();
        } else if (xml.isEndElement() && xml.name() == QLatin1String("si")) {
            inItem = false;
            strings.append(current);
        } else if (inItem && xml.isStartElement() && xml.name() == QLatin1String("t")) {
            current += xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (inItem && xml.isStartElement() && xml.name() == QLatin1String("rPh")) {
            xml.skipCurrentElement(); // phonetic hints are no part of the text
        }
    }
    if (xml.hasError() && parts.has(QStringLiteral("xl/sharedStrings.xml")))
        error = QStringLiteral("the workbook's shared strings are unreadable: %1")
                    .arg(xml.errorString());
    return strings;
}

} // namespace

SpreadsheetRead readCsv(const QByteArray &bytes) {
    SpreadsheetRead read;
    const qsizetype start = bytes.startsWith(kUtf8Bom) ? 3 : 0;
    const char separator = separatorOf(bytes, start);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    SpreadsheetRow row;
    QByteArray field;
    int line = 1;
    row.line = line;
    bool quoted = false;
    bool wasQuoted = false;
    auto endField = [&]() -> bool {
        QString text = utf8.decode(field);
        if (utf8.hasError())
            return false;
        row.cells.append(text);
        field.clear();
        wasQuoted = false;
        return true;
    };
    auto endRow = [&] {
        if (!allEmpty(row.cells))
            read.rows.push_back(row);
        row = {};
    };
    for (qsizetype i = start; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quoted) {
            if (c == '"' && i + 1 < bytes.size() && bytes[i + 1] == '"') {
                field.append('"');
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                if (c == '\n')
                    ++line;
                field.append(c);
            }
        } else if (c == '"' && field.isEmpty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == '"') {
            return failure(QStringLiteral("a quote inside a field that is not quoted"), line);
        } else if (c == separator) {
            if (!endField())
                return failure(QStringLiteral("the text is not UTF-8"), line);
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            if (!endField())
                return failure(QStringLiteral("the text is not UTF-8"), line);
            endRow();
            row.line = ++line;
        } else if (wasQuoted) {
            return failure(QStringLiteral("text after the closing quote of a field"), line);
        } else {
            field.append(c);
        }
    }
    if (quoted)
        return failure(QStringLiteral("a quoted field is never closed"), row.line);
    if (!field.isEmpty() || wasQuoted || !row.cells.isEmpty()) {
        if (!endField())
            return failure(QStringLiteral("the text is not UTF-8"), line);
        endRow();
    }
    return read;
}

SpreadsheetRead readXlsxFirstSheet(const QByteArray &bytes) {
    WorkbookParts parts;
    if (QString error = parts.open(bytes); !error.isEmpty())
        return failure(error);
    const QString sheetName = firstSheetPart(parts);
    if (sheetName.isEmpty() || !parts.has(sheetName))
        return failure(QStringLiteral("the workbook has no worksheet"));
    QString error;
    const QStringList strings = sharedStrings(parts, error);
    if (!error.isEmpty())
        return failure(error);

    SpreadsheetRead read;
    QXmlStreamReader xml(parts.part(sheetName));
    SpreadsheetRow row;
    int nextRow = 1;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("row")) {
            bool ok = false;
            const int r = xml.attributes().value(QLatin1String("r")).toInt(&ok);
            row = {};
            row.line = ok && r > 0 ? r : nextRow;
            nextRow = row.line + 1;
        } else if (xml.isEndElement() && xml.name() == QLatin1String("row")) {
            if (!allEmpty(row.cells))
                read.rows.push_back(row);
        } else if (xml.isStartElement() && xml.name() == QLatin1String("c")) {
            const QXmlStreamAttributes attributes = xml.attributes();
            const QString type = attributes.value(QLatin1String("t")).toString();
            int column = static_cast<int>(row.cells.size());
            if (attributes.hasAttribute(QLatin1String("r")))
                column = columnOf(attributes.value(QLatin1String("r")));
            if (column < 0)
                return failure(QStringLiteral("a cell reference is out of range"), row.line);
            QString value;
            while (!xml.atEnd() && !(xml.isEndElement() && xml.name() == QLatin1String("c"))) {
                xml.readNext();
                if (xml.isStartElement() &&
                    (xml.name() == QLatin1String("v") || xml.name() == QLatin1String("t")))
                    value += xml.readElementText(QXmlStreamReader::IncludeChildElements);
            }
            if (type == QLatin1String("s")) {
                bool ok = false;
                const int index = value.toInt(&ok);
                if (!ok || index < 0 || index >= strings.size())
                    return failure(QStringLiteral("a cell names a shared string that is missing"),
                                   row.line);
                value = strings[index];
            } else if (type.isEmpty() || type == QLatin1String("n")) {
                value = numberText(value);
            }
            while (row.cells.size() <= column)
                row.cells.append(QString());
            row.cells[column] = value;
        }
    }
    if (xml.hasError())
        return failure(QStringLiteral("the worksheet is unreadable: %1").arg(xml.errorString()),
                       row.line);
    return read;
}

SpreadsheetRead readSpreadsheet(const QString &path) {
    if (!isRegularOrMissing(path) || !QFile::exists(path))
        return failure(QStringLiteral("no such file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(file.errorString());
    if (file.size() > kMaxSpreadsheetBytes)
        return failure(
            QStringLiteral("the file is larger than %1 MB").arg(kMaxSpreadsheetBytes >> 20));
    const QByteArray bytes = file.readAll();
    return bytes.startsWith(kZipMagic) ? readXlsxFirstSheet(bytes) : readCsv(bytes);
}

} // namespace nxa::collect
