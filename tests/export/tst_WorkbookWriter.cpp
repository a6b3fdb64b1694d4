#include "export/WorkbookWriter.h"

#include "WorkbookReader.h"
#include "support/FullDevice.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

using namespace nxa::exports;
using nxa::test::readFile;
using nxa::test::writeFile;

namespace {

// Cells as "A1=s: text" or "B2=n:12.5", the form the expectations are written in.
QStringList cellsOf(const QJsonObject &workbook) {
    QStringList cells;
    const QJsonObject all = workbook.value("cells").toObject();
    for (auto it = all.begin(); it != all.end(); ++it) {
        const QJsonArray cell = it.value().toArray();
        const QString value =
            cell.at(0).toString() == QLatin1String("s")
                ? cell.at(1).toString()
                : QString::number(cell.at(1).toDouble(), 'g', QLocale::FloatingPointShortest);
        cells.append(it.key() + QLatin1Char('=') + cell.at(0).toString() + QLatin1Char(':') +
                     value);
    }
    cells.sort();
    return cells;
}

// A source that reads differently the second time, as if another program
// rewrote the file between the two passes.
class ChangingSource : public QBuffer {
public:
    ChangingSource(QByteArray first, QByteArray second) : m_second(std::move(second)) {
        setData(first);
    }
    bool seek(qint64 position) override {
        if (position == 0 && ++m_rewinds == 2) {
            close();
            setData(m_second);
            open(QIODevice::ReadOnly);
        }
        return QBuffer::seek(position);
    }

private:
    QByteArray m_second;
    int m_rewinds = 0;
};

} // namespace

class TestWorkbookWriter : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cellsAsSpreadsheetsReadThem_data();
    void cellsAsSpreadsheetsReadThem();
    void containerHoldsTheTenPartsInOrder();
    void largeSourceStaysIntact();
    void existingTargetIsReplaced();
    void missingFolderFails();
    void unreadableSourceLeavesTargetAlone();
    void sourceIsLeftAsItWas();
    void failingTargetDeviceFails();
    void sourceRewrittenBetweenPassesFails_data();
    void sourceRewrittenBetweenPassesFails();
    void secondThreadWritesTheSameBytes_data();
    void secondThreadWritesTheSameBytes();
    void rowsPastOneSheetContinueOnTheNext_data();
    void rowsPastOneSheetContinueOnTheNext();

private:
    QTemporaryDir m_dir;
    QString m_source;
    QString m_target;
};

void TestWorkbookWriter::init() {
    QVERIFY(m_dir.isValid());
    m_source = m_dir.filePath(QStringLiteral("source.temp"));
    m_target = m_dir.filePath(QStringLiteral("book.xlsx"));
    QFile::remove(m_target);
}

