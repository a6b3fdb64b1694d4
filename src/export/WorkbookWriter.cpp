#include "export/WorkbookWriter.h"

#include "common/CompleteSave.h"
#include "export/PartBuffer.h"
#include "export/WorkbookFixedParts.h"
#include "export/WorkbookSource.h"
#include "export/ZipPackager.h"

#include <QFile>
#include <QSaveFile>

namespace nxa::exports {

namespace {

bool storeSharedStrings(ZipPackager &zip, const WorkbookSource &source) {
    PartBuffer counter;
    source.writeSharedStrings(counter);
    if (!zip.beginPart(kSharedStringsEntry, counter.size()))
        return false;
    PartBuffer out(&zip);
    source.writeSharedStrings(out);
    return out.finish() && zip.endPart();
}

bool storeWorksheet(ZipPackager &zip, WorkbookSource &scanned, QIODevice &source) {
    if (!source.seek(0) || !zip.beginPart(kWorksheetEntry, scanned.worksheetSize()))
        return false;
    PartBuffer out(&zip);
    const bool read = scanned.writeWorksheet(source, out);
    return out.finish() && read && zip.endPart();
}

} // namespace

bool writeWorkbook(QIODevice &source, QIODevice &target, const QString &separator) {
    ZipPackager zip(target);
    if (!zip.open())
        return false;
    for (const FixedPart &part : fixedParts()) {
        if (!zip.addPart(part.name, part.bytes))
            return false;
    }
    WorkbookSource scanned(separator);
    if (!source.seek(0) || !scanned.scan(source))
        return false;
    return storeSharedStrings(zip, scanned) && storeWorksheet(zip, scanned, source) && zip.close();
}

bool writeWorkbook(const QString &sourcePath, const QString &targetPath, const QString &separator) {
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    QSaveFile target(targetPath);
    if (!target.open(QIODevice::WriteOnly))
        return false;
    if (!writeWorkbook(source, target, separator)) {
        target.cancelWriting();
        return false;
    }
    return commitComplete(target);
}

} // namespace nxa::exports
