#include "document/SaveDocument.h"

#include "common/CompleteSave.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace nxa::document {

namespace {

// A cell as RFC 4180 has it: quoted when it holds a separator, a quote or a
// line end, with its quotes doubled.
QString csvCell(const QString &text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// UTF-8 with its byte-order mark, so that a spreadsheet reads the names
// right, and CR LF line ends.
QByteArray csvOf(const Table &table) {
    QString text = QStringLiteral("\uFEFF");
    auto addRow = [&text](const QStringList &cells) {
        QStringList quoted;
        for (const QString &cell : cells)
            quoted.append(csvCell(cell));
        text += quoted.join(QLatin1Char(',')) + QLatin1String("\r\n");
    };
    addRow(table.header);
    for (const QStringList &row : table.rows)
        addRow(row);
    return text.toUtf8();
}

// The tables too long to stay in the document, each written whole beside it
// and cut down to its kept rows and a line naming the file. The files are
// committed only when the document is.
class DetachedTables {
public:
    DetachedTables(const ReportDocument &document, const QString &path) : m_source(document) {
        if (!std::any_of(document.sections.begin(), document.sections.end(), [](const Section &s) {
                return std::any_of(s.blocks.begin(), s.blocks.end(), [](const Block &block) {
                    const auto *table = std::get_if<Table>(&block);
                    return table && !table->detachAs.isEmpty() &&
                           int(table->rows.size()) > kDetachAboveRows;
                });
            }))
            return;
        // Only a document with such a table is copied to be cut down.
        m_copy = document;
        const QFileInfo info(path);
        const QString base = info.completeBaseName();
        for (Section &section : m_copy->sections) {
            for (size_t b = 0; b < section.blocks.size(); ++b) {
                auto *table = std::get_if<Table>(&section.blocks[b]);
                if (!table || table->detachAs.isEmpty() ||
                    int(table->rows.size()) <= kDetachAboveRows)
                    continue;
                const QString name = QStringLiteral("%1-%2.csv").arg(base, table->detachAs);
                m_files.push_back(std::make_unique<QSaveFile>(info.dir().filePath(name)));
                m_contents.push_back(csvOf(*table));
                const size_t total = table->rows.size();
                table->rows.resize(size_t(std::clamp(table->keepRows, 0, int(total))));
                const QString what =
                    table->rows.empty()
                        ? QStringLiteral("The table's %1 rows are in %2, beside this report.")
                              .arg(total)
                              .arg(name)
                        : QStringLiteral("The first %1 of the table's %2 rows above; all of "
                                         "them are in %3, beside this report.")
                              .arg(table->rows.size())
                              .arg(total)
                              .arg(name);
                section.blocks.insert(section.blocks.begin() + std::ptrdiff_t(b) + 1,
                                      Paragraph{what, name});
            }
        }
    }
    const ReportDocument &document() const { return m_copy ? *m_copy : m_source; }

    bool write(QString *error) {
        for (size_t i = 0; i < m_files.size(); ++i) {
            QSaveFile &file = *m_files[i];
            if (!file.open(QIODevice::WriteOnly) ||
                file.write(m_contents[i]) != m_contents[i].size()) {
                if (error)
                    *error = QStringLiteral("%1: %2").arg(file.fileName(), file.errorString());
                return false;
            }
        }
        return true;
    }
    bool commit(QString *error) {
        for (const auto &file : m_files) {
            if (!commitComplete(*file)) {
                if (error)
                    *error = QStringLiteral("%1: %2").arg(file->fileName(), file->errorString());
                return false;
            }
        }
        return true;
    }
    void cancel() {
        for (const auto &file : m_files)
            file->cancelWriting();
    }

private:
    const ReportDocument &m_source;
    std::optional<ReportDocument> m_copy;
    std::vector<std::unique_ptr<QSaveFile>> m_files;
    std::vector<QByteArray> m_contents;
};

} // namespace

DocumentType documentTypeOf(const QString &path) {
    return QFileInfo(path).suffix().compare(QStringLiteral("pdf"), Qt::CaseInsensitive) == 0
               ? DocumentType::Pdf
               : DocumentType::Html;
}

bool saveDocument(const ReportDocument &document, const QString &path, DocumentType type,
                  QString *error) {
    DetachedTables detached(document, path);
    if (!detached.write(error)) {
        detached.cancel();
        return false;
    }
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written && type == DocumentType::Pdf)
        written = writeReportPdf(detached.document(), file);
    else if (written)
        written = file.write(reportHtml(detached.document())) >= 0;
    if (written && detached.commit(error) && commitComplete(file))
        return true;
    file.cancelWriting();
    detached.cancel();
    if (error && error->isEmpty())
        *error = file.errorString();
    return false;
}

} // namespace nxa::document