void TestWorkbookWriter::cellsAsSpreadsheetsReadThem_data() {
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QString>("dimension");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("uniqueCount");

    QTest::newRow("numbers and texts")
        << QByteArray("12\t-3.5\t.5\t5.\t1e5\t2.5e-3\t12.500\t\r\n") << "A1:G1"
        << QStringList{"A1=n:12",    "B1=n:-3.5",   "C1=n:0.5", "D1=n:5",
                       "E1=n:1e+05", "F1=n:0.0025", "G1=n:12.5"}
        << 0 << 0;
    QTest::newRow("look like numbers but are texts")
        << QByteArray(" 12\t1,5\t1E5\te5\t1e\t.\t1.2.3\t\r\n") << "A1:G1"
        << QStringList{"A1=s: 12", "B1=s:1,5", "C1=s:1E5",  "D1=s:e5",
                       "E1=s:1e",  "F1=s:.",   "G1=s:1.2.3"}
        << 7 << 7;
    QTest::newRow("repeated text, case and markup")
        << QByteArray("Red\tRED\tRed\t\r\nA&B<C>\tRed\t\r\n") << "A1:C2"
        << QStringList{"A1=s:Red", "A2=s:A&B<C>", "B1=s:RED", "B2=s:Red", "C1=s:Red"} << 5 << 3;
    QTest::newRow("empty field and empty lines")
        << QByteArray("x\t\ty\t\r\n\r\n\r\nz\r\n") << "A1:C4"
        << QStringList{"A1=s:x", "A4=s:z", "C1=s:y"} << 3 << 3;
    QTest::newRow("control characters and a literal escape")
        << QByteArray("Jo\x01hn\ta\x1F\x0B\t_x0041_\t_x0045\x01"
                      "abc\t\r\n")
        << "A1:D1"
        // openpyxl shows the escapes of control characters as they are stored.
        << QStringList{"A1=s:Jo_x0001_hn", "B1=s:a_x001F__x000B_", "C1=s:_x0041_",
                       "D1=s:_x0045_x0001_abc"}
        << 4 << 4;
    QTest::newRow("non-ASCII and leading spaces")
        << QByteArray("   M\xC3\xBCller\t  \xE2\x82\xAC 5\t\r\n") << "A1:B1"
        << QStringList{QString::fromUtf8("A1=s:   M\xC3\xBCller"),
                       QString::fromUtf8("B1=s:  \xE2\x82\xAC 5")}
        << 2 << 2;
    QByteArray wide;
    QStringList wideCells;
    for (int column = 1; column <= 703; ++column) {
        wide += QByteArray::number(column) + "\t";
        if (QList<int>{1, 26, 27, 52, 53, 702, 703}.contains(column))
            wideCells.append(QStringList{"A1", "Z1", "AA1", "AZ1", "BA1", "ZZ1", "AAA1"}.at(
                                 QList<int>{1, 26, 27, 52, 53, 702, 703}.indexOf(column)) +
                             "=n:" + QString::number(column));
    }
    QTest::newRow("column letters up to AAA") << wide + "\r\n"
                                              << "A1:AAA1" << wideCells << 0 << 0;
}

void TestWorkbookWriter::cellsAsSpreadsheetsReadThem() {
    QFETCH(QByteArray, source);
    QFETCH(QString, dimension);
    QFETCH(QStringList, cells);
    QFETCH(int, count);
    QFETCH(int, uniqueCount);
    QVERIFY(writeFile(m_source, source));
    QVERIFY(writeWorkbook(m_source, m_target, QStringLiteral("\t")));
    QVERIFY(unzipTestPasses(m_target));
    QString error;
    const QJsonObject book = readWorkbook(m_target, &error);
    QVERIFY2(!book.isEmpty(), qPrintable(error));
    QCOMPARE(book.value("dimension").toString(), dimension);
    QCOMPARE(book.value("count").toInt(), count);
    QCOMPARE(book.value("uniqueCount").toInt(), uniqueCount);
    if (QTest::currentDataTag() == QLatin1String("control characters and a literal escape")) {
        // Read by the escape rule spreadsheet programs apply.
        QStringList strings;
        for (const QJsonValue &text : book.value("strings").toArray())
            strings.append(text.toString());
        QCOMPARE(strings, (QStringList{QString::fromLatin1("Jo\x01hn"),
                                       QString::fromLatin1("a\x1F\x0B"), "_x0041_",
                                       QString::fromLatin1("_x0045\x01"
                                                           "abc")}));
    }
    QStringList got = cellsOf(book);
    if (dimension != QLatin1String("A1:AAA1")) {
        QCOMPARE(got, cells);
    } else {
        // The wide row: every column is there, the named ones checked by letter.
        QCOMPARE(got.size(), 703);
        for (const QString &cell : cells)
            QVERIFY2(got.contains(cell), qPrintable(cell));
    }
}

void TestWorkbookWriter::containerHoldsTheTenPartsInOrder() {
    QVERIFY(writeFile(m_source, "a\t1\t\r\n"));
    QVERIFY(writeWorkbook(m_source, m_target, QStringLiteral("\t")));
    QVERIFY(unzipTestPasses(m_target));
    const QJsonObject book = readWorkbook(m_target);
    QVERIFY(book.value("bad_entry").isNull());
    const QStringList expected{
        "[Content_Types].xml",        "_rels/.rels",         "docProps/app.xml",
        "docProps/core.xml",          "xl/styles.xml",       "xl/workbook.xml",
        "xl/_rels/workbook.xml.rels", "xl/theme/theme1.xml", "xl/sharedStrings.xml",
        "xl/worksheets/sheet1.xml"};
    QStringList names;
    for (const QJsonValue &entry : book.value("entries").toArray()) {
        const QJsonObject e = entry.toObject();
        names.append(e.value("name").toString());
        QCOMPARE(e.value("compression").toInt(), 8); // deflate
        QCOMPARE(e.value("mode").toInt(), 0100644);  // regular file, rw-r--r--
    }
    QCOMPARE(names, expected);
    QCOMPARE(book.value("sheets").toArray().size(), 1);
    QCOMPARE(book.value("sheets").toArray().at(0).toString(), QStringLiteral("Sheet1"));
    // Part text as stored, for one fixed part, straight out of the archive.
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"),
                {QStringLiteral("-p"), m_target, QStringLiteral("docProps/core.xml")});
    QVERIFY(unzip.waitForFinished());
    QVERIFY(unzip.readAllStandardOutput().endsWith(
        "<dc:creator>XW_XLSX_Module</dc:creator></cp:coreProperties>"));
}

