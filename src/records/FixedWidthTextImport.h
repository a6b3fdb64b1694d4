#pragma once

#include "common/Notice.h"
#include "common/Progress.h"
#include "records/DataloggerTable.h"

#include <QString>
#include <QStringView>

class QIODevice;

namespace nxa::records {

struct TextImportResult {
    // The file could be opened; an unopenable file ends the import silently.
    bool opened = false;
    int added = 0;
    // "Wrong File Format", or the count box of a completed import.
    Notices notices;
};

// Open File sends a path to the text import only when it ends in exactly
// ".txt" or ".TXT"; every other name is a log file.
bool isTextImportPath(const QString &path);

// Cuts one line of the fixed-width text into the 13 visible cells, each
// without its outer spaces; the hidden record cell stays empty.
Row rowFromTextLine(QStringView line);

// Reads a fixed-width text file back into the table: every line after the
// " PN" header line becomes a row at the top unless the table already held
// the same 13 cells when the import began. Rebuilds the duplicate keys itself.
// Each line is UTF-8, or Latin-1 when it is not valid UTF-8. progress is told
// the bytes read out of the file size; the import does not stop early.
TextImportResult importFixedWidthText(DataloggerTable &table, const QString &path,
                                      const ProgressCallback &progress = {});
// The same from a device open for reading.
TextImportResult importFixedWidthText(DataloggerTable &table, QIODevice *device,
                                      const ProgressCallback &progress = {});

} // namespace nxa::records
