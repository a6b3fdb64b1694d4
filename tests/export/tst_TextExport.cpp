#include "export/TextExport.h"

#include "TableBuilder.h"
#include "records/FixedWidthColumns.h"
#include "support/FullDevice.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace nxa::exports;

namespace {

// The title line, written out space by space from the column widths.
const QByteArray kTitleLine = " PN"
                              "   ID"
                              " Visitor"
                              "                 Name"
                              "       WS"
                              "   Shoe_L"
                              "   Shoe_R"
                              " Shoe_L+R"
                              "  Pass"
                              " Relay"
                              "  Recognition"
                              "       Date"
                              "     Time"
                              "\r\n";

QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray exported(const nxa::records::DataloggerTable &table) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeFixedWidthText(table, buffer);
    return buffer.data();
}

} // namespace

class TestTextExport : public QObject {
    Q_OBJECT

private slots:
    void emptyTableIsTheTitleLineOnly();
    void rowsAreRightAlignedAndCut_data();
    void rowsAreRightAlignedAndCut();
    void everyLineHas118Characters();
    void linesFollowTheRowOrder_data();
    void linesFollowTheRowOrder();
    void existingLongerFileIsReplacedCompletely();
    void missingFolderFailsWithItsEventLine();
    void savedEventLine();
    void writeFailureIsReported();
};

void TestTextExport::emptyTableIsTheTitleLineOnly() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("empty.txt"));
    const ExportResult result = textExport(tableOf({}), path);
    QVERIFY(result.ok);
    QCOMPARE(result.path, path);
    const QByteArray bytes = readFile(path);
    QCOMPARE(bytes.size(), 120);
    QCOMPARE(bytes, kTitleLine);
}

void TestTextExport::rowsAreRightAlignedAndCut_data() {
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("typical row") << QStringList{"1",       "00042", "No",     "Smith John",
                                                "1234",    "56",    "78",     "134",
                                                "Yes",     "ON",    "Finger", "01/02/2024",
                                                "09:30:00"}
                                 << QByteArray("  1"
                                               "00042"
                                               "      No"
                                               "           Smith John"
                                               "     1234"
                                               "       56"
                                               "       78"
                                               "      134"
                                               "   Yes"
                                               "    ON"
                                               "       Finger"
                                               " 01/02/2024"
                                               " 09:30:00"
                                               "\r\n");
    QTest::newRow("empty cells are spaces") << QStringList{} << QByteArray(118, ' ') + "\r\n";
    QTest::newRow("25-character name cut to 21")
        << QStringList{"", "", "", "ABCDEFGHIJKLMNOPQRSTUVWXY", "9"}
        << QByteArray(16, ' ') + "ABCDEFGHIJKLMNOPQRSTU" + "        9" +
               QByteArray(9 * 3 + 6 * 2 + 13 + 11 + 9, ' ') + "\r\n";
    QTest::newRow("every overlong cell cut")
        << QStringList{"1234", "123456",  "123456789", "", "1234567890", "",          "",
                       "",     "1234567", "",          "", "",           "1234567890"}
        << QByteArray("123"
                      "12345"
                      "12345678") +
               QByteArray(21, ' ') + "123456789" + QByteArray(27, ' ') + "123456" +
               QByteArray(6 + 13 + 11, ' ') + "123456789" + "\r\n";
    QTest::newRow("non-ASCII name counts characters")
        << QStringList{"", "", "", QString::fromUtf8("M\xC3\xBCller \xC3\x86\xC3\xB8")}
        << QByteArray(16, ' ') + QByteArray(12, ' ') + "M\xC3\xBCller \xC3\x86\xC3\xB8" +
               QByteArray(9 * 4 + 6 * 2 + 13 + 11 + 9, ' ') + "\r\n";
    QTest::newRow("three-byte character")
        << QStringList{"", "", "", QString::fromUtf8("\xE2\x82\xAC 5")}
        << QByteArray(16 + 18, ' ') + "\xE2\x82\xAC 5" +
               QByteArray(9 * 4 + 6 * 2 + 13 + 11 + 9, ' ') + "\r\n";
    QTest::newRow("character beyond 16 bits counts two")
        << QStringList{"", "", "", QString::fromUtf8("\xC3\xA9\xF0\x9F\x98\x80")}
        << QByteArray(16 + 18, ' ') + "\xC3\xA9\xF0\x9F\x98\x80" +
               QByteArray(9 * 4 + 6 * 2 + 13 + 11 + 9, ' ') + "\r\n";
    QTest::newRow("spaces inside cells kept")
        << QStringList{"", "", "", " a  b "}
        << QByteArray(16 + 15, ' ') + " a  b " + QByteArray(9 * 4 + 6 * 2 + 13 + 11 + 9, ' ') +
               "\r\n";
}