void TestWorkbookWriter::largeSourceStaysIntact() {
    // Many rows push the worksheet through its buffer many times over.
    QByteArray source;
    for (int r = 0; r < 20000; ++r)
        source += "  " + QByteArray::number(r % 50) + "\t" + QByteArray::number(r) + "\tName " +
                  QByteArray::number(r % 300) + "\t\r\n";
    QVERIFY(writeFile(m_source, source));
    QVERIFY(writeWorkbook(m_source, m_target, QStringLiteral("\t")));
    QVERIFY(unzipTestPasses(m_target));
    const QJsonObject book = readWorkbook(m_target);
    QCOMPARE(book.value("dimension").toString(), QStringLiteral("A1:C20000"));
    QCOMPARE(book.value("count").toInt(), 40000);
    QCOMPARE(book.value("uniqueCount").toInt(), 350);
    const QJsonObject cells = book.value("cells").toObject();
    QCOMPARE(cells.size(), 60000);
    QCOMPARE(cells.value("A19999").toArray().at(1).toString(), QStringLiteral("  48"));
    QCOMPARE(cells.value("B19999").toArray().at(1).toInt(), 19998);
    QCOMPARE(cells.value("C19999").toArray().at(1).toString(), QStringLiteral("Name 198"));
}

void TestWorkbookWriter::existingTargetIsReplaced() {
    QVERIFY(writeFile(m_target, QByteArray(500000, 'z')));
    QVERIFY(writeFile(m_source, "new\r\n"));
    QVERIFY(writeWorkbook(m_source, m_target, QStringLiteral("\t")));
    QVERIFY(unzipTestPasses(m_target));
    QCOMPARE(cellsOf(readWorkbook(m_target)), QStringList{"A1=s:new"});
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestWorkbookWriter::missingFolderFails() {
    QVERIFY(writeFile(m_source, "a\r\n"));
    const QString target = m_dir.filePath(QStringLiteral("no such folder/book.xlsx"));
    QVERIFY(!writeWorkbook(m_source, target, QStringLiteral("\t")));
    QVERIFY(!QFile::exists(target));
    QCOMPARE(readFile(m_source), QByteArray("a\r\n"));
}

void TestWorkbookWriter::unreadableSourceLeavesTargetAlone() {
    // Without its source the workbook would be empty yet reported written.
    QVERIFY(writeFile(m_target, "earlier workbook"));
    QVERIFY(!writeWorkbook(m_dir.filePath(QStringLiteral("missing.temp")), m_target,
                           QStringLiteral("\t")));
    QCOMPARE(readFile(m_target), QByteArray("earlier workbook"));
    QStringList files = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
    files.removeAll(QStringLiteral("source.temp"));
    QCOMPARE(files, QStringList{"book.xlsx"});
}

void TestWorkbookWriter::sourceIsLeftAsItWas() {
    const QByteArray source("\xEF\xBB\xBFx\ty\r\n");
    QVERIFY(writeFile(m_source, source));
    QVERIFY(writeWorkbook(m_source, m_target, QStringLiteral("\t")));
    QCOMPARE(readFile(m_source), source);
    QCOMPARE(cellsOf(readWorkbook(m_target)), (QStringList{"A1=s:x", "B1=s:y"}));
}

void TestWorkbookWriter::failingTargetDeviceFails() {
    QBuffer source;
    source.setData("a\tb\r\n");
    source.open(QIODevice::ReadOnly);
    QBuffer roomy;
    roomy.open(QIODevice::WriteOnly);
    QVERIFY(writeWorkbook(source, roomy, QStringLiteral("\t")));
    QVERIFY(roomy.data().startsWith("PK\x03\x04"));
    const qint64 size = roomy.data().size();
    // Running out of room anywhere, down to the last byte of the directory.
    for (qint64 room : {qint64(0), qint64(100), size / 2, size - 22, size - 1}) {
        nxa::test::FullDevice target(room);
        target.open(QIODevice::WriteOnly);
        QVERIFY2(!writeWorkbook(source, target, QStringLiteral("\t")),
                 qPrintable(QString::number(room)));
    }
}

void TestWorkbookWriter::sourceRewrittenBetweenPassesFails_data() {
    QTest::addColumn<QByteArray>("second");
    QTest::newRow("same size, other text") << QByteArray("a\tc\r\n");
    QTest::newRow("longer number") << QByteArray("a\t12\r\n");
    QTest::newRow("shorter") << QByteArray("a\r\n");
    QTest::newRow("more lines") << QByteArray("a\tb\r\na\r\n");
    QTest::newRow("unchanged") << QByteArray("a\tb\r\n");
}

void TestWorkbookWriter::sourceRewrittenBetweenPassesFails() {
    QFETCH(QByteArray, second);
    ChangingSource source("a\tb\r\n", second);
    QVERIFY(source.open(QIODevice::ReadOnly));
    QBuffer target;
    target.open(QIODevice::WriteOnly);
    const bool unchanged = QTest::currentDataTag() == QLatin1String("unchanged");
    QCOMPARE(writeWorkbook(source, target, QStringLiteral("\t")), unchanged);
}

void TestWorkbookWriter::secondThreadWritesTheSameBytes_data() {
    QTest::addColumn<QByteArray>("source");
    QByteArray large;
    // Enough for the worksheet to fill the queue between the threads many times.
    for (int r = 0; r < 60000; ++r)
        large += QByteArray::number(r % 97) + "\tName \xC3\xA9" + QByteArray::number(r % 1000) +
                 "\t" + QByteArray::number(r) + ".5\t\r\n";
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("one row") << QByteArray("a\t1\r\n");
    QTest::newRow("large") << large;
}

void TestWorkbookWriter::secondThreadWritesTheSameBytes() {
    QFETCH(QByteArray, source);
    QByteArray written[2];
    for (int threaded = 0; threaded < 2; ++threaded) {
        QBuffer input(&source);
        QVERIFY(input.open(QIODevice::ReadOnly));
        QBuffer output(&written[threaded]);
        QVERIFY(output.open(QIODevice::WriteOnly));
        WorkbookWriteOptions options;
        options.compressOnSecondThread = threaded == 1;
        options.entryTime = 1700000000;
        QVERIFY(writeWorkbook(input, output, QStringLiteral("\t"), options));
    }
    QVERIFY(written[0].size() > 1000);
    QVERIFY(written[0] == written[1]);
}

void TestWorkbookWriter::rowsPastOneSheetContinueOnTheNext_data() {
    QTest::addColumn<int>("dataRows");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("continued");
    // Per sheet "name dimension"; none when the writer must refuse.
    QTest::addColumn<QStringList>("sheets");

    // Four rows per sheet stand in for the spreadsheet limit: a title row and
    // three data rows.
    const QString sheet = QStringLiteral("Sheet");
    QTest::newRow("one under the limit") << 2 << "Sheet1" << sheet << QStringList{"Sheet1 A1:B3"};
    QTest::newRow("at the limit") << 3 << "Sheet1" << sheet << QStringList{"Sheet1 A1:B4"};
    QTest::newRow("one over the limit")
        << 4 << "Sheet1" << sheet << QStringList{"Sheet1 A1:B4", "Sheet2 A1:B2"};
    QTest::newRow("two over the limit")
        << 5 << "Sheet1" << sheet << QStringList{"Sheet1 A1:B4", "Sheet2 A1:B3"};
    QTest::newRow("two sheets full")
        << 6 << "Sheet1" << sheet << QStringList{"Sheet1 A1:B4", "Sheet2 A1:B4"};
    QTest::newRow("third sheet begun")
        << 7 << "Sheet1" << sheet << QStringList{"Sheet1 A1:B4", "Sheet2 A1:B4", "Sheet3 A1:B2"};
    QTest::newRow("names of the caller")
        << 4 << "Records"
        << "Records " << QStringList{"Records A1:B4", "Records 2 A1:B2"};
    QTest::newRow("name with markup") << 4 << "R&D <'a'>"
                                      << "x" << QStringList{"R&D <'a'> A1:B4", "x2 A1:B2"};
    QTest::newRow("name spreadsheets refuse") << 4 << "Records"
                                              << "Hall/" << QStringList{};
    QTest::newRow("names alike but for case") << 4 << "sheet2" << sheet << QStringList{};
    QTest::newRow("refused name unused on one sheet") << 3 << "Sheet1"
                                                      << "Hall/" << QStringList{"Sheet1 A1:B4"};
}

void TestWorkbookWriter::rowsPastOneSheetContinueOnTheNext() {
    QFETCH(int, dataRows);
    QFETCH(QString, first);
    QFETCH(QString, continued);
    QFETCH(QStringList, sheets);
    QByteArray source = "Title\tValue\t\r\n";
    for (int r = 1; r <= dataRows; ++r)
        source += "r" + QByteArray::number(r) + "\t" + QByteArray::number(r) + "\t\r\n";
    QVERIFY(writeFile(m_source, source));
    WorkbookWriteOptions options;
    options.rowsPerSheet = 4;
    options.sheetNaming = {first, continued};
    int written = -1;
    const bool ok = writeWorkbook(m_source, m_target, QStringLiteral("\t"), options, &written);
    if (sheets.isEmpty()) {
        QVERIFY(!ok);
        QVERIFY(!QFile::exists(m_target));
        return;
    }
    QVERIFY(ok);
    QCOMPARE(written, sheets.size());
    QString error;
    const QJsonObject book = readWorkbook(m_target, &error);
    QVERIFY2(!book.isEmpty(), qPrintable(error));

    // Every part that lists the sheets lists all of them, in order.
    QStringList got;
    QStringList names;
    QStringList types;
    const QJsonArray parts = book.value("sheetParts").toArray();
    for (int s = 0; s < parts.size(); ++s) {
        const QJsonObject part = parts.at(s).toObject();
        got.append(part.value("name").toString() + ' ' + part.value("dimension").toString());
        names.append(part.value("name").toString());
        types.append("/xl/worksheets/sheet" + QString::number(s + 1) + ".xml");
        QCOMPARE(part.value("entry").toString(), types.last().mid(1));
        QCOMPARE(part.value("sheetId").toString(), QString::number(s + 1));
        QCOMPARE(part.value("selected").toBool(), s == 0);
    }
    QCOMPARE(got, sheets);
    QCOMPARE(book.value("sheets").toVariant().toStringList(), names);
    QCOMPARE(book.value("appTitles").toVariant().toStringList(), names);
    QCOMPARE(book.value("appSheetCount").toInt(), names.size());
    QCOMPARE(book.value("worksheetTypes").toVariant().toStringList(), types);

    // Each sheet starts with the title row; the data rows follow one another
    // across the sheets, none lost and none twice.
    QStringList values;
    int textCells = 0;
    const QJsonObject sheetCells = book.value("sheetCells").toObject();
    for (const QString &name : names) {
        const QJsonObject cells = sheetCells.value(name).toObject();
        QCOMPARE(cells.value("A1").toArray(), (QJsonArray{"s", "Title"}));
        QCOMPARE(cells.value("B1").toArray(), (QJsonArray{"s", "Value"}));
        for (int row = 2; cells.contains("A" + QString::number(row)); ++row) {
            const QString label =
                cells.value("A" + QString::number(row)).toArray().at(1).toString();
            QCOMPARE(cells.value("B" + QString::number(row)).toArray().at(1).toInt(),
                     label.mid(1).toInt());
            values.append(label);
        }
        textCells += 1 + static_cast<int>(cells.size() / 2); // B1 and every A cell
    }
    QStringList expected;
    for (int r = 1; r <= dataRows; ++r)
        expected.append("r" + QString::number(r));
    QCOMPARE(values, expected);
    QCOMPARE(book.value("count").toInt(), textCells);
}

QTEST_GUILESS_MAIN(TestWorkbookWriter)
#include "tst_WorkbookWriter.moc"
