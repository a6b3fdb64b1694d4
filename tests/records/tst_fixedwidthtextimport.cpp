#include "records/FixedWidthTextImport.h"
#include "support/TestFiles.h"
#include "support/WorkedRecord.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace nxa;
using namespace nxa::records;

namespace {

const Notice kWrongFormat{QStringLiteral("Error"), QStringLiteral("Wrong File Format"),
                          NoticeIcon::Error};

Notice countNotice(const QString &text) {
    return {QStringLiteral("Records added successfully"), text, NoticeIcon::Information};
}

Row cellsOf(const QStringList &texts) {
    Row row;
    for (int c = 0; c < texts.size() && c < kColumnCount; ++c)
        row[c] = texts[c];
    return row;
}

const QByteArray kHeader = " PN   ID Visitor                 Name       WS   Shoe_L   Shoe_R "
                           "Shoe_L+R  Pass Relay  Recognition       Date     Time";

// One data line as the text export lays it out.
const QByteArray kDesk5Line = nxa::test::workedRecordLine();

} // namespace

class TstFixedWidthTextImport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void importsHandWrittenFile();
    void reimportAddsNothing();
    void refusesOtherFiles_data();
    void refusesOtherFiles();
    void cutsLines_data();
    void cutsLines();
    void choosesTextImportByExtension_data();
    void choosesTextImportByExtension();

private:
    QString write(const QString &name, const QByteArray &bytes);
    QTemporaryDir m_dir;
    QString m_fixture;
};

void TstFixedWidthTextImport::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_fixture = QStringLiteral(NXA_FIXTURES "/records/HandWritten.txt");
    QCOMPARE(kHeader.size(), 118);
    QCOMPARE(kDesk5Line.size(), 118);
}

QString TstFixedWidthTextImport::write(const QString &name, const QByteArray &bytes) {
    const QString path = m_dir.filePath(name);
    return test::writeFile(path, bytes) ? path : QString();
}

void TstFixedWidthTextImport::importsHandWrittenFile() {
    DataloggerTable table;
    const TextImportResult result = importFixedWidthText(table, m_fixture);
    QVERIFY(result.opened);
    QCOMPARE(result.added, 6);
    QCOMPARE(result.notices,
             Notices{countNotice(QStringLiteral("Added successfully 6 new records"))});

    const Row desk5 = cellsOf({"1", "5", "N", "Desk5", "250", "300", "301", "", "Y", "Y",
                               "Fingerprint", "2020-05-11", "14:30:20"});
    // Last line of the file on top; the duplicated line gives two rows, the
    // empty line a row of empty cells.
    const QList<Row> expected = {
        cellsOf({"7", "14", "Y", "Visitor (Guest)", "", "", "", "1200", "Y", "N", "Keyboard",
                 "2023-12-31", "23:59:58"}),
        Row{},
        desk5,
        cellsOf({"7", "13", "N", QString::fromUtf8("Zoë"), "1", "2", "3", "", "Y", "N", "",
                 "2021-01-02", "03:04:08"}),
        cellsOf({"7", "12", "N", QString::fromUtf8("José Müller"), "1500", "2000", "2100", "", "N",
                 "N", "Keyboard", "2021-01-02", "03:04:06"}),
        desk5,
    };
    QCOMPARE(table.rowCount(), expected.size());
    for (int r = 0; r < table.rowCount(); ++r)
        QCOMPARE(table.row(r), expected[r]);
}

void TstFixedWidthTextImport::reimportAddsNothing() {
    DataloggerTable table;
    // A row from a download: the hidden record cell is not part of the key.
    Row downloaded = cellsOf({"1", "5", "N", "Desk5", "250", "300", "301", "", "Y", "Y",
                              "Fingerprint", "2020-05-11", "14:30:20"});
    downloaded[kRecordColumn] = QStringLiteral("0-5-0-1-44-0-1-45-0-0-250-80-171-115-202-96-");
    table.insertAtTop(downloaded);
    QCOMPARE(importFixedWidthText(table, m_fixture).added, 4);

    // The import rebuilds the keys itself, so a second import adds nothing,
    // even if the caller never did.
    table.clearDuplicateKeys();
    const TextImportResult again = importFixedWidthText(table, m_fixture);
    QCOMPARE(again.added, 0);
    QCOMPARE(again.notices, Notices{countNotice(QStringLiteral("No new records added."))});
    QCOMPARE(table.rowCount(), 5);
}

void TstFixedWidthTextImport::refusesOtherFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Notices>("notices");
    QTest::newRow("empty") << QByteArray() << Notices{kWrongFormat};
    QTest::newRow("PN without the space")
        << kHeader.mid(1) + "\r\n" + kDesk5Line << Notices{kWrongFormat};
    QTest::newRow("byte order mark")
        << "\xEF\xBB\xBF" + kHeader + "\r\n" + kDesk5Line << Notices{kWrongFormat};
    QTest::newRow("line end first") << "\r\n" + kHeader << Notices{kWrongFormat};
    QTest::newRow("header only") << kHeader + "\r\n"
                                 << Notices{countNotice(QStringLiteral("No new records added."))};
    QTest::newRow("short header is enough")
        << QByteArray(" PN") << Notices{countNotice(QStringLiteral("No new records added."))};
}

