#include "export/PlantExport.h"

#include "TableBuilder.h"
#include "WorkbookReader.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

using namespace nxa::exports;
using nxa::test::readFile;

namespace {

// The manager's title line, written out space by space from the column widths.
const QByteArray kTitles = " PN   ID Visitor                 Name       WS   Shoe_L   Shoe_R"
                           " Shoe_L+R  Pass Relay  Recognition       Date     Time\r\n";

const QStringList kSmith{"1", "127", "N", "Smith",    "1200",       "600",     "650",
                         "",  "Y",   "N", "Keyboard", "2026-12-07", "08:15:02"};
const QByteArray kSmithLine = "  1  127       N                Smith     1200      600      650"
                              "              Y     N     Keyboard 2026-12-07 08:15:02\r\n";
const QStringList kAnn{"12", "4", "Y", "Visitor (Ann)", "",        "", "", "1250",
                       "N",  "Y", "",  "2026-12-08",    "17:00:00"};
const QByteArray kAnnLine = " 12    4       Y        Visitor (Ann)                           "
                            "     1250     N     Y              2026-12-08 17:00:00\r\n";

QStringList filesIn(const QString &folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

class TestPlantExport : public QObject {
    Q_OBJECT

private slots:
    void textHasATesterColumn_data();
    void textHasATesterColumn();
    void workbookCellsAreTypedAndSplit_data();
    void workbookCellsAreTypedAndSplit();
};

void TestPlantExport::textHasATesterColumn_data() {
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<std::vector<quint32>>("testerOfRow");
    QTest::addColumn<QStringList>("testers");
    // Empty when nothing may be written.
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("longest tester sets the width")
        << QList<QStringList>{kSmith, kAnn} << std::vector<quint32>{1, 0}
        << QStringList{"Hall A", "North entrance"}
        << "        Tester" + kTitles + "North entrance" + kSmithLine + "        Hall A" + kAnnLine;
    QTest::newRow("unused longer name leaves the title's width")
        << QList<QStringList>{kSmith} << std::vector<quint32>{1}
        << QStringList{"A much longer name, unused", "B"}
        << "Tester" + kTitles + "     B" + kSmithLine;
    QTest::newRow("no rows") << QList<QStringList>{} << std::vector<quint32>{} << QStringList{}
                             << "Tester" + kTitles;
    QTest::newRow("non-ASCII name counts characters")
        << QList<QStringList>{kAnn} << std::vector<quint32>{0}
        << QStringList{QString::fromUtf8("Halle S\xC3\xBC"
                                         "d 2")}
        << "     Tester" + kTitles +
               QByteArray("Halle S\xC3\xBC"
                          "d 2") +
               kAnnLine;
    QTest::newRow("tester index out of range")
        << QList<QStringList>{kSmith} << std::vector<quint32>{1} << QStringList{"A"}
        << QByteArray();
    QTest::newRow("a tester missing for a row")
        << QList<QStringList>{kSmith, kAnn} << std::vector<quint32>{0} << QStringList{"A"}
        << QByteArray();
}

void TestPlantExport::textHasATesterColumn() {
    QFETCH(QList<QStringList>, rows);
    QFETCH(std::vector<quint32>, testerOfRow);
    QFETCH(QStringList, testers);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plant.txt"));
    QVERIFY(nxa::test::writeFile(path, "earlier"));
    const ExportResult result = plantTextExport(tableOf(rows), testerOfRow, testers, path);
    QCOMPARE(result.path, path);
    QCOMPARE(result.ok, !expected.isEmpty());
    QCOMPARE(readFile(path), expected.isEmpty() ? QByteArray("earlier") : expected);
    QCOMPARE(filesIn(dir.path()), QStringList{"plant.txt"});
}

void TestPlantExport::workbookCellsAreTypedAndSplit_data() {
    QTest::addColumn<QString>("given");
    QTest::addColumn<qint64>("rowsPerSheet");
    QTest::addColumn<QStringList>("sheets");

    QTest::newRow("one sheet") << "plant.xlsx" << kWorksheetRowLimit << QStringList{"Records"};
    QTest::newRow("a row per sheet, extension added")
        << "plant" << qint64(2) << QStringList{"Records", "Records 2", "Records 3"};
}

void TestPlantExport::workbookCellsAreTypedAndSplit() {
    QFETCH(QString, given);
    QFETCH(qint64, rowsPerSheet);
    QFETCH(QStringList, sheets);
    QStringList tabbed = kAnn;
    tabbed[3] = QStringLiteral("  Tab\there ");
    tabbed[1] = QStringLiteral(" 999");
    // Per row, what each column holds as a spreadsheet reads it.
    const QList<QStringList> expectedRows{
        {"A=s:007", "B=n:1", "C=n:127", "D=s:N", "E=s:007", "F=n:1200", "G=n:600", "H=n:650",
         "J=s:Y", "K=s:N", "L=s:Keyboard", "M=s:2026-12-07", "N=s:08:15:02"},
        {"A=s:Hall A", "B=n:12", "C=n:4", "D=s:Y", "E=s:Visitor (Ann)", "I=n:1250", "J=s:N",
         "K=s:Y", "M=s:2026-12-08", "N=s:17:00:00"},
        {"A=s:Hall A", "B=n:12", "C=n:999", "D=s:Y", "E=s:Tab here", "I=n:1250", "J=s:N", "K=s:Y",
         "M=s:2026-12-08", "N=s:17:00:00"}};
    QList<QStringList> rows = {kSmith, kAnn, tabbed};
    rows[0][3] = QStringLiteral("007");

    QTemporaryDir dir;
    PlantWorkbookOptions options;
    options.rowsPerSheet = rowsPerSheet;
    const ExportResult result = plantWorkbookExport(tableOf(rows), {1, 0, 0}, {"Hall A", "007"},
                                                    dir.filePath(given), options);
    QVERIFY(result.ok);
    QCOMPARE(result.path, dir.filePath(QStringLiteral("plant.xlsx")));
    QCOMPARE(result.sheets, sheets.size());
    QCOMPARE(sheetsContinuedLine(result, rowsPerSheet - 1).isEmpty(), sheets.size() == 1);
    QCOMPARE(filesIn(dir.path()), QStringList{"plant.xlsx"});
    QString error;
    const QJsonObject book = readWorkbook(result.path, &error);
    QVERIFY2(!book.isEmpty(), qPrintable(error));
    QCOMPARE(book.value("sheets").toVariant().toStringList(), sheets);

    const QStringList titles{"Tester", "PN",          "ID",     "Visitor",  "Name",
                             "WS",     "Shoe_L",      "Shoe_R", "Shoe_L+R", "Pass",
                             "Relay",  "Recognition", "Date",   "Time"};
    QStringList got;
    QStringList expected;
    const qint64 dataRowsPerSheet = rowsPerSheet - 1;
    for (int r = 0; r < expectedRows.size(); ++r) {
        const QString sheet = sheets.at(static_cast<int>(r / dataRowsPerSheet));
        const QString row = QString::number(2 + r % dataRowsPerSheet);
        for (const QString &cell : expectedRows[r])
            expected.append(sheet + '!' + cell.left(1) + row + cell.mid(1));
    }
    const QJsonObject sheetCells = book.value("sheetCells").toObject();
    for (const QString &sheet : sheets) {
        const QJsonObject cells = sheetCells.value(sheet).toObject();
        for (auto it = cells.begin(); it != cells.end(); ++it) {
            const QJsonArray cell = it.value().toArray();
            const QString value = cell.at(0).toString() == QLatin1String("s")
                                      ? cell.at(1).toString()
                                      : QString::number(cell.at(1).toDouble());
            const QString column = it.key().left(1);
            if (it.key().mid(1) == QLatin1String("1"))
                QCOMPARE(value, titles.at(column.front().unicode() - 'A'));
            else
                got.append(sheet + '!' + it.key() + '=' + cell.at(0).toString() + ':' + value);
        }
    }
    got.sort();
    expected.sort();
    QCOMPARE(got, expected);
}

QTEST_GUILESS_MAIN(TestPlantExport)
#include "tst_PlantExport.moc"
