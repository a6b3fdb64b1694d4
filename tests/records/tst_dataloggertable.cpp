#include "records/DataloggerTable.h"

#include <QMap>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <numeric>

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

// A row from a small vocabulary, so keys repeat often; outer spaces and
// record cells that are and are not in the record layout included.
Row randomRow(QRandomGenerator &random) {
    static const QStringList names = {"a", " a", "a ", "b", "\tb", "Visitor (c)"};
    static const QStringList records = {"", "1-2-", "0-1-2-3-4-5-6-7-8-9-10-11-12-13-14-255-",
                                        "0-1-2-3-4-5-6-7-8-9-10-11-12-13-14-256-"};
    Row row;
    row[kColumnPn] = QString::number(random.bounded(2));
    row[kColumnName] = names[random.bounded(names.size())];
    row[kColumnDate] = random.bounded(2) ? QStringLiteral("2024-01-02") : QString();
    row[kRecordColumn] = records[random.bounded(records.size())];
    return row;
}

// Only spaces are trimmed; a tab is data.
QString keyOf(const Row &row) {
    QStringList cells;
    for (int c = 0; c < kKeyColumnCount; ++c) {
        QString cell = row[c];
        while (cell.startsWith(QLatin1Char(' ')))
            cell.remove(0, 1);
        while (cell.endsWith(QLatin1Char(' ')))
            cell.chop(1);
        cells << cell;
    }
    return cells.join(QLatin1Char('\n'));
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
    void keySetFollowsTheRows_data();
    void keySetFollowsTheRows();
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

void TstDataloggerTable::keySetFollowsTheRows_data() {
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 12; ++seed)
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
}

// Random inserts, removals, sorts and snapshots against a plain model: the
// rows in order, and the keys of the rows the last snapshot held.
void TstDataloggerTable::keySetFollowsTheRows() {
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    DataloggerTable table;
    QList<Row> rows;
    QList<int> ids;              // which model row each table row is
    QMap<int, QString> snapshot; // model row id -> key
    int nextId = 0;
    for (int step = 0; step < 400; ++step) {
        const int action = random.bounded(100);
        if (action < 45) {
            const Row row = randomRow(random);
            table.insertAtTop(row);
            rows.prepend(row);
            ids.prepend(nextId++);
        } else if (action < 60 && !rows.isEmpty()) {
            std::vector<int> remove;
            for (int r = 0; r < rows.size(); ++r)
                if (random.bounded(4) == 0)
                    remove.push_back(r);
            table.removeRows(remove);
            for (auto r = remove.rbegin(); r != remove.rend(); ++r) {
                rows.removeAt(*r);
                ids.removeAt(*r);
            }
        } else if (action < 67) {
            std::vector<int> order(static_cast<size_t>(rows.size()));
            std::iota(order.begin(), order.end(), 0);
            std::shuffle(order.begin(), order.end(), random);
            table.reorder(order);
            QList<Row> reorderedRows;
            QList<int> reorderedIds;
            for (int from : order) {
                reorderedRows << rows[from];
                reorderedIds << ids[from];
            }
            rows = reorderedRows;
            ids = reorderedIds;
        } else if (action < 82) {
            table.rebuildDuplicateKeys();
            snapshot.clear();
            for (int r = 0; r < rows.size(); ++r)
                snapshot.insert(ids[r], keyOf(rows[r]));
            // The kept set answers as one built from scratch would.
            DataloggerTable rebuilt;
            for (auto row = rows.rbegin(); row != rows.rend(); ++row)
                rebuilt.insertAtTop(*row);
            rebuilt.rebuildDuplicateKeys();
            for (int probe = 0; probe < 20; ++probe) {
                const Row candidate = randomRow(random);
                QCOMPARE(table.isDuplicate(candidate), rebuilt.isDuplicate(candidate));
            }
        } else if (action < 88) {
            table.forgetRemovedRows();
            for (auto it = snapshot.begin(); it != snapshot.end();)
                it = ids.contains(it.key()) ? std::next(it) : snapshot.erase(it);
        } else if (action < 91) {
            table.clearDuplicateKeys();
            snapshot.clear();
        } else if (action < 93) {
            table.clear();
            rows.clear();
            ids.clear();
        }
        QCOMPARE(table.rowCount(), rows.size());
        for (int r = 0; r < rows.size(); ++r)
            QCOMPARE(table.row(r), rows[r]);
        QCOMPARE(table.duplicateKeyCount(), snapshot.size());
        const Row candidate = randomRow(random);
        QCOMPARE(table.isDuplicate(candidate),
                 std::find(snapshot.begin(), snapshot.end(), keyOf(candidate)) != snapshot.end());
    }
}

QTEST_GUILESS_MAIN(TstDataloggerTable)
#include "tst_dataloggertable.moc"
