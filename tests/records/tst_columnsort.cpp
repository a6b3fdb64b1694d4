#include "records/ColumnSort.h"

#include <QTest>

#include <random>

using namespace nxa::records;

Q_DECLARE_METATYPE(ColumnType)
Q_DECLARE_METATYPE(SortDirection)

namespace {

// A table whose given column holds the texts; column 0 numbers the rows so
// the test can see where each row went.
DataloggerTable tableWith(int column, const QStringList &texts) {
    DataloggerTable table;
    for (qsizetype i = texts.size() - 1; i >= 0; --i) {
        Row row;
        row[kColumnPn] = QString::number(i);
        row[column] = texts[i];
        table.insertAtTop(row);
    }
    return table;
}

QStringList columnTexts(const DataloggerTable &table, int column) {
    QStringList texts;
    for (int r = 0; r < table.rowCount(); ++r)
        texts << table.cell(r, column);
    return texts;
}

} // namespace

class TstColumnSort : public QObject {
    Q_OBJECT

private slots:
    void detectsColumnType_data();
    void detectsColumnType();
    void detectsDateMask_data();
    void detectsDateMask();
    void choosesTypeFromSamples_data();
    void choosesTypeFromSamples();
    void readsNumbers_data();
    void readsNumbers();
    void sortsColumns_data();
    void sortsColumns();
    void followsClicks();
    void keepsEqualValuesInOrder();
    void ordersStrictlyAndWeakly();
};

void TstColumnSort::detectsColumnType_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<ColumnType>("type");
    QTest::newRow("empty") << QString() << ColumnType::Integer;
    QTest::newRow("digits") << QStringLiteral("0123") << ColumnType::Integer;
    QTest::newRow("comma") << QStringLiteral("1,5") << ColumnType::Decimal;
    QTest::newRow("point") << QStringLiteral("1.25") << ColumnType::Decimal;
    QTest::newRow("lone point") << QStringLiteral(".") << ColumnType::Decimal;
    QTest::newRow("hex") << QStringLiteral("$10") << ColumnType::Integer;
    QTest::newRow("binary") << QStringLiteral("%101") << ColumnType::Integer;
    QTest::newRow("hex letters") << QStringLiteral("$FF") << ColumnType::Text;
    QTest::newRow("minus") << QStringLiteral("-5") << ColumnType::Text;
    QTest::newRow("letter") << QStringLiteral("Y") << ColumnType::Text;
    QTest::newRow("day first date") << QStringLiteral("25/03/2020") << ColumnType::Date;
    QTest::newRow("year first date") << QStringLiteral("2020-05-11") << ColumnType::Text;
    QTest::newRow("time") << QStringLiteral("14:30:20") << ColumnType::Text;
    QTest::newRow("date and minutes") << QStringLiteral("25/03/2020 14:30") << ColumnType::Date;
    QTest::newRow("date and seconds") << QStringLiteral("25/03/2020 14:30:20") << ColumnType::Date;
    QTest::newRow("separators misplaced") << QStringLiteral("2503/2020/") << ColumnType::Text;
    QTest::newRow("two letters") << QStringLiteral("ab") << ColumnType::Text;
    QTest::newRow("non-ASCII digits") << QString::fromUtf8("١٢") << ColumnType::Text;
    QTest::newRow("long digits beyond 255 characters")
        << QString(255, QLatin1Char('1')) + QStringLiteral("abc") << ColumnType::Integer;
}

void TstColumnSort::detectsColumnType() {
    QFETCH(QString, text);
    QFETCH(ColumnType, type);
    QCOMPARE(detectColumnType(text), type);
}

void TstColumnSort::detectsDateMask_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("mask");
    QTest::newRow("day first") << QStringLiteral("03/04/2020") << QStringLiteral("%dd/%mm/%yyyy");
    QTest::newRow("second above 12")
        << QStringLiteral("03/25/2020") << QStringLiteral("%mm/%dd/%yyyy");
    QTest::newRow("second exactly 12")
        << QStringLiteral("03/12/2020") << QStringLiteral("%dd/%mm/%yyyy");
    QTest::newRow("own separators")
        << QStringLiteral("25.03-2020") << QStringLiteral("%dd.%mm-%yyyy");
    QTest::newRow("minutes") << QStringLiteral("25/03/2020 14:30")
                             << QStringLiteral("%dd/%mm/%yyyy %hh:%ii");
    QTest::newRow("seconds") << QStringLiteral("01-31-2020T14.30.20")
                             << QStringLiteral("%mm-%dd-%yyyyT%hh.%ii.%ss");
    QTest::newRow("year first") << QStringLiteral("2020/05/11") << QString();
    QTest::newRow("not a date") << QStringLiteral("hello") << QString();
    QTest::newRow("wrong length") << QStringLiteral("3/04/2020") << QString();
}