void TestTextExport::rowsAreRightAlignedAndCut() {
    QFETCH(QStringList, cells);
    QFETCH(QByteArray, line);
    QCOMPARE(exported(tableOf({cells})), kTitleLine + line);
}

void TestTextExport::everyLineHas118Characters() {
    QList<QStringList> rows;
    for (int r = 0; r < 50; ++r) {
        QStringList cells;
        for (int c = 0; c < 13; ++c)
            cells.append(QString(r % 23, QChar(0x00E9 + c)));
        rows.append(cells);
    }
    const QString text = QString::fromUtf8(exported(tableOf(rows)));
    QVERIFY(text.endsWith(QLatin1String("\r\n")));
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 52);
    QVERIFY(lines.last().isEmpty());
    for (int i = 0; i < 51; ++i)
        QCOMPARE(lines[i].size(), 118);
    QVERIFY(!text.contains(QLatin1String("HIDDEN")));
}

// Many batches of lines, rows beyond ASCII among them, in the table's order
// whether that is the order of storage or another.
void TestTextExport::linesFollowTheRowOrder_data() {
    QTest::addColumn<bool>("reversed");
    QTest::newRow("insertion order") << false;
    QTest::newRow("reordered") << true;
}

void TestTextExport::linesFollowTheRowOrder() {
    QFETCH(bool, reversed);
    QList<QStringList> rows;
    for (int r = 0; r < 1300; ++r) {
        QStringList cells;
        for (int c = 0; c < nxa::records::kKeyColumnCount; ++c)
            cells.append(QString::number(r * (c + 3) % 997));
        if (r % 7 == 0)
            cells[nxa::records::kColumnName] = QString::fromUtf8("M\xC3\xBCller ") + cells[0];
        rows.append(cells);
    }
    nxa::records::DataloggerTable table = tableOf(rows);
    if (reversed) {
        std::vector<int> order;
        for (int r = 1299; r >= 0; --r)
            order.push_back(r);
        table.reorder(order);
        std::reverse(rows.begin(), rows.end());
    }
    const QStringList lines = QString::fromUtf8(exported(table)).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 1302);
    for (int r = 0; r < 1300; ++r) {
        QStringList fields;
        for (int c = 0; c < nxa::records::kKeyColumnCount; ++c)
            fields.append(lines[r + 1]
                              .mid(nxa::records::fixedWidthStart(c), nxa::records::kFixedWidths[c])
                              .trimmed());
        QCOMPARE(fields, rows[r]);
    }
}

void TestTextExport::existingLongerFileIsReplacedCompletely() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.txt"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x'));
    }
    QVERIFY(textExport(tableOf({}), path).ok);
    QCOMPARE(readFile(path), kTitleLine);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"log.txt"});
}

void TestTextExport::missingFolderFailsWithItsEventLine() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing/out.txt"));
    const ExportResult result = textExport(tableOf({{"1"}}), path);
    QVERIFY(!result.ok);
    QCOMPARE(result.path, path);
    QVERIFY(!QFile::exists(path));
    QCOMPARE(exportEventLine(result, path),
             QStringLiteral("     8 - Error: Can't create file ") + path);
}

void TestTextExport::savedEventLine() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    const ExportResult result = textExport(tableOf({{"1"}}), path);
    QVERIFY(result.ok);
    QCOMPARE(exportEventLine(result, path), QStringLiteral("Saved ") + path);
}

void TestTextExport::writeFailureIsReported() {
    QList<QStringList> rows(2000, QStringList{"1", "2"});
    nxa::test::FullDevice full(50000);
    full.open(QIODevice::WriteOnly);
    QVERIFY(!writeFixedWidthText(tableOf(rows), full));
    QBuffer roomy;
    roomy.open(QIODevice::WriteOnly);
    QVERIFY(writeFixedWidthText(tableOf(rows), roomy));
    QCOMPARE(roomy.data().size(), 120 * 2001);
}

QTEST_GUILESS_MAIN(TestTextExport)
#include "tst_TextExport.moc"
