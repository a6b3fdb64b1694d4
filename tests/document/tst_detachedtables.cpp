// A table of every person of a large plant leaves the report for a CSV file
// beside it, so that the report stays a size a mail and a printer carry.

#include "document/SaveDocument.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace nxa::document;

namespace {

// Rows "P0, Name 0" ...; a name with a comma and a quote, as a roster has them.
Table persons(int rows, int keepRows) {
    Table table;
    table.header = {QStringLiteral("Person"), QStringLiteral("Name")};
    for (int row = 0; row < rows; ++row)
        table.rows.push_back(
            {QStringLiteral("P%1").arg(row),
             row == 1 ? QStringLiteral("O'Neil, \"Jo\"") : QStringLiteral("Name %1").arg(row)});
    table.detachAs = QStringLiteral("persons");
    table.keepRows = keepRows;
    return table;
}

} // namespace

class TestDetachedTables : public QObject {
    Q_OBJECT

private slots:
    void keepsTheReportSmall_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("keepRows");
        QTest::addColumn<QString>("file"); // the report's name
        QTest::addColumn<int>("shown");    // rows left in the report
        QTest::addColumn<bool>("detached");

        // clang-format off
        QTest::newRow("1000 rows stay")          << 1000 << 0  << "audit.html" << 1000 << false;
        QTest::newRow("1001 rows leave")         << 1001 << 0  << "audit.html" << 0    << true;
        QTest::newRow("flagged rows stay")       << 1500 << 12 << "audit.html" << 12   << true;
        QTest::newRow("beside a PDF")            << 1001 << 3  << "audit.pdf"  << 3    << true;
        QTest::newRow("a name with spaces")      << 1001 << 0  << "my audit.html" << 0 << true;
        // clang-format on
    }
    void keepsTheReportSmall() {
        QFETCH(int, rows);
        QFETCH(int, keepRows);
        QFETCH(QString, file);
        QFETCH(int, shown);
        QFETCH(bool, detached);
        QTemporaryDir folder;
        ReportDocument document;
        document.title = QStringLiteral("Plant");
        document.sections = {{QStringLiteral("Persons"), {persons(rows, keepRows)}}};
        const QString path = folder.filePath(file);
        QString error;
        QVERIFY2(saveDocument(document, path, documentTypeOf(path), &error), qPrintable(error));

        const QString csvName =
            file.section(QLatin1Char('.'), 0, 0) + QStringLiteral("-persons.csv");
        QCOMPARE(QFileInfo::exists(folder.filePath(csvName)), detached);
        if (!file.endsWith(QLatin1String(".html")))
            return;
        const QString html = QString::fromUtf8(nxa::test::readFile(path));
        QCOMPARE(int(html.count(QStringLiteral("<tr><td>P"))), shown);
        if (!detached)
            return;
        QVERIFY2(html.contains(QStringLiteral("<a href=\"%1\">")
                                   .arg(QString::fromLatin1(QUrl::toPercentEncoding(csvName)))),
                 qPrintable(html.right(600)));
        QVERIFY(html.contains(QStringLiteral("%1 rows").arg(rows)));
        // The file holds every row, the header first, RFC 4180 quoting.
        const QByteArray csv = nxa::test::readFile(folder.filePath(csvName));
        QVERIFY(csv.startsWith("\xEF\xBB\xBFPerson,Name\r\n"));
        const QStringList lines =
            QString::fromUtf8(csv).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), rows + 1);
        QCOMPARE(lines[2], QStringLiteral("P1,\"O'Neil, \"\"Jo\"\"\""));
        QCOMPARE(lines.last(), QStringLiteral("P%1,Name %1").arg(rows - 1));
    }

    // A side file that cannot be written fails the save, and nothing is left.
    void savesAllOrNothing() {
        QTemporaryDir folder;
        ReportDocument document;
        document.sections = {{QStringLiteral("Persons"), {persons(1001, 0)}}};
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("audit-persons.csv")));
        const QString path = folder.filePath(QStringLiteral("audit.html"));
        QString error;
        QVERIFY(!saveDocument(document, path, DocumentType::Html, &error));
        QVERIFY(error.contains(QStringLiteral("audit-persons.csv")));
        QVERIFY(!QFileInfo::exists(path));
    }
};

QTEST_MAIN(TestDetachedTables)
#include "tst_detachedtables.moc"
