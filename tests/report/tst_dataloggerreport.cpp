#include "RecordingCanvas.h"

#include "records/DataloggerTable.h"
#include "report/DataloggerReport.h"

#include <QTest>

#include <algorithm>

using namespace nxa::report;
using nxa::records::DataloggerTable;
using nxa::records::Row;
using nxa::report::test::RecordingCanvas;

namespace {

// W = 4800, H = 7000 at 96 dpi: body font 64 pixels high (characters 32
// wide), title 128, line gap 23. Logo 233..1356, peripheral line 1356..1443.
constexpr int kWidth = 4800;
constexpr int kHeight = 7000;
constexpr int kRowPitch = 64 + 23;

// PN, ID, Visitor, Name, WS, L, R, L+R, Pass, Relay, Recognition, Date, Time.
Row makeRow(const QStringList &cells) {
    Row row;
    for (int c = 0; c < cells.size() && c < nxa::records::kKeyColumnCount; ++c)
        row[static_cast<size_t>(c)] = cells[c];
    row[nxa::records::kRecordColumn] = QStringLiteral("hidden record");
    return row;
}

Row sampleRow(const QString &pn = QStringLiteral("1")) {
    return makeRow({pn, "17", "", "Anna Rossi", "1200", "850", "900", "1750", "Y", "Y",
                    "Fingerprint", "12/03/2024", "08:15:02"});
}

// Rows appear in the table in the order given.
DataloggerTable makeTable(const QList<Row> &rows) {
    DataloggerTable table;
    for (auto it = rows.crbegin(); it != rows.crend(); ++it)
        table.insertAtTop(*it);
    return table;
}

int firstRowY(bool peripheralLine) {
    return peripheralLine ? 1791 : 1704;
}

} // namespace

class TestDataloggerReport : public QObject {
    Q_OBJECT
private slots:
    void peripheralLine_data();
    void peripheralLine();
    void logoAndTitle();
    void emptyTitleAdvancesByGapsOnly();
    void headings_data();
    void headings();
    void rowCells_data();
    void rowCells();
    void stripesOnOddRows();
    void rowIndexCountsFromZeroInTableOrder();
    void emptyRowStillTakesALine();
    void pageBreaksWithoutRepeatedHeadings();
    void breakAfterLastRowOpensNoPage();
    void notPrintedColumns();
    void longNamesShrinkThenAreCut_data();
    void longNamesShrinkThenAreCut();
};

void TestDataloggerReport::peripheralLine_data() {
    QTest::addColumn<QStringList>("pns");
    QTest::addColumn<QString>("line"); // empty: no peripheral line
    QTest::newRow("empty table") << QStringList{} << "Peripheral Number: ";
    QTest::newRow("one row") << QStringList{"7"} << "Peripheral Number: 7";
    QTest::newRow("all PN 3") << QStringList{"3", "3", "3"} << "Peripheral Number: 3";
    QTest::newRow("PN 3 and 4") << QStringList{"3", "4"} << "";
    QTest::newRow("PN 3, 4, 3") << QStringList{"3", "4", "3"} << "";
    QTest::newRow("differs only in the last row") << QStringList{"3", "3", "3", "03"} << "";
}

void TestDataloggerReport::peripheralLine() {
    QFETCH(QStringList, pns);
    QFETCH(QString, line);
    QList<Row> rows;
    for (const QString &pn : pns)
        rows.append(sampleRow(pn));
    const DataloggerTable table = makeTable(rows);
    QCOMPARE(holdsSinglePeripheral(table), !line.isEmpty());

    RecordingCanvas canvas(kWidth, kHeight);
    dataloggerReport(canvas, table, false, QStringLiteral("Report"));
    int peripheralLines = 0;
    for (const auto &op : canvas.texts())
        peripheralLines += op.text.startsWith(QLatin1String("Peripheral Number")) ? 1 : 0;
    QCOMPARE(peripheralLines, line.isEmpty() ? 0 : 1);
    if (!line.isEmpty()) {
        const auto op = canvas.firstText(line);
        QCOMPARE(op.y, 1356);
        QCOMPARE(op.x, 2400 - static_cast<int>(line.size()) * 32 / 2);
        QCOMPARE(op.font.role, FontRole::Body);
    }
    // The title follows one line lower or takes the peripheral line's place.
    QCOMPARE(canvas.firstText(QStringLiteral("Report")).y, line.isEmpty() ? 1356 : 1443);
    QCOMPARE(canvas.firstText(QStringLiteral("Time")).y,
             firstRowY(!line.isEmpty()) - 2 * kRowPitch);
    if (!rows.isEmpty())
        QCOMPARE(canvas.firstText(QStringLiteral("0")).y, firstRowY(!line.isEmpty()));
}

