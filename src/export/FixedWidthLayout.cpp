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

namespace {

// Rows are encoded in batches so a large table is neither held twice in
// memory nor written one small line at a time.
constexpr int kRowsPerBatch = 512;

bool writeUtf8(QIODevice &device, const QString &text) {
    const QByteArray bytes = text.toUtf8();
    return device.write(bytes) == bytes.size();
}

} // namespace

bool writeLayoutLines(const records::DataloggerTable &table, QIODevice &device, QChar cellEnd,
                      const ProgressCallback &progress) {
    const int cellEnds = cellEnd.isNull() ? 0 : kExportColumnCount;
    QString batch;
    batch.reserve((kExportLineWidth + cellEnds + 2) * kRowsPerBatch);
    appendTitleLine(batch, cellEnd);
    bool ok = true;
    for (int r = 0; r < table.rowCount(); ++r) {
        // Key cells are read in place: no row copy, whatever the row order.
        appendLine(batch, cellEnd, [&](int c) { return table.keyCell(r, c); });
        if ((r + 1) % kRowsPerBatch == 0) {
            ok = writeUtf8(device, batch) && ok;
            batch.clear();
            if (!reportProgress(progress, r + 1, table.rowCount()))
                return false;
        }
    }
    if (!batch.isEmpty())
        ok = writeUtf8(device, batch) && ok;
    return ok;
}

} // namespace nxa::exports
