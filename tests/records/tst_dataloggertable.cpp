#include "records/DataloggerTable.h"

#include <QTest>

using namespace nxa::records;

namespace {

Row rowNamed(const QString &name, const QString &hidden = {}) {
    Row row;
    row[kColumnName] = name;
    row[kRecordColumn] = hidden;
    return row;
}

QStringList names(const DataloggerTable &table) {
    QStringList texts;
    for (int r = 0; r < table.rowCount(); ++r)
        texts << table.cell(r, kColumnName);
    return texts;
}

} // namespace

class TstDataloggerTable : public QObject {
    Q_OBJECT

private slots:
    void comparesKeys_data();
    void comparesKeys();
    void keysAreASnapshot();
    void removesRows_data();
    void removesRows();
    void reordersOnlyByPermutation_data();
    void reordersOnlyByPermutation();
};

void TstDataloggerTable::comparesKeys_data() {
    QTest::addColumn<QString>("present");
    QTest::addColumn<QString>("candidate");
    QTest::addColumn<bool>("duplicate");
    QTest::newRow("same") << "Ann"
                          << "Ann" << true;
    QTest::newRow("outer spaces") << "  Ann "
                                  << "Ann" << true;
    QTest::newRow("tab is data") << "\tAnn"
                                 << "Ann" << false;
    QTest::newRow("line feed is data") << "Ann\n"
                                       << "Ann" << false;
    QTest::newRow("case") << "ann"
                          << "Ann" << false;
    QTest::newRow("inner space") << "An n"
                                 << "Ann" << false;
}

void TstDataloggerTable::comparesKeys() {
    QFETCH(QString, present);
    QFETCH(QString, candidate);
    QFETCH(bool, duplicate);
    DataloggerTable table;
    table.insertAtTop(rowNamed(present, QStringLiteral("1-2-")));
    table.rebuildDuplicateKeys();
    // The hidden record cell never takes part.
    QCOMPARE(table.isDuplicate(rowNamed(candidate, QStringLiteral("9-9-"))), duplicate);

    // A cell boundary cannot be faked by moving a line feed between cells.
    Row split;
    split[kColumnPn] = QStringLiteral("1\n2");
    Row joined;
    joined[kColumnPn] = QStringLiteral("1");
    joined[kColumnId] = QStringLiteral("2");
    table.insertAtTop(split);
    table.rebuildDuplicateKeys();
    QCOMPARE(table.isDuplicate(split), true);
    QCOMPARE(table.isDuplicate(joined), false);
}

void TstDataloggerTable::keysAreASnapshot() {
    DataloggerTable table;
    table.insertAtTop(rowNamed(QStringLiteral("a")));
    table.rebuildDuplicateKeys();
    table.insertAtTop(rowNamed(QStringLiteral("b")));
    QVERIFY(table.isDuplicate(rowNamed(QStringLiteral("a"))));
    QVERIFY(!table.isDuplicate(rowNamed(QStringLiteral("b"))));
    table.clear();
    QVERIFY(table.isDuplicate(rowNamed(QStringLiteral("a"))));
    table.clearDuplicateKeys();
    QVERIFY(!table.isDuplicate(rowNamed(QStringLiteral("a"))));
    QCOMPARE(table.duplicateKeyCount(), 0);
}

void TstDataloggerTable::removesRows_data() {
    QTest::addColumn<QList<int>>("remove");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("three selected") << QList<int>{4, 0, 2} << QStringList{"b", "d"};
    QTest::newRow("repeats and out of range")
        << QList<int>{1, 1, -1, 5, 99} << QStringList{"a", "c", "d", "e"};
    QTest::newRow("all") << QList<int>{0, 1, 2, 3, 4} << QStringList{};
    QTest::newRow("none") << QList<int>{} << QStringList{"a", "b", "c", "d", "e"};
}

void TstDataloggerTable::removesRows() {
    QFETCH(QList<int>, remove);
    QFETCH(QStringList, left);
    DataloggerTable table;
    for (const char *name : {"e", "d", "c", "b", "a"})
        table.insertAtTop(rowNamed(QString::fromLatin1(name)));
    table.removeRows(std::vector<int>(remove.begin(), remove.end()));
    QCOMPARE(names(table), left);
}

void TstDataloggerTable::reordersOnlyByPermutation_data() {
    QTest::addColumn<QList<int>>("order");
    QTest::addColumn<QStringList>("result");
    QTest::newRow("reverse") << QList<int>{2, 1, 0} << QStringList{"c", "b", "a"};
    QTest::newRow("too short") << QList<int>{1, 0} << QStringList{"a", "b", "c"};
    QTest::newRow("repeated") << QList<int>{0, 0, 1} << QStringList{"a", "b", "c"};
    QTest::newRow("out of range") << QList<int>{0, 1, 3} << QStringList{"a", "b", "c"};
}

void TstDataloggerTable::reordersOnlyByPermutation() {
    QFETCH(QList<int>, order);
    QFETCH(QStringList, result);
    DataloggerTable table;
    for (const char *name : {"c", "b", "a"})
        table.insertAtTop(rowNamed(QString::fromLatin1(name)));
    table.reorder(std::vector<int>(order.begin(), order.end()));
    QCOMPARE(names(table), result);
}

QTEST_GUILESS_MAIN(TstDataloggerTable)
#include "tst_dataloggertable.moc"
