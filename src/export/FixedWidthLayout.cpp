#include "export/FixedWidthLayout.h"

#include <algorithm>
#include <string>
#include <vector>

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
// How far ahead a batch asks for rows: enough misses in flight to cover
// the memory's latency, few enough to stay in the cache until used.
constexpr int kPrefetchRows = 16;

// A batch of lines as ASCII bytes, all of one length: the cell ends and
// line ends stand in place from the start, so only the fields are written.
class AsciiBatch {
public:
    explicit AsciiBatch(char cellEnd) {
        int at = 0;
        for (int c = 0; c < kExportColumnCount; ++c) {
            m_starts[static_cast<size_t>(c)] = at;
            at += kExportWidths[static_cast<size_t>(c)] + (cellEnd != 0 ? 1 : 0);
        }
        m_stride = at + 2;
        // The empty line: spaces, the cell ends, CR LF.
        m_blank.assign(static_cast<size_t>(m_stride), ' ');
        if (cellEnd != 0) {
            for (int c = 0; c < kExportColumnCount; ++c)
                m_blank[static_cast<size_t>(m_starts[static_cast<size_t>(c)] +
                                            kExportWidths[static_cast<size_t>(c)])] = cellEnd;
        }
        m_blank[static_cast<size_t>(m_stride - 2)] = '\r';
        m_blank[static_cast<size_t>(m_stride - 1)] = '\n';
        m_lines.resize(static_cast<size_t>(m_stride) * kRowsPerBatch);
    }

    // Fills the lines of rows first .. first + count - 1 column by column: a
    // column's texts come from one pool, which then stays in the cache while
    // its cells are written, however scattered the rows are. A row holding a
    // unit beyond ASCII is marked and its line left unfinished.
    void fill(const records::DataloggerTable &table, int first, int count) {
        m_ids.resize(static_cast<size_t>(count) * kExportColumnCount);
        for (int k = 0; k < std::min(count, kPrefetchRows); ++k)
            table.prefetchRow(first + k);
        for (int k = 0; k < count; ++k) {
            if (k + kPrefetchRows < count)
                table.prefetchRow(first + k + kPrefetchRows);
            std::copy(m_blank.begin(), m_blank.end(),
                      m_lines.begin() + static_cast<ptrdiff_t>(k) * m_stride);
            for (int c = 0; c < kExportColumnCount; ++c)
                m_ids[static_cast<size_t>(k * kExportColumnCount + c)] =
                    table.valueId(first + k, c);
        }
        m_ascii.assign(static_cast<size_t>(count), 1);
        for (int c = 0; c < kExportColumnCount; ++c)
            fillColumn(table, c, count);
    }

    bool ascii(int k) const { return m_ascii[static_cast<size_t>(k)] != 0; }
    const char *line(int k) const { return m_lines.data() + static_cast<ptrdiff_t>(k) * m_stride; }
    qsizetype lineSize() const { return m_stride; }

private:
    // Writes text right-aligned into the width bytes at field; false, and
    // field unfinished, when a unit is beyond ASCII.
    static bool writeAligned(char *field, int width, QStringView text) {
        const qsizetype length = std::min<qsizetype>(text.size(), width);
        const char16_t *units = text.utf16();
        char *at = field + (width - length);
        char16_t all = 0;
        for (qsizetype i = 0; i < length; ++i) {
            all |= units[i];
            at[i] = static_cast<char>(units[i]);
        }
        return all < 0x80;
    }

    void fillColumn(const records::DataloggerTable &table, int c, int count) {
        const int width = kExportWidths[static_cast<size_t>(c)];
        char *field = m_lines.data() + m_starts[static_cast<size_t>(c)];
        for (int k = 0; k < count; ++k, field += m_stride) {
            const quint32 id = m_ids[static_cast<size_t>(k * kExportColumnCount + c)];
            if (!writeAligned(field, width, table.valueText(c, id)))
                m_ascii[static_cast<size_t>(k)] = 0;
        }
    }

    std::array<int, kExportColumnCount> m_starts{};
    int m_stride = 0;
    std::string m_blank;
    std::vector<char> m_lines;
    std::vector<quint32> m_ids;
    std::vector<char> m_ascii;
};

// Row r's line in UTF-8, encoded field by field as the line's UTF-16 would
// be whole; false when a field holds a surrogate, whose pair may span two
// fields and is left to the encoding of the whole line.
bool encodeRowLine(std::string &out, const records::DataloggerTable &table, int r, char cellEnd) {
    out.clear();
    for (int c = 0; c < kExportColumnCount; ++c) {
        const QStringView text = table.keyCell(r, c);
        const int width = kExportWidths[static_cast<size_t>(c)];
        const qsizetype length = std::min<qsizetype>(text.size(), width);
        out.append(static_cast<size_t>(width - length), ' ');
        for (const QChar character : text.first(length)) {
            const char16_t unit = character.unicode();
            if (unit < 0x80) {
                out.push_back(static_cast<char>(unit));
            } else if (unit < 0x800) {
                out.push_back(static_cast<char>(0xC0 | (unit >> 6)));
                out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
            } else if (unit >= 0xD800 && unit < 0xE000) {
                return false;
            } else {
                out.push_back(static_cast<char>(0xE0 | (unit >> 12)));
                out.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
                out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
            }
        }
        if (cellEnd != 0)
            out.push_back(cellEnd);
    }
    out.append("\r\n");
    return true;
}

bool writeBytes(QIODevice &device, const char *data, qint64 size) {
    return size == 0 || device.write(data, size) == size;
}

} // namespace

bool writeLayoutLines(const records::DataloggerTable &table, QIODevice &device, QChar cellEnd,
                      const ProgressCallback &progress) {
    QString line;
    appendTitleLine(line, cellEnd);
    const QByteArray title = line.toUtf8();
    bool ok = writeBytes(device, title.constData(), title.size());
    const bool asciiEnd = cellEnd.unicode() < 0x80;
    const char asciiCellEnd = asciiEnd ? static_cast<char>(cellEnd.unicode()) : '\0';
    AsciiBatch ascii(asciiCellEnd);
    QByteArray utf8;
    std::string encoded;
    for (int first = 0; first < table.rowCount(); first += kRowsPerBatch) {
        const int count = std::min(kRowsPerBatch, table.rowCount() - first);
        if (asciiEnd)
            ascii.fill(table, first, count);
        // Runs of ASCII lines go out as they stand in the batch; a row beyond
        // ASCII goes through the UTF-8 encoding of its line.
        int run = 0;
        for (int k = 0; k < count; ++k) {
            if (asciiEnd && ascii.ascii(k))
                continue;
            ok = writeBytes(device, ascii.line(run), ascii.lineSize() * (k - run)) && ok;
            run = k + 1;
            if (asciiEnd && encodeRowLine(encoded, table, first + k, asciiCellEnd)) {
                ok = writeBytes(device, encoded.data(), static_cast<qint64>(encoded.size())) && ok;
                continue;
            }
            line.clear();
            appendTableRowLine(line, table, first + k, cellEnd);
            utf8 = line.toUtf8();
            ok = writeBytes(device, utf8.constData(), utf8.size()) && ok;
        }
        ok = writeBytes(device, ascii.line(run), ascii.lineSize() * (count - run)) && ok;
        if (count == kRowsPerBatch && !reportProgress(progress, first + count, table.rowCount()))
            return false;
    }
    return ok;
}

} // namespace nxa::exports