void TstColumnSort::detectsDateMask() {
    QFETCH(QString, text);
    QFETCH(QString, mask);
    QCOMPARE(detectDateMask(text), mask);
}

void TstColumnSort::choosesTypeFromSamples_data() {
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<ColumnType>("type");
    QTest::addColumn<QString>("mask");
    QTest::newRow("9 and 10") << QStringList{"9", "10"} << ColumnType::Integer << QString();
    QTest::newRow("9 and a word") << QStringList{"9", "x", "word"} << ColumnType::Text << QString();
    // Rows between the samples are not looked at.
    QTest::newRow("word between samples")
        << QStringList{"9", "word", "5", "x", "10"} << ColumnType::Integer << QString();
    QTest::newRow("middle row differs")
        << QStringList{"9", "x", "word", "x", "10"} << ColumnType::Text << QString();
    QTest::newRow("empty table") << QStringList{} << ColumnType::Integer << QString();
    QTest::newRow("one row") << QStringList{"1,5"} << ColumnType::Decimal << QString();
    QTest::newRow("day first dates")
        << QStringList{"03/04/2020", "x", "25/03/2020", "x", "03/04/2020"} << ColumnType::Date
        << QStringLiteral("%dd/%mm/%yyyy");
    QTest::newRow("month first in the middle")
        << QStringList{"03/04/2020", "x", "03/25/2020", "x", "03/04/2020"} << ColumnType::Date
        << QStringLiteral("%mm/%dd/%yyyy");
    QTest::newRow("month first last")
        << QStringList{"03/04/2020", "x", "03/04/2020", "x", "12/31/2020"} << ColumnType::Date
        << QStringLiteral("%mm/%dd/%yyyy");
    // Empty cells take no part: the nearest filled cell of each sample decides.
    QTest::newRow("empty samples skipped")
        << QStringList{"", "Bea", "", "9", "", "Al", ""} << ColumnType::Text << QString();
    QTest::newRow("filled cells above the middle only")
        << QStringList{"3,5", "1.5", "", "", ""} << ColumnType::Decimal << QString();
    QTest::newRow("dates among empty cells")
        << QStringList{"", "03/04/2020", "", "", "03/25/2020", "", "01/02/2020", ""}
        << ColumnType::Date << QStringLiteral("%mm/%dd/%yyyy");
    QTest::newRow("year first dates fall back to text")
        << QStringList{"2020/03/04", "2021/01/01"} << ColumnType::Text << QString();
}

void TstColumnSort::choosesTypeFromSamples() {
    QFETCH(QStringList, texts);
    QFETCH(ColumnType, type);
    QFETCH(QString, mask);
    QString chosen = QStringLiteral("unset");
    QCOMPARE(chooseColumnType(tableWith(kColumnName, texts), kColumnName, &chosen), type);
    QCOMPARE(chosen, mask);
}

void TstColumnSort::readsNumbers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("integer");
    QTest::addColumn<double>("decimal");
    QTest::newRow("plain") << QStringLiteral("42") << qint64(42) << 42.0;
    QTest::newRow("blanks and sign") << QStringLiteral(" \t-17x") << qint64(-17) << -17.0;
    QTest::newRow("hex") << QStringLiteral("$fF") << qint64(255) << 0.0;
    QTest::newRow("negative hex") << QStringLiteral("-$10") << qint64(-16) << 0.0;
    QTest::newRow("binary stops at 2") << QStringLiteral("%1012") << qint64(5) << 0.0;
    QTest::newRow("no digits") << QStringLiteral("abc") << qint64(0) << 0.0;
    QTest::newRow("comma decimal") << QStringLiteral("1,5") << qint64(1) << 1.5;
    QTest::newRow("only first comma") << QStringLiteral("1,5,7") << qint64(1) << 1.5;
    QTest::newRow("exponent") << QStringLiteral("2.5e2kOhm") << qint64(2) << 250.0;
    QTest::newRow("bare exponent") << QStringLiteral("3e") << qint64(3) << 3.0;
    QTest::newRow("trailing point") << QStringLiteral("7.") << qint64(7) << 7.0;
    QTest::newRow("leading point") << QStringLiteral("-.5") << qint64(0) << -0.5;
    QTest::newRow("nan is no number") << QStringLiteral("nan") << qint64(0) << 0.0;
    QTest::newRow("too large") << QStringLiteral("99999999999999999999")
                               << std::numeric_limits<qint64>::max() << 1e20;
    QTest::newRow("too small") << QStringLiteral("-99999999999999999999")
                               << std::numeric_limits<qint64>::min() << -1e20;
}

