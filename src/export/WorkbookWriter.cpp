#include "export/WorkbookWriter.h"

#include "common/CompleteSave.h"
#include "export/PackagerThread.h"
#include "export/PartBuffer.h"
#include "export/WorkbookFixedParts.h"
#include "export/WorkbookSource.h"
#include "export/ZipPackager.h"

#include <QFile>
#include <QSaveFile>

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

bool storeWorksheet(PartPackager &zip, WorkbookSource &scanned, QIODevice &source,
                    const ProgressCallback &progress) {
    if (!source.seek(0) || !zip.beginPart(kWorksheetEntry, scanned.worksheetSize()))
        return false;
    PartBuffer out(&zip);
    const bool read = scanned.writeWorksheet(source, out, progress);
    return out.finish() && read && zip.endPart();
}

// The source is read twice: the scan is the first half of the work, the
// worksheet the second.
ProgressCallback passProgress(const ProgressCallback &progress, int pass) {
    if (!progress)
        return {};
    return [&progress, pass](qint64 done, qint64 total) {
        return progress(pass * total + done, 2 * total);
    };
}

bool writeParts(PartPackager &zip, QIODevice &source, const QString &separator,
                const ProgressCallback &progress) {
    for (const FixedPart &part : fixedParts()) {
        if (!zip.addPart(part.name, part.bytes))
            return false;
    }
    WorkbookSource scanned(separator);
    if (!source.seek(0) || !scanned.scan(source, passProgress(progress, 0)))
        return false;
    return storeSharedStrings(zip, scanned) &&
           storeWorksheet(zip, scanned, source, passProgress(progress, 1)) && zip.close();
}

} // namespace

bool writeWorkbook(QIODevice &source, QIODevice &target, const QString &separator,
                   const WorkbookWriteOptions &options) {
    ZipPackager zip(target, options.entryTime);
    if (!zip.open())
        return false;
    if (!options.compressOnSecondThread)
        return writeParts(zip, source, separator, options.progress);
    PackagerThread compressing(zip);
    return writeParts(compressing, source, separator, options.progress);
}

bool writeWorkbook(const QString &sourcePath, const QString &targetPath, const QString &separator,
                   const WorkbookWriteOptions &options) {
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    QSaveFile target(targetPath);
    if (!target.open(QIODevice::WriteOnly))
        return false;
    if (!writeWorkbook(source, target, separator, options)) {
        target.cancelWriting();
        return false;
    }
    return commitComplete(target);
}

} // namespace nxa::exports
