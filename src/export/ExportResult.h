#pragma once

#include <QString>

namespace nxa::exports {

// Outcome of an export. path names the file the export writes (the text file,
// or the workbook file derived from the given path), whether or not it could
// be created.
struct ExportResult {
    bool ok = false;
    QString path;
    // The user stopped the export; any earlier file at path is untouched.
    bool cancelled = false;
};

// The Event viewer line of a command-line export: "Saved " followed by the
// file written (result.path), or the "Can't create file" error followed by
// the path the user gave. The caller
// sets result code 8 when !result.ok.
QString exportEventLine(const ExportResult &result, const QString &givenPath);

} // namespace nxa::exports