void TstColumnSort::readsNumbers() {
    QFETCH(QString, text);
    QFETCH(qint64, integer);
    QFETCH(double, decimal);
    QCOMPARE(integerValue(text), integer);
    QCOMPARE(decimalValue(text), decimal);
}

void TstColumnSort::sortsColumns_data() {
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<SortDirection>("direction");
    QTest::addColumn<QStringList>("sorted");

    QTest::newRow("integers ascending")
        << QStringList{"9", "100", "10", "0"} << SortDirection::Ascending
        << QStringList{"0", "9", "10", "100"};
    QTest::newRow("integers descending")
        << QStringList{"9", "100", "10", "0"} << SortDirection::Descending
        << QStringList{"100", "10", "9", "0"};
    QTest::newRow("unreadable sorts like descending")
        << QStringList{"9", "100", "10", "0"} << SortDirection::Unreadable
        << QStringList{"100", "10", "9", "0"};
    QTest::newRow("text without case")
        << QStringList{"bob", "Carl", "alice", "Bea"} << SortDirection::Ascending
        << QStringList{"alice", "Bea", "bob", "Carl"};
    QTest::newRow("9 and 10 as text") << QStringList{"9", "10", "word"} << SortDirection::Ascending
                                      << QStringList{"10", "9", "word"};
    QTest::newRow("decimals") << QStringList{"1,5", "2.0", "1.25"} << SortDirection::Ascending
                              << QStringList{"1.25", "1,5", "2.0"};
    QTest::newRow("hex and binary") << QStringList{"$10", "15", "%11"} << SortDirection::Ascending
                                    << QStringList{"%11", "15", "$10"};
    QTest::newRow("day first dates")
        << QStringList{"03/04/2020", "25/03/2020", "01/01/2021", "31/12/2019"}
        << SortDirection::Ascending
        << QStringList{"31/12/2019", "25/03/2020", "03/04/2020", "01/01/2021"};
    QTest::newRow("month first dates")
        << QStringList{"03/04/2020", "03/25/2020", "01/01/2021"} << SortDirection::Ascending
        << QStringList{"03/04/2020", "03/25/2020", "01/01/2021"};
    QTest::newRow("dates with time")
        << QStringList{"01/02/2020 10:00", "01/02/2020 09:59", "31/01/2020 23:00"}
        << SortDirection::Ascending
        << QStringList{"31/01/2020 23:00", "01/02/2020 09:59", "01/02/2020 10:00"};
    QTest::newRow("unfit texts before dates")
        << QStringList{"03/04/2020", "junk", "01/01/2021", "x", "02/02/2019"}
        << SortDirection::Ascending
        << QStringList{"junk", "x", "02/02/2019", "03/04/2020", "01/01/2021"};
    QTest::newRow("names with empty first, middle and last rows")
        << QStringList{"", "carl", "", "", "", "alice", ""} << SortDirection::Ascending
        << QStringList{"", "", "", "", "", "alice", "carl"};
    QTest::newRow("all empty keeps its order")
        << QStringList{"", "", ""} << SortDirection::Descending << QStringList{"", "", ""};
    QTest::newRow("datalogger dates as text")
        << QStringList{"2021-01-02", "2020-12-31", "2021-01-01"} << SortDirection::Descending
        << QStringList{"2021-01-02", "2021-01-01", "2020-12-31"};
}

void TstColumnSort::sortsColumns() {
    QFETCH(QStringList, texts);
    QFETCH(SortDirection, direction);
    QFETCH(QStringList, sorted);
    DataloggerTable table = tableWith(kColumnName, texts);
    sortTable(table, kColumnName, direction);
    QCOMPARE(columnTexts(table, kColumnName), sorted);
}

