#include "export/WorkbookExport.h"

#include "TableBuilder.h"
#include "WorkbookReader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

using namespace nxa::exports;

namespace {

// The title line of the temporary file, written out from the column widths:
// each title right-aligned and followed by a TAB.
const QByteArray kTitleLine = " PN\t   ID\t Visitor\t                 Name\t       WS\t   Shoe_L\t"
                              "   Shoe_R\t Shoe_L+R\t  Pass\t Relay\t  Recognition\t       Date\t"
                              "     Time\t\r\n";

const QStringList kTitles{" PN",       "   ID",     " Visitor",      "                 Name",
                          "       WS", "   Shoe_L", "   Shoe_R",     " Shoe_L+R",
                          "  Pass",    " Relay",    "  Recognition", "       Date",
                          "     Time"};

QStringList filesIn(const QString &folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

QString text(const QJsonObject &book, const char *cell) {
    const QJsonArray value = book.value("cells").toObject().value(QLatin1String(cell)).toArray();
    return value.at(0).toString() == QLatin1String("s") ? value.at(1).toString() : QString();
}

} // namespace

class TestWorkbookExport : public QObject {
    Q_OBJECT

private slots:
    void derivedPaths_data();
    void derivedPaths();
    void temporaryFileLayout();
    void emptyTableGivesTheTitleRowOnly();
    void rowsBecomeCells();
    void repeatedNamesShareOneString();
    void controlCharacterInANameStillOpens();
    void tabInACellShiftsTheRow();
    void givenPathWithoutExtension();
    void existingWorkbookIsReplaced();
    void missingFolderFailsAndLeavesNoTemporaryFile();
    void failedWorkbookLeavesNoTemporaryFile();
};

void TestWorkbookExport::derivedPaths_data() {
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("workbook");
    // clang-format off
    QTest::newRow("upper-case extension")  << "/data/log.XLSX"          << "/data/log.xlsx";
    QTest::newRow("no extension")          << "/data/log"               << "/data/log.xlsx";
    QTest::newRow("folder named .xlsx")    << "/exports.xlsx/log.xlsx"  << "/exports.xlsx/log.xlsx";
    QTest::newRow("folder, no extension")  << "/exports.XLSX/log"       << "/exports.XLSX/log.xlsx";
    QTest::newRow("mixed case, twice")     << "/tmp/a.XlSx.xlsx"        << "/tmp/a.XlSx.xlsx";
    QTest::newRow("other extension kept")  << "/tmp/a.txt"              << "/tmp/a.txt.xlsx";
    QTest::newRow("backslash is no folder") << R"(C:\x.xlsx\log)"     << R"(C:\x.xlsx\log.xlsx)";
    QTest::newRow("a folder, no name")     << "/tmp/"                   << "";
    QTest::newRow("only the extension")    << "/tmp/.XLSX"              << "";
    QTest::newRow("empty")                 << ""                        << "";
    // clang-format on
}

void TestWorkbookExport::derivedPaths() {
    QFETCH(QString, given);
    QFETCH(QString, workbook);
    QCOMPARE(workbookPaths(given).workbook, workbook);
}

void TestWorkbookExport::temporaryFileLayout() {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(writeTabSeparated(tableOf({{"1", "00042", "No", QString::fromUtf8("M\xC3\xBCller"), "",
                                        "", "", "", "Yes", "ON", "Code", "01/02/2024", "09:30:00"},
                                       {"123456"}}),
                              buffer));
    const QByteArray expected =
        kTitleLine +
        "  1\t00042\t      No\t               M\xC3\xBCller\t         \t         \t         \t     "
        "    \t"
        "   Yes\t    ON\t         Code\t 01/02/2024\t 09:30:00\t\r\n"
        "123\t     \t        \t                     \t         \t         \t         \t         \t"
        "      \t      \t             \t           \t         \t\r\n";
    QCOMPARE(buffer.data(), expected);
}

void TestWorkbookExport::emptyTableGivesTheTitleRowOnly() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("empty.xlsx"));
    const ExportResult result = workbookExport(tableOf({}), path);
    QVERIFY(result.ok);
    QCOMPARE(result.path, path);
    QCOMPARE(exportEventLine(result, path), QStringLiteral("Saved ") + path);
    QCOMPARE(result.sheets, 1);
    QCOMPARE(sheetsContinuedLine(result), QString());
    QVERIFY(unzipTestPasses(path));
    QString error;
    const QJsonObject book = readWorkbook(path, &error);
    QVERIFY2(!book.isEmpty(), qPrintable(error));
    QCOMPARE(book.value("dimension").toString(), QStringLiteral("A1:M1"));
    QCOMPARE(book.value("count").toInt(), 13);
    QCOMPARE(book.value("uniqueCount").toInt(), 13);
    QCOMPARE(book.value("cells").toObject().size(), 13);
    QCOMPARE(book.value("rows").toArray(), QJsonArray({QJsonArray{1, "1:13"}}));
    const char *columns[] = {"A1", "B1", "C1", "D1", "E1", "F1", "G1",
                             "H1", "I1", "J1", "K1", "L1", "M1"};
    for (int c = 0; c < 13; ++c)
        QCOMPARE(text(book, columns[c]), kTitles[c]);
    QCOMPARE(filesIn(dir.path()), QStringList{"empty.xlsx"});
}

