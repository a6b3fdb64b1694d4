#include "export/FixedWidthLayout.h"

#include <algorithm>

namespace nxa::exports {

const std::array<QString, kExportColumnCount> &exportTitles() {
    static const std::array<QString, kExportColumnCount> titles = {
        QStringLiteral("PN"),     QStringLiteral("ID"),          QStringLiteral("Visitor"),
        QStringLiteral("Name"),   QStringLiteral("WS"),          QStringLiteral("Shoe_L"),
        QStringLiteral("Shoe_R"), QStringLiteral("Shoe_L+R"),    QStringLiteral("Pass"),
        QStringLiteral("Relay"),  QStringLiteral("Recognition"), QStringLiteral("Date"),
        QStringLiteral("Time")};
    return titles;
}

void appendAligned(QString &out, QStringView text, int width) {
    const qsizetype length = text.size();
    if (length >= width) {
        out.append(text.first(width));
        return;
    }
    static const QString spaces(32, QLatin1Char(' '));
    qsizetype padding = width - length;
    while (padding > 0) {
        const qsizetype step = std::min(padding, spaces.size());
        out.append(QStringView(spaces).first(step));
        padding -= step;
    }
    out.append(text);
}

namespace {

template <typename CellAt> void appendLine(QString &out, QChar cellEnd, CellAt cellAt) {
    for (int c = 0; c < kExportColumnCount; ++c) {
        appendAligned(out, cellAt(c), kExportWidths[c]);
        if (!cellEnd.isNull())
            out.append(cellEnd);
    }
    out.append(QLatin1String("\r\n"));
}

} // namespace

void appendTitleLine(QString &out, QChar cellEnd) {
    appendLine(out, cellEnd, [](int c) -> QStringView { return exportTitles()[c]; });
}

void appendRowLine(QString &out, const records::Row &row, QChar cellEnd) {
    appendLine(out, cellEnd, [&row](int c) -> QStringView { return row[c]; });
}

void appendTableRowLine(QString &out, const records::DataloggerTable &table, int r, QChar cellEnd) {
    appendLine(out, cellEnd, [&](int c) { return table.keyCell(r, c); });
}

namespace {

// Rows are encoded in batches so a large table is neither held twice in
// memory nor written one small line at a time.
constexpr int kRowsPerBatch = 512;

// Writes a row's line straight as bytes when every cell is ASCII, which is
// what nearly every row is; false, with nothing written, otherwise. The bytes
// are those the UTF-8 encoding of the line would give.
bool appendAsciiRowLine(QByteArray &out, const records::DataloggerTable &table, int r,
                        char cellEnd) {
    const qsizetype start = out.size();
    out.resize(start + kExportLineWidth + kExportColumnCount + 2);
    char *at = out.data() + start;
    for (int c = 0; c < kExportColumnCount; ++c) {
        const QStringView text = table.keyCell(r, c);
        const int width = kExportWidths[static_cast<size_t>(c)];
        const qsizetype length = std::min<qsizetype>(text.size(), width);
        at = std::fill_n(at, width - length, ' ');
        for (qsizetype i = 0; i < length; ++i) {
            const char16_t unit = text[i].unicode();
            if (unit >= 0x80) {
                out.truncate(start);
                return false;
            }
            *at++ = static_cast<char>(unit);
        }
        if (cellEnd != 0)
            *at++ = cellEnd;
    }
    *at++ = '\r';
    *at++ = '\n';
    out.truncate(at - out.constData());
    return true;
}

bool writeBytes(QIODevice &device, const QByteArray &bytes) {
    return device.write(bytes) == bytes.size();
}

} // namespace

bool writeLayoutLines(const records::DataloggerTable &table, QIODevice &device, QChar cellEnd,
                      const ProgressCallback &progress) {
    const int cellEnds = cellEnd.isNull() ? 0 : kExportColumnCount;
    QByteArray batch;
    batch.reserve((kExportLineWidth + cellEnds + 2) * 3 * kRowsPerBatch);
    QString line;
    appendTitleLine(line, cellEnd);
    batch += line.toUtf8();
    const bool asciiEnd = cellEnd.unicode() < 0x80;
    const char asciiCellEnd = static_cast<char>(cellEnd.unicode());
    bool ok = true;
    for (int r = 0; r < table.rowCount(); ++r) {
        // Key cells are read in place: no row copy, whatever the row order.
        if (!asciiEnd || !appendAsciiRowLine(batch, table, r, asciiCellEnd)) {
            line.clear();
            appendTableRowLine(line, table, r, cellEnd);
            batch += line.toUtf8();
        }
        if ((r + 1) % kRowsPerBatch == 0) {
            ok = writeBytes(device, batch) && ok;
            batch.resize(0); // keeps the buffer for the next batch
            if (!reportProgress(progress, r + 1, table.rowCount()))
                return false;
        }
    }
    if (!batch.isEmpty())
        ok = writeBytes(device, batch) && ok;
    return ok;
}

} // namespace nxa::exports