void TstFixedWidthTextImport::refusesOtherFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(Notices, notices);
    const QString path = write(QStringLiteral("refused.txt"), bytes);
    QVERIFY(!path.isEmpty());
    DataloggerTable table;
    const TextImportResult result = importFixedWidthText(table, path);
    QVERIFY(result.opened);
    QCOMPARE(result.notices, notices);
    QCOMPARE(table.rowCount(), 0);
}

void TstFixedWidthTextImport::cutsLines_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QList<QStringList>>("rows");

    const QStringList desk5 = {"1", "5", "N", "Desk5",       "250",        "300",     "301",
                               "",  "Y", "Y", "Fingerprint", "2020-05-11", "14:30:20"};
    const QStringList empty(13);

    QTest::newRow("LF, CR and CR LF end lines")
        << kDesk5Line + "\n" + kDesk5Line + "\r" + kDesk5Line + "\r\n"
        << QList<QStringList>{desk5, desk5, desk5};
    QTest::newRow("LF CR is two line ends")
        << kDesk5Line + "\n\r" << QList<QStringList>{empty, desk5};
    QTest::newRow("empty lines inside and at the end") << "\r\n" + kDesk5Line + "\r\n\r\n"
                                                       << QList<QStringList>{empty, desk5, empty};
    // A field beyond the end of a short line is empty.
    QTest::newRow("short line") << QByteArray("  2   17       Y")
                                << QList<QStringList>{
                                       {"2", "17", "Y", "", "", "", "", "", "", "", "", "", ""}};
    // Past 119 characters the rest is a line of its own.
    QTest::newRow("long line") << kDesk5Line + "X" + "  9   44 visitor" + "\r\n"
                               << QList<QStringList>{{"9", "44", "visitor", "", "", "", "", "", "",
                                                      "", "", "", ""},
                                                     desk5};
    QTest::newRow("exactly 119 characters") << kDesk5Line + "X\r\n" << QList<QStringList>{desk5};
    // Pass is read 9 wide: a longer Relay cell leaks into it.
    QTest::newRow("pass takes relay's first characters")
        << kDesk5Line.left(73) + "     YABCDEF" + kDesk5Line.mid(85)
        << QList<QStringList>{{"1", "5", "N", "Desk5", "250", "300", "301", "", "YABC", "ABCDEF",
                               "Fingerprint", "2020-05-11", "14:30:20"}};
    // A UTF-8 name keeps the following fields in place; a line that is not
    // valid UTF-8 is read as Latin-1.
    QTest::newRow("UTF-8 name")
        << kDesk5Line.left(16) + QString::fromUtf8("Ünïcødé Nâmé €").rightJustified(21).toUtf8() +
               kDesk5Line.mid(37)
        << QList<QStringList>{{"1", "5", "N", QString::fromUtf8("Ünïcødé Nâmé €"), "250", "300",
                               "301", "", "Y", "Y", "Fingerprint", "2020-05-11", "14:30:20"}};
    QTest::newRow("Latin-1 name") << kDesk5Line.left(16) + QByteArray(15, ' ') +
                                         QByteArray("M\xFCller") + kDesk5Line.mid(37)
                                  << QList<QStringList>{{"1", "5", "N", QString::fromUtf8("Müller"),
                                                         "250", "300", "301", "", "Y", "Y",
                                                         "Fingerprint", "2020-05-11", "14:30:20"}};
    QTest::newRow("tabs stay in cells")
        << QByteArray("\t 1")
        << QList<QStringList>{{"\t 1", "", "", "", "", "", "", "", "", "", "", "", ""}};
}

void TstFixedWidthTextImport::cutsLines() {
    QFETCH(QByteArray, body);
    QFETCH(QList<QStringList>, rows);
    const QString path = write(QStringLiteral("lines.txt"), kHeader + "\r\n" + body);
    QVERIFY(!path.isEmpty());

    DataloggerTable table;
    const TextImportResult result = importFixedWidthText(table, path);
    QCOMPARE(result.added, rows.size());
    for (int r = 0; r < rows.size(); ++r) {
        const Row &row = table.row(r);
        QCOMPARE(QStringList(row.begin(), row.end()), QStringList(rows[r]) << QString());
    }
}

void TstFixedWidthTextImport::choosesTextImportByExtension_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("text");
    QTest::newRow("lower") << QStringLiteral("/x/data.txt") << true;
    QTest::newRow("upper") << QStringLiteral("/x/data.TXT") << true;
    QTest::newRow("mixed") << QStringLiteral("/x/data.Txt") << false;
    QTest::newRow("log") << QStringLiteral("/x/LOG01.BRL") << false;
    QTest::newRow("txt in the middle") << QStringLiteral("/x/a.txt.BRL") << false;
}

void TstFixedWidthTextImport::choosesTextImportByExtension() {
    QFETCH(QString, path);
    QFETCH(bool, text);
    QCOMPARE(isTextImportPath(path), text);

    // A file that cannot be opened ends the import without a word.
    DataloggerTable table;
    const TextImportResult missing = importFixedWidthText(table, m_dir.filePath("missing.txt"));
    QVERIFY(!missing.opened);
    QVERIFY(missing.notices.isEmpty());
}

QTEST_GUILESS_MAIN(TstFixedWidthTextImport)
#include "tst_fixedwidthtextimport.moc"
