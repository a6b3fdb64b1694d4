#include "export/WorkbookWriter.h"

#include "common/CompleteSave.h"
#include "export/PartBuffer.h"
#include "export/WorkbookFixedParts.h"
#include "export/WorkbookSource.h"
#include "export/ZipPackager.h"

#include <QFile>
#include <QSaveFile>

#include <optional>

namespace nxa::exports {

namespace {

bool storeSharedStrings(PartPackager &zip, const WorkbookSource &source) {
    PartBuffer counter;
    source.writeSharedStrings(counter);
    if (!zip.beginPart(kSharedStringsEntry, counter.size()))
        return false;
    PartBuffer out(&zip);
    source.writeSharedStrings(out);
    return out.finish() && zip.endPart();
}

class ZipWorksheets : public WorksheetOutputs {
public:
    ZipWorksheets(PartPackager &zip, const WorkbookSource &source) : m_zip(zip), m_source(source) {}

    PartBuffer *begin(int sheet) override {
        if (!m_zip.beginPart(worksheetEntry(sheet + 1).constData(), m_source.worksheetSize(sheet)))
            return nullptr;
        m_out.emplace(&m_zip);
        return &*m_out;
    }
    bool end(int) override { return m_out->finish() && m_zip.endPart(); }

private:
    PartPackager &m_zip;
    const WorkbookSource &m_source;
    std::optional<PartBuffer> m_out;
};

// The source is read twice: the scan is the first half of the work, the
// worksheets the second.
ProgressCallback passProgress(const ProgressCallback &progress, int pass) {
    if (!progress)
        return {};
    return [&progress, pass](qint64 done, qint64 total) {
        return progress(pass * total + done, 2 * total);
    };
}

bool writeParts(PartPackager &zip, QIODevice &source, const QString &separator,
                const WorkbookWriteOptions &options, int &sheets) {
    // The scan comes first: the fixed parts list the worksheets it finds.
    WorkbookSource scanned(separator, {options.rowsPerSheet, options.textColumns});
    if (!source.seek(0) || !scanned.scan(source, passProgress(options.progress, 0)))
        return false;
    const QStringList sheetNames = exports::sheetNames(options.sheetNaming, scanned.sheetCount());
    if (!validSheetNames(sheetNames))
        return false;
    for (const FixedPart &part : fixedParts(sheetNames)) {
        if (!zip.addPart(part.name, part.bytes))
            return false;
    }
    ZipWorksheets worksheets(zip, scanned);
    if (!storeSharedStrings(zip, scanned) || !source.seek(0) ||
        !scanned.writeWorksheets(source, worksheets, passProgress(options.progress, 1)) ||
        !zip.close())
        return false;
    sheets = scanned.sheetCount();
    return true;
}

} // namespace

bool writeWorkbook(QIODevice &source, QIODevice &target, const QString &separator,
                   const WorkbookWriteOptions &options, int *sheets) {
    int written = 0;
    ZipPackager zip(target, options.entryTime, options.compressOnSecondThread ? 1 : 0);
    if (!zip.open())
        return false;
    const bool ok = writeParts(zip, source, separator, options, written);
    if (ok && sheets)
        *sheets = written;
    return ok;
}

bool writeWorkbook(const QString &sourcePath, const QString &targetPath, const QString &separator,
                   const WorkbookWriteOptions &options, int *sheets) {
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    QSaveFile target(targetPath);
    if (!target.open(QIODevice::WriteOnly))
        return false;
    int written = 0;
    if (!writeWorkbook(source, target, separator, options, &written)) {
        target.cancelWriting();
        return false;
    }
    if (!commitComplete(target))
        return false;
    if (sheets)
        *sheets = written;
    return true;
}

} // namespace nxa::exports