void TestDataloggerReport::logoAndTitle() {
    RecordingCanvas canvas(kWidth, kHeight);
    dataloggerReport(canvas, makeTable({sampleRow()}), false, QStringLiteral("Monthly"));
    const auto logos = canvas.ofKind(RecordingCanvas::Kind::Logo);
    QCOMPARE(logos.size(), 1);
    QCOMPARE(QList<int>({logos[0].x, logos[0].y, logos[0].width, logos[0].height}),
             QList<int>({1600, 233, 1600, 1100}));
    const auto title = canvas.firstText(QStringLiteral("Monthly"));
    QCOMPARE(title.font, (FontSpec{FontRole::Title, 96, 128}));
    QCOMPARE(title.x, 2400 - 7 * 64 / 2);
    QCOMPARE(title.y, 1443);
    // Every other text is in the body font, 48 points.
    for (const auto &op : canvas.texts())
        if (op.text != QLatin1String("Monthly"))
            QCOMPARE(op.font, (FontSpec{FontRole::Body, 48, 64}));
    // Headings two gaps below the title.
    QCOMPARE(canvas.firstText(QStringLiteral("Time")).y, 1443 + 128 + 2 * 23);
    // The rule one heading line further down, margin to margin.
    const auto rules = canvas.ofKind(RecordingCanvas::Kind::Line);
    QCOMPARE(rules.size(), 1);
    QCOMPARE(QList<int>({rules[0].x, rules[0].y, rules[0].width, rules[0].height}),
             QList<int>({320, 1704, 4160, 1}));
    QCOMPARE(rules[0].colour, kBlack);
}

void TestDataloggerReport::emptyTitleAdvancesByGapsOnly() {
    RecordingCanvas canvas(kWidth, kHeight);
    dataloggerReport(canvas, makeTable({}), false, QString());
    QCOMPARE(canvas.firstText(QStringLiteral("Time")).y, 1443 + 2 * 23);
    QCOMPARE(canvas.fontsSet.contains(FontSpec{FontRole::Title, 96, 128}), true);
}

void TestDataloggerReport::headings_data() {
    QTest::addColumn<bool>("hideValues");
    QTest::newRow("values shown") << false;
    QTest::newRow("values hidden") << true;
}

void TestDataloggerReport::headings() {
    QFETCH(bool, hideValues);
    RecordingCanvas canvas(kWidth, kHeight);
    dataloggerReport(canvas, makeTable({}), hideValues, QStringLiteral("T"));
    const int y = 1617;
    struct Heading {
        QString text;
        int x;
        bool value;
    };
    const QList<Heading> expected{
        {"#", 493, false},     {"PN", 584, false},     {"ID", 789, false},   {"Name", 935, false},
        {"WS", 1773, true},    {"L", 2174, true},      {"R", 2543, true},    {"L+R", 2848, true},
        {"Pass", 2985, false}, {"Relay", 3190, false}, {"Rec", 3395, false}, {"Date", 3600, false},
        {"Time", 4010, false},
    };
    QStringList drawn = canvas.textsAt(0, y);
    QStringList wanted;
    for (const Heading &h : expected) {
        if (h.value && hideValues) {
            QCOMPARE(canvas.countTexts(h.text), 0);
            continue;
        }
        wanted.append(h.text);
        const auto op = canvas.firstText(h.text);
        QCOMPARE(op.x, h.x);
        QCOMPARE(op.y, y);
    }
    QCOMPARE(drawn, wanted);
}