void TestWorkbookExport::rowsBecomeCells() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.xlsx"));
    const auto table = tableOf({{"1", "00042", "No", "Smith", "1234", "", "", "", "Yes", "ON",
                                 "Finger", "01/02/2024", "09:30:00"},
                                {"2", "7", "Yes", "A&B<C>", "999999999", "", "", "", "No", "OFF",
                                 "Code", "02/02/2024", "10:00:00"}});
    QVERIFY(workbookExport(table, path).ok);
    const QJsonObject book = readWorkbook(path);
    QCOMPARE(book.value("dimension").toString(), QStringLiteral("A1:M3"));
    const QJsonObject cells = book.value("cells").toObject();
    QCOMPARE(cells.size(), 39);
    // Only a field that fills its width can be a number.
    QCOMPARE(cells.value("B2").toArray(), QJsonArray({"n", 42}));
    QCOMPARE(cells.value("E3").toArray(), QJsonArray({"n", 999999999}));
    QCOMPARE(text(book, "B3"), QStringLiteral("    7"));
    QCOMPARE(text(book, "A2"), QStringLiteral("  1"));
    QCOMPARE(text(book, "D2"), QStringLiteral("                Smith"));
    QCOMPARE(text(book, "D3"), QStringLiteral("               A&B<C>"));
    QCOMPARE(text(book, "E2"), QStringLiteral("     1234"));
    QCOMPARE(text(book, "F2"), QStringLiteral("         "));
    QCOMPARE(text(book, "L3"), QStringLiteral(" 02/02/2024"));
    QCOMPARE(text(book, "M2"), QStringLiteral(" 09:30:00"));
}

void TestWorkbookExport::repeatedNamesShareOneString() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.xlsx"));
    QVERIFY(workbookExport(
                tableOf({{"1", "", "", "Red"}, {"1", "", "", "RED"}, {"1", "", "", "Red"}}), path)
                .ok);
    const QJsonObject book = readWorkbook(path);
    QCOMPARE(book.value("count").toInt(), 13 * 4);
    QStringList strings;
    for (const QJsonValue &s : book.value("strings").toArray())
        strings.append(s.toString());
    QCOMPARE(strings.count(QStringLiteral("                  Red")), 1);
    QCOMPARE(strings.count(QStringLiteral("                  RED")), 1);
    QCOMPARE(strings.count(QStringLiteral("  1")), 1);
    // Titles, "  1", the two names and the empty cells of the six widths
    // (5, 8, 9, 6, 13 and 11 spaces).
    QCOMPARE(book.value("uniqueCount").toInt(), 13 + 1 + 2 + 6);
    QCOMPARE(text(book, "D2"), text(book, "D4"));
}