void TstColumnSort::followsClicks() {
    // Three clicks on Name: ascending, descending, ascending.
    DataloggerTable table = tableWith(kColumnName, {"b", "c", "a"});
    SortDirection direction = SortDirection::None;
    const QList<QStringList> expected = {{"a", "b", "c"}, {"c", "b", "a"}, {"a", "b", "c"}};
    for (const QStringList &order : expected) {
        direction = nextDirection(direction);
        sortTable(table, kColumnName, direction);
        QCOMPARE(columnTexts(table, kColumnName), order);
    }
    QCOMPARE(nextDirection(SortDirection::Descending), SortDirection::Ascending);
    QCOMPARE(nextDirection(SortDirection::Unreadable), SortDirection::Unreadable);

    // Columns out of range leave the rows alone.
    sortTable(table, kColumnCount, SortDirection::Descending);
    sortTable(table, -1, SortDirection::Descending);
    QCOMPARE(columnTexts(table, kColumnName), expected.last());
}

void TstColumnSort::keepsEqualValuesInOrder() {
    // "01" and "1" are the same number; "Ann" and "ANN" the same text; texts
    // alike in their first 255 characters compare alike.
    const QString longA = QString(255, QLatin1Char('z')) + QLatin1Char('a');
    const QString longB = QString(255, QLatin1Char('z')) + QLatin1Char('b');
    const QList<QStringList> cases = {
        {"1", "01", "0", "001", "2"}, {"ANN", "bob", "Ann", "ann"}, {longB, "a", longA}};
    for (const QStringList &texts : cases) {
        for (SortDirection direction : {SortDirection::Ascending, SortDirection::Descending}) {
            DataloggerTable table = tableWith(kColumnName, texts);
            sortTable(table, kColumnName, direction);
            // Rows of equal value stay in their original order (column 0).
            for (int r = 1; r < table.rowCount(); ++r) {
                if (compareCells(table.cell(r - 1, kColumnName), table.cell(r, kColumnName),
                                 detectColumnType(texts.first()), {}) == 0)
                    QVERIFY(table.cell(r - 1, kColumnPn).toInt() <
                            table.cell(r, kColumnPn).toInt());
            }
        }
    }
    DataloggerTable table = tableWith(kColumnName, {"1", "01", "0", "001", "2"});
    sortTable(table, kColumnName, SortDirection::Descending);
    QCOMPARE(columnTexts(table, kColumnName), (QStringList{"2", "1", "01", "001", "0"}));
}

void TstColumnSort::ordersStrictlyAndWeakly() {
    // Mixed texts of every kind: the comparison must be antisymmetric and
    // transitive, and the sort must agree with it.
    const QStringList pool = {"",           "1",   "01", "-1", "$1", "%1",
                              "1,0",        "1.0", "a",  "A",  "b",  "03/04/2020",
                              "04/03/2020", "10",  "9",  " 9", "x9", "1e3"};
    std::mt19937 random(99);
    for (ColumnType type :
         {ColumnType::Text, ColumnType::Integer, ColumnType::Decimal, ColumnType::Date}) {
        const QString mask = QStringLiteral("%dd/%mm/%yyyy");
        for (const QString &a : pool) {
            for (const QString &b : pool) {
                QCOMPARE(compareCells(a, b, type, mask), -compareCells(b, a, type, mask));
                for (const QString &c : pool) {
                    if (compareCells(a, b, type, mask) <= 0 && compareCells(b, c, type, mask) <= 0)
                        QVERIFY(compareCells(a, c, type, mask) <= 0);
                }
            }
        }
    }
    QStringList texts;
    for (int i = 0; i < 300; ++i)
        texts << pool[static_cast<qsizetype>(random() % static_cast<unsigned>(pool.size()))];
    for (const QString &first : {QStringLiteral("7"), QStringLiteral("1,5"), QStringLiteral("a")}) {
        texts.first() = first;
        texts.last() = first;
        texts[texts.size() / 2] = first;
        DataloggerTable table = tableWith(kColumnName, texts);
        QString mask;
        const ColumnType type = chooseColumnType(table, kColumnName, &mask);
        sortTable(table, kColumnName, SortDirection::Ascending);
        for (int r = 1; r < table.rowCount(); ++r)
            QVERIFY(compareCells(table.cell(r - 1, kColumnName), table.cell(r, kColumnName), type,
                                 mask) <= 0);
    }
}

QTEST_GUILESS_MAIN(TstColumnSort)
#include "tst_columnsort.moc"
