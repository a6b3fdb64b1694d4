#pragma once

#include "document/ReportDocument.h"

#include <QString>

// A report document saved whole or not at all: written to a temporary file
// beside the target and renamed over it once complete.
namespace nxa::document {

enum class DocumentType { Html, Pdf };

// Pdf for a path ending in ".pdf" in any case, Html for any other.
DocumentType documentTypeOf(const QString &path);

// False when the file could not be written; error then says why, as the
// file system put it.
bool saveDocument(const ReportDocument &document, const QString &path, DocumentType type,
                  QString *error = nullptr);

} // namespace nxa::document
