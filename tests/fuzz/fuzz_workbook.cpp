// The workbook writer given arbitrary cell texts: the input's lines are rows
// and its TAB-separated fields the cells (line ends and TABs cannot be part of
// a cell). Every workbook written is a sound ZIP of the ten parts, each part
// is well-formed XML, and every cell reads back as what was given: numbers as
// their number text, every other text through the shared-string table with
// its escapes undone.

#include "FuzzCheck.h"
#include "ZipEntries.h"
#include "export/CellText.h"
#include "export/WorkbookFixedParts.h"
#include "export/WorkbookWriter.h"

#include <QBuffer>
#include <QHash>
#include <QRegularExpression>
#include <QStringList>
#include <QXmlStreamReader>

#include <cstdint>
#include <string>

namespace {

// Office's escape of a character: "_x" + four hexadecimal digits + "_",
// undone left to right as the spreadsheet programs do.
QString officeUnescaped(const QString &text) {
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString plain;
    qsizetype from = 0;
    for (auto it = escape.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        plain += text.mid(from, match.capturedStart() - from);
        plain += QChar(static_cast<char16_t>(match.captured(1).toUInt(nullptr, 16)));
        from = match.capturedEnd();
    }
    return plain + text.mid(from);
}

bool wellFormed(const QByteArray &part) {
    QXmlStreamReader xml(part);
    while (!xml.atEnd())
        xml.readNext();
    return !xml.hasError();
}

QStringList sharedStrings(const QByteArray &part) {
    QStringList strings;
    QXmlStreamReader xml(part);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("t"))
            strings.append(officeUnescaped(xml.readElementText()));
    }
    return strings;
}

struct Cell {
    bool shared = false;
    QString value;
};

QHash<QString, Cell> worksheetCells(const QByteArray &part) {
    QHash<QString, Cell> cells;
    QXmlStreamReader xml(part);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("c"))
            continue;
        const QString reference = xml.attributes().value(QLatin1String("r")).toString();
        Cell cell;
        cell.shared = xml.attributes().value(QLatin1String("t")) == QLatin1String("s");
        if (xml.readNextStartElement() && xml.name() == QLatin1String("v"))
            cell.value = xml.readElementText();
        cells.insert(reference, cell);
    }
    return cells;
}

QList<QStringList> rowsOf(const QByteArray &input) {
    QList<QStringList> rows;
    // A fixed first line: a byte-order mark at the very start of the source
    // is not text, whichever cell it would begin.
    rows.append(QStringList{QStringLiteral("T")});
    for (const QByteArray &line : input.split('\n')) {
        QStringList cells;
        for (const QByteArray &field : line.split('\t'))
            cells.append(QString::fromUtf8(QByteArray(field).replace('\r', "")));
        rows.append(cells);
    }
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QList<QStringList> rows =
        rowsOf(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    QByteArray sourceText;
    for (const QStringList &cells : rows) {
        for (const QString &cell : cells)
            sourceText += cell.toUtf8() + '\t';
        sourceText += "\r\n";
    }

    QBuffer source(&sourceText);
    source.open(QIODevice::ReadOnly);
    QByteArray zip;
    QBuffer target(&zip);
    target.open(QIODevice::WriteOnly);
    NXA_FUZZ_CHECK(nxa::exports::writeWorkbook(source, target, QStringLiteral("\t")));

    bool sound = false;
    const auto entries = zipEntries(zip, &sound);
    NXA_FUZZ_CHECK(sound);
    NXA_FUZZ_CHECK(entries.size() == 10);
    QByteArray strings;
    QByteArray sheet;
    for (const auto &[name, bytes] : entries) {
        NXA_FUZZ_CHECK(wellFormed(bytes));
        if (name == nxa::exports::kSharedStringsEntry)
            strings = bytes;
        else if (name == nxa::exports::kWorksheetEntry)
            sheet = bytes;
    }
    const QStringList table = sharedStrings(strings);
    const QHash<QString, Cell> cells = worksheetCells(sheet);

    qsizetype expectedCells = 0;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        for (qsizetype c = 0; c < rows.at(r).size(); ++c) {
            const QString &text = rows.at(r).at(c);
            if (text.isEmpty())
                continue;
            ++expectedCells;
            const QString reference =
                QString::fromStdString(nxa::exports::columnLetters(static_cast<int>(c + 1))) +
                QString::number(r + 1);
            NXA_FUZZ_CHECK(cells.contains(reference));
            const Cell &cell = cells.value(reference);
            const std::string utf8 = text.toStdString();
            if (nxa::exports::isNumeric(utf8)) {
                NXA_FUZZ_CHECK(!cell.shared);
                NXA_FUZZ_CHECK(cell.value.toStdString() == nxa::exports::numberText(utf8));
            } else {
                NXA_FUZZ_CHECK(cell.shared);
                bool ok = false;
                const int index = cell.value.toInt(&ok);
                NXA_FUZZ_CHECK(ok && index >= 0 && index < table.size());
                NXA_FUZZ_CHECK(table.at(index) == text);
            }
        }
    }
    NXA_FUZZ_CHECK(cells.size() == expectedCells);
    return 0;
}
