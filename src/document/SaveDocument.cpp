#include "document/SaveDocument.h"

#include "common/CompleteSave.h"

#include <QFileInfo>
#include <QSaveFile>

namespace nxa::document {

DocumentType documentTypeOf(const QString &path) {
    return QFileInfo(path).suffix().compare(QStringLiteral("pdf"), Qt::CaseInsensitive) == 0
               ? DocumentType::Pdf
               : DocumentType::Html;
}

bool saveDocument(const ReportDocument &document, const QString &path, DocumentType type,
                  QString *error) {
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written && type == DocumentType::Pdf)
        written = writeReportPdf(document, file);
    else if (written)
        written = file.write(reportHtml(document)) >= 0;
    if (written && commitComplete(file))
        return true;
    file.cancelWriting();
    if (error)
        *error = file.errorString();
    return false;
}

} // namespace nxa::document