void TestWorkbookExport::controlCharacterInANameStillOpens() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.xlsx"));
    QVERIFY(workbookExport(tableOf({{"1", "", "", QString::fromLatin1("Jo\x01h\x1Fn")}}), path).ok);
    QVERIFY(unzipTestPasses(path));
    const QJsonObject book = readWorkbook(path);
    QVERIFY(!book.isEmpty());
    QStringList strings;
    for (const QJsonValue &s : book.value("strings").toArray())
        strings.append(s.toString());
    QVERIFY(strings.contains(QString(15, QLatin1Char(' ')) + QString::fromLatin1("Jo\x01h\x1Fn")));
}

void TestWorkbookExport::tabInACellShiftsTheRow() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.xlsx"));
    QVERIFY(workbookExport(tableOf({{"1", "", "", "a\tb"}}), path).ok);
    const QJsonObject book = readWorkbook(path);
    QCOMPARE(book.value("dimension").toString(), QStringLiteral("A1:N2"));
    QCOMPARE(text(book, "D2"), QString(18, QLatin1Char(' ')) + QLatin1Char('a'));
    QCOMPARE(text(book, "E2"), QStringLiteral("b"));
    QCOMPARE(text(book, "N2"), QStringLiteral("         "));
}

void TestWorkbookExport::givenPathWithoutExtension() {
    QTemporaryDir dir;
    const QString given = dir.filePath(QStringLiteral("log"));
    const ExportResult result = workbookExport(tableOf({{"1"}}), given);
    QVERIFY(result.ok);
    QCOMPARE(result.path, given + QStringLiteral(".xlsx"));
    // The file written is the one reported.
    QCOMPARE(exportEventLine(result, given), QStringLiteral("Saved ") + given + ".xlsx");
    QCOMPARE(filesIn(dir.path()), QStringList{"log.xlsx"});
}

void TestWorkbookExport::existingWorkbookIsReplaced() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.xlsx"));
    QVERIFY(workbookExport(tableOf({{"1", "", "", "First"}, {"2"}, {"3"}}), path).ok);
    QVERIFY(
        workbookExport(tableOf({{"9", "", "", "Second"}}), dir.filePath(QStringLiteral("log.XLSX")))
            .ok);
    const QJsonObject book = readWorkbook(path);
    QCOMPARE(book.value("dimension").toString(), QStringLiteral("A1:M2"));
    QCOMPARE(text(book, "D2"), QStringLiteral("               Second"));
    QCOMPARE(filesIn(dir.path()), QStringList{"log.xlsx"});
}

void TestWorkbookExport::missingFolderFailsAndLeavesNoTemporaryFile() {
    QTemporaryDir dir;
    const QString given = dir.filePath(QStringLiteral("missing/log.xlsx"));
    const ExportResult result = workbookExport(tableOf({{"1"}}), given);
    QVERIFY(!result.ok);
    QCOMPARE(exportEventLine(result, given),
             QStringLiteral("     8 - Error: Can't create file ") + given);
    QVERIFY(filesIn(dir.path()).isEmpty());
}

void TestWorkbookExport::failedWorkbookLeavesNoTemporaryFile() {
    // The workbook's name is taken by a folder, so the temporary file can be
    // written but the workbook cannot.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("log.xlsx")));
    const QString given = dir.filePath(QStringLiteral("log.xlsx"));
    const ExportResult result = workbookExport(tableOf({{"1"}}), given);
    QVERIFY(!result.ok);
    QVERIFY(filesIn(dir.path()).isEmpty());
    QVERIFY(QFileInfo(given).isDir());
}

QTEST_GUILESS_MAIN(TestWorkbookExport)
#include "tst_WorkbookExport.moc"
