#include "export/TextExport.h"
#include "records/DataloggerMerge.h"
#include "records/FixedWidthTextImport.h"
#include "samples/DataloggerImageBuilder.h"

#include <QTemporaryDir>
#include <QTest>

using namespace nxa;
using namespace nxa::records;

class TstTextRoundTrip : public QObject {
    Q_OBJECT

private slots:
    void exportThenImport_data();
    void exportThenImport();
};

void TstTextRoundTrip::exportThenImport_data() {
    QTest::addColumn<bool>("nonAscii");
    QTest::addColumn<char>("recognition");
    QTest::newRow("ASCII names") << false << 'F';
    QTest::newRow("Latin-1 names from the tester") << true << 'K';
}

void TstTextRoundTrip::exportThenImport() {
    QFETCH(bool, nonAscii);
    QFETCH(char, recognition);

    SampleDataloggerOptions options;
    options.nonAsciiNames = nonAscii;
    options.recognitionType = recognition;
    DataloggerTable table;
    QCOMPARE(mergeDataloggerImage(table, sampleDatalogger(800, 5, options).transferImage()).added,
             800);
    Row overlong = table.row(0);
    overlong[kColumnName] = QStringLiteral("A name far longer than its field");
    table.insertAtTop(overlong);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datalogger.txt"));
    QVERIFY(exports::textExport(table, path).ok);
    const DataloggerTable exported = table;

    // The table's own export comes back whole, except the row whose name was
    // cut by the export.
    TextImportResult result = importFixedWidthText(table, path);
    QCOMPARE(result.added, 1);
    QCOMPARE(table.cell(0, kColumnName), QStringLiteral("A name far longer tha"));

    // Into an empty table every row comes back, file order reversed.
    DataloggerTable empty;
    result = importFixedWidthText(empty, path);
    QCOMPARE(result.added, exported.rowCount());
    for (int r = 0; r < empty.rowCount(); ++r) {
        const Row &original = exported.row(exported.rowCount() - 1 - r);
        if (r == empty.rowCount() - 1)
            break; // the overlong name
        for (int c = 0; c < kKeyColumnCount; ++c)
            QCOMPARE(empty.cell(r, c), original[c]);
        QVERIFY(empty.cell(r, kRecordColumn).isEmpty());
    }
}

QTEST_GUILESS_MAIN(TstTextRoundTrip)
#include "tst_textroundtrip.moc"