void TestDataloggerReport::rowCells_data() {
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<bool>("hideValues");
    // Texts of row 0 from left to right, each "text@x"; a red text is "text@x red".
    QTest::addColumn<QStringList>("expected");

    const QStringList full{"1",    "17", "V", "Anna",        "1200",       "850",     "900",
                           "1750", "Y",  "Y", "Fingerprint", "12/03/2024", "08:15:02"};
    QTest::newRow("all columns") << full << false
                                 << QStringList{"0@493",        "1@616",     "17@789",
                                                "Anna@935",     "1200@1709", "850@2110",
                                                "900@2479",     "1750@2816", "Y@2985",
                                                "Y@3190",       "F@3395",    "12/03/2024@3600",
                                                "08:15:02@4010"};
    QTest::newRow("hide values: the other columns keep their places")
        << full << true
        << QStringList{"0@493",  "1@616",  "17@789",          "Anna@935",     "Y@2985",
                       "Y@3190", "F@3395", "12/03/2024@3600", "08:15:02@4010"};
    QStringList noLeft = full;
    noLeft[5] = QString();
    QTest::newRow("empty L: only L+R of the values")
        << noLeft << false
        << QStringList{"0@493",  "1@616",  "17@789", "Anna@935",        "1750@2816",
                       "Y@2985", "Y@3190", "F@3395", "12/03/2024@3600", "08:15:02@4010"};
    QStringList failed = full;
    failed[8] = QStringLiteral("N");
    failed[9] = QStringLiteral("N");
    failed[10] = QStringLiteral("User Code");
    QTest::newRow("failed pass is a red N")
        << failed << true
        << QStringList{"0@493",  "1@616",  "17@789",          "Anna@935",     "N@2985 red",
                       "N@3190", "U@3395", "12/03/2024@3600", "08:15:02@4010"};
    QStringList odd = full;
    odd[8] = QStringLiteral("y");
    odd[9] = QStringLiteral("YES");
    odd[10] = QString();
    QTest::newRow("pass and relay other than exactly Y")
        << odd << true << QStringList{"0@493",      "1@616",  "17@789",          "Anna@935",
                                      "N@2985 red", "N@3190", "12/03/2024@3600", "08:15:02@4010"};
    QStringList spaced = full;
    spaced[8] = QStringLiteral("Y ");
    spaced[9] = QString();
    QTest::newRow("pass with a trailing space, empty relay")
        << spaced << true
        << QStringList{"0@493",  "1@616",  "17@789",          "Anna@935",     "N@2985 red",
                       "N@3190", "F@3395", "12/03/2024@3600", "08:15:02@4010"};
}

void TestDataloggerReport::rowCells() {
    QFETCH(QStringList, cells);
    QFETCH(bool, hideValues);
    QFETCH(QStringList, expected);
    RecordingCanvas canvas(kWidth, kHeight);
    dataloggerReport(canvas, makeTable({makeRow(cells)}), hideValues, QStringLiteral("T"));
    QStringList got;
    const int y = firstRowY(true);
    for (const auto &op : canvas.texts()) {
        if (op.page != 0 || op.y != y)
            continue;
        QString entry = op.text + QLatin1Char('@') + QString::number(op.x);
        if (op.colour == kRed)
            entry += QStringLiteral(" red");
        else
            QCOMPARE(op.colour, kBlack);
        got.append(entry);
    }
    QCOMPARE(got, expected);
}

