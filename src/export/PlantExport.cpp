#include "export/PlantExport.h"

#include "common/CompleteSave.h"
#include "common/RegularFile.h"
#include "common/UnnamedTemporaryFile.h"
#include "common/VisibleText.h"
#include "export/FixedWidthLayout.h"
#include "export/WorkbookWriter.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace nxa::exports {

namespace {

const QString kTesterTitle = QStringLiteral("Tester");

// Rows are encoded in batches so a plant's million rows are neither held
// twice nor written one small line at a time.
constexpr int kRowsPerBatch = 512;

bool testersValid(const records::DataloggerTable &table, const std::vector<quint32> &testerOfRow,
                  const QStringList &testerNames) {
    return testerOfRow.size() == static_cast<size_t>(table.rowCount()) &&
           std::all_of(
               testerOfRow.begin(), testerOfRow.end(),
               [&](quint32 index) { return index < testerNames.size(); });
}

// The longest name of a tester that has rows, looked at once per tester.
qsizetype testerWidth(const std::vector<quint32> &testerOfRow, const QStringList &testerNames) {
    std::vector<bool> used(static_cast<size_t>(testerNames.size()));
    for (const quint32 index : testerOfRow)
        used[index] = true;
    qsizetype width = kTesterTitle.size();
    for (qsizetype i = 0; i < testerNames.size(); ++i)
        if (used[static_cast<size_t>(i)])
            width = std::max(width, testerNames[i].size());
    return width;
}

// The row from start on, up to its CR LF, with its control characters shown
// as text.
void makeRowVisible(QString &lines, qsizetype start) {
    constexpr qsizetype kLineEnd = 2;
    const qsizetype end = lines.size() - kLineEnd;
    const QStringView row = QStringView(lines).mid(start, end - start);
    if (hasControlCharacters(row))
        lines.replace(start, end - start, visibleText(row));
}

bool writeBatch(QIODevice &device, QString &lines) {
    const QByteArray bytes = lines.toUtf8();
    lines.clear();
    return device.write(bytes) == bytes.size();
}

// A cell of the workbook's source: without the spaces around it, and with a
// TAB or line end inside it turned into a space, since either would move the
// rest of the row to other cells or to a row of its own.
void appendSourceCell(QString &out, QStringView text) {
    const QStringView trimmed = text.trimmed();
    const qsizetype start = out.size();
    out.append(trimmed);
    for (qsizetype i = start; i < out.size(); ++i) {
        const QChar c = out[i];
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            out[i] = QLatin1Char(' ');
    }
    out.append(QLatin1Char('\t'));
}

bool writeWorkbookSource(const records::DataloggerTable &table,
                         const std::vector<quint32> &testerOfRow, const QStringList &testerNames,
                         QIODevice &device, const ProgressCallback &progress) {
    QString lines;
    appendSourceCell(lines, kTesterTitle);
    for (const QString &title : exportTitles())
        appendSourceCell(lines, title);
    lines.append(QLatin1String("\r\n"));
    bool ok = true;
    for (int r = 0; r < table.rowCount(); ++r) {
        appendSourceCell(lines, testerNames[testerOfRow[static_cast<size_t>(r)]]);
        for (int c = 0; c < kExportColumnCount; ++c)
            appendSourceCell(lines, table.keyCell(r, c));
        lines.append(QLatin1String("\r\n"));
        if ((r + 1) % kRowsPerBatch == 0) {
            ok = writeBatch(device, lines) && ok;
            if (!reportProgress(progress, r + 1, table.rowCount()))
                return false;
        }
    }
    return writeBatch(device, lines) && ok;
}

// Writing the source text takes about a fifth of the time, the workbook the
// rest.
constexpr qint64 kSourceShare = 200;

// Field positions of the workbook's texts; the others hold PN, ID and the
// four resistances.
std::vector<int> textColumns() {
    using namespace records;
    std::vector<int> columns{0};
    for (const int c : {kColumnVisitor, kColumnName, kColumnPass, kColumnRelay, kColumnRecognition,
                        kColumnDate, kColumnTime})
        columns.push_back(c + 1);
    return columns;
}

} // namespace

ExportResult plantTextExport(const records::DataloggerTable &table,
                             const std::vector<quint32> &testerOfRow,
                             const QStringList &testerNames, const QString &path,
                             const ProgressCallback &progress) {
    if (!testersValid(table, testerOfRow, testerNames) || !isRegularOrMissing(path))
        return {false, path};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, path};
    // Names come from testers and files; a control character in one would
    // act on the terminal that shows the file, or break its line.
    QStringList names;
    for (const QString &name : testerNames)
        names.append(visibleText(name));
    const auto width = static_cast<int>(testerWidth(testerOfRow, names));
    QString lines;
    appendAligned(lines, kTesterTitle, width);
    appendTitleLine(lines);
    bool ok = true;
    for (int r = 0; r < table.rowCount(); ++r) {
        const qsizetype start = lines.size();
        appendAligned(lines, names[testerOfRow[static_cast<size_t>(r)]], width);
        appendTableRowLine(lines, table, r);
        makeRowVisible(lines, start);
        if ((r + 1) % kRowsPerBatch == 0) {
            ok = writeBatch(file, lines) && ok;
            if (!reportProgress(progress, r + 1, table.rowCount())) {
                file.cancelWriting();
                return {false, path, true};
            }
        }
    }
    ok = writeBatch(file, lines) && ok;
    if (!ok) {
        file.cancelWriting();
        return {false, path};
    }
    return {commitComplete(file), path};
}

QString plantWorkbookPath(const QString &path) {
    if (path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
        return path;
    return path + QStringLiteral(".xlsx");
}

ExportResult plantWorkbookExport(const records::DataloggerTable &table,
                                 const std::vector<quint32> &testerOfRow,
                                 const QStringList &testerNames, const QString &path,
                                 const PlantWorkbookOptions &options) {
    const QString workbook = plantWorkbookPath(path);
    if (!testersValid(table, testerOfRow, testerNames) || !isRegularOrMissing(workbook))
        return {false, workbook};
    // A source of its own for every export, without a name, so nothing is
    // left of it however the export ends.
    QFile source;
    if (!openUnnamedTemporaryFile(source, QFileInfo(workbook).absolutePath()))
        return {false, workbook};
    bool stopped = false;
    bool ok = writeWorkbookSource(table, testerOfRow, testerNames, source,
                                  scaledProgress(options.progress, stopped, 0, kSourceShare)) &&
              source.flush() && source.error() == QFileDevice::NoError && source.seek(0);
    // The workbook is written beside its target and renamed over it whole.
    QSaveFile target(workbook);
    ok = ok && target.open(QIODevice::WriteOnly);
    if (!ok)
        return {false, workbook, stopped};
    WorkbookWriteOptions write;
    write.progress = scaledProgress(options.progress, stopped, kSourceShare, kProgressScale);
    write.rowsPerSheet = options.rowsPerSheet;
    write.sheetNaming = {QStringLiteral("Records"), QStringLiteral("Records ")};
    write.textColumns = textColumns();
    int sheets = 0;
    if (!writeWorkbook(source, target, QStringLiteral("\t"), write, &sheets)) {
        target.cancelWriting();
        return {false, workbook, stopped};
    }
    return {commitComplete(target), workbook, stopped, sheets};
}

} // namespace nxa::exports