void TestDataloggerReport::stripesOnOddRows() {
    QList<Row> rows;
    for (int r = 0; r < 6; ++r)
        rows.append(sampleRow());
    RecordingCanvas canvas(kWidth, kHeight);
    dataloggerReport(canvas, makeTable(rows), false, QStringLiteral("T"));
    const auto bands = canvas.bands();
    QCOMPARE(bands.size(), 3);
    for (int i = 0; i < bands.size(); ++i) {
        const int r = 2 * i + 1;
        QCOMPARE(bands[i].x, 320);
        QCOMPARE(bands[i].y, firstRowY(true) + r * kRowPitch);
        QCOMPARE(bands[i].width, 4160);
        QCOMPARE(bands[i].height, 64);
    }
    // The band lies under the row: it is drawn before the row's first text.
    const int bandIndex =
        static_cast<int>(std::find_if(canvas.ops.cbegin(), canvas.ops.cend(),
                                      [](const auto &op) { return op.colour == kBandGrey; }) -
                         canvas.ops.cbegin());
    const int bandY = bands[0].y;
    const int indexText = static_cast<int>(
        std::find_if(canvas.ops.cbegin(), canvas.ops.cend(),
                     [bandY](const auto &op) {
                         return op.kind == RecordingCanvas::Kind::Text && op.y == bandY;
                     }) -
        canvas.ops.cbegin());
    QCOMPARE(canvas.ops.value(indexText).text, QStringLiteral("1"));
    QVERIFY(bandIndex < indexText);
}

void TestDataloggerReport::rowIndexCountsFromZeroInTableOrder() {
    const DataloggerTable table =
        makeTable({makeRow({"1", "100"}), makeRow({"1", "200"}), makeRow({"1", "300"})});
    RecordingCanvas canvas(kWidth, kHeight);
    dataloggerReport(canvas, table, false, QStringLiteral("T"));
    for (int r = 0; r < 3; ++r) {
        const QStringList line = canvas.textsAt(0, firstRowY(true) + r * kRowPitch);
        QCOMPARE(line.value(0), QString::number(r));
        QCOMPARE(line.value(2), QString::number(100 * (r + 1)));
    }
}

void TestDataloggerReport::emptyRowStillTakesALine() {
    // A row of empty cells (as an empty line of an imported text file gives)
    // has no Time text; the next row must not print over it.
    const DataloggerTable table = makeTable({makeRow({}), sampleRow()});
    RecordingCanvas canvas(kWidth, kHeight);
    dataloggerReport(canvas, table, false, QStringLiteral("T"));
    // Row 0 holds only its index and the two N's of Pass and Relay.
    QCOMPARE(canvas.textsAt(0, firstRowY(false)), (QStringList{"0", "N", "N"}));
    QCOMPARE(canvas.firstText(QStringLiteral("Anna Rossi")).y, firstRowY(false) + kRowPitch);
}

void TestDataloggerReport::pageBreaksWithoutRepeatedHeadings() {
    QList<Row> rows;
    for (int r = 0; r < 140; ++r)
        rows.append(sampleRow());
    RecordingCanvas canvas(kWidth, kHeight);
    dataloggerReport(canvas, makeTable(rows), false, QStringLiteral("T"));

    // Rows start at 1791, 87 apart: row 54 ends the first page at 6489, as
    // 6489 + 87 = 6576 exceeds 6534. Later pages hold 73 rows from 233.
    QCOMPARE(canvas.firstText(QStringLiteral("54")).page, 0);
    QCOMPARE(canvas.firstText(QStringLiteral("54")).y, 6489);
    QCOMPARE(canvas.firstText(QStringLiteral("55")).page, 1);
    QCOMPARE(canvas.firstText(QStringLiteral("55")).y, 233);
    QCOMPARE(canvas.firstText(QStringLiteral("127")).page, 1);
    QCOMPARE(canvas.firstText(QStringLiteral("128")).page, 2);
    QCOMPARE(canvas.firstText(QStringLiteral("128")).y, 233);
    QCOMPARE(canvas.page, 2);
    // Striping follows the row index across pages: row 55 is banded at the top.
    const auto bands = canvas.bands();
    QCOMPARE(bands.size(), 70);
    QVERIFY(std::any_of(bands.cbegin(), bands.cend(),
                        [](const auto &b) { return b.page == 1 && b.y == 233; }));
    // Nothing but rows on continuation pages.
    QCOMPARE(canvas.countTexts(QStringLiteral("Time")), 1);
    QCOMPARE(canvas.countTexts(QStringLiteral("T")), 1);
    QCOMPARE(canvas.ofKind(RecordingCanvas::Kind::Logo).size(), 1);
    QCOMPARE(canvas.ofKind(RecordingCanvas::Kind::Line).size(), 1);
    for (const auto &op : canvas.ops)
        QVERIFY(op.page == 0 || op.y >= 233);
}

void TestDataloggerReport::breakAfterLastRowOpensNoPage() {
    QList<Row> rows;
    for (int r = 0; r < 55; ++r)
        rows.append(sampleRow());
    RecordingCanvas canvas(kWidth, kHeight);
    dataloggerReport(canvas, makeTable(rows), false, QStringLiteral("T"));
    QCOMPARE(canvas.page, 0);
}

void TestDataloggerReport::notPrintedColumns() {
    Row row = sampleRow();
    row[nxa::records::kColumnVisitor] = QStringLiteral("VISITOR-CELL");
    RecordingCanvas canvas(kWidth, kHeight);
    dataloggerReport(canvas, makeTable({row}), false, QStringLiteral("T"));
    QCOMPARE(canvas.countTexts(QStringLiteral("VISITOR-CELL")), 0);
    QCOMPARE(canvas.countTexts(QStringLiteral("hidden record")), 0);
    QCOMPARE(canvas.countTexts(QStringLiteral("Fingerprint")), 0);
}

// A name wider than the room before the next printed value is set smaller,
// not below 70 % of the body size (45 of 64 pixels), and only then cut.
void TestDataloggerReport::longNamesShrinkThenAreCut_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("hideValues");
    QTest::addColumn<QString>("leftValue");
    QTest::addColumn<QString>("expected"); // body, smaller or cut
    QTest::newRow("fits") << 21 << false << "850"
                          << "body";
    QTest::newRow("next to a 5-digit WS") << 24 << false << "850"
                                          << "smaller";
    QTest::newRow("too long even at 70 %") << 40 << false << "850"
                                           << "cut";
    QTest::newRow("values hidden leave room") << 40 << true << "850"
                                              << "body";
    QTest::newRow("without L the L+R value is next") << 40 << false << ""
                                                     << "body";
    QTest::newRow("far too long without L") << 120 << false << ""
                                            << "cut";
}

void TestDataloggerReport::longNamesShrinkThenAreCut() {
    QFETCH(int, length);
    QFETCH(bool, hideValues);
    QFETCH(QString, leftValue);
    QFETCH(QString, expected);
    const QString name = QStringLiteral("M%1").arg(QString(length - 1, QLatin1Char('W')));
    RecordingCanvas canvas(kWidth, kHeight);
    dataloggerReport(canvas,
                     makeTable({makeRow({"1", "17", "", name, "12345", leftValue, "900", "1750",
                                         "Y", "Y", "Fingerprint", "12/03/2024", "08:15:02"})}),
                     hideValues, QStringLiteral("T"));
    const int y = firstRowY(true);
    RecordingCanvas::Op printed;
    int nextLeft = kWidth;
    for (const auto &op : canvas.texts()) {
        if (op.page != 0 || op.y != y)
            continue;
        if (op.text.startsWith(QLatin1Char('M')))
            printed = op;
        else if (op.x > 935)
            nextLeft = std::min(nextLeft, op.x);
    }
    QCOMPARE(printed.x, 935);
    QVERIFY2(printed.x + printed.width < nextLeft, qPrintable(printed.text));
    const int size = printed.font.pixelSize;
    if (expected == "body")
        QCOMPARE(size, 64);
    else if (expected == "smaller")
        QVERIFY2(size < 64 && size > 45, qPrintable(QString::number(size)));
    else
        QCOMPARE(size, 45);
    if (expected == "cut") {
        QVERIFY(printed.text.endsWith(QStringLiteral("\u2026")));
        QVERIFY(name.startsWith(printed.text.chopped(1)));
    } else {
        QCOMPARE(printed.text, name);
    }
    // The cells after the name are back in the body font.
    QCOMPARE(canvas.texts().constLast().font.pixelSize, 64);
}

QTEST_APPLESS_MAIN(TestDataloggerReport)
#include "tst_dataloggerreport.moc"
