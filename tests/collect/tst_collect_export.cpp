#include "CollectTestSupport.h"

using namespace nxa::collectsuite;

class CollectExportTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (usePostgres() && qEnvironmentVariableIsEmpty("NXA_POSTGRES_URL"))
            QSKIP("NXA_POSTGRES_URL names no PostgreSQL server (scripts/with-postgres.sh)");
    }

    // An export of one tester's archived download is the manager's own
    // command-line export of the same download with the tester in front: in
    // the text its name right-aligned in a column of its own; in the workbook
    // texts trimmed and numbers as numbers. The file named is the one written.
    void exportIsManagerExportWithTester_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("written");
        QTest::newRow("text") << QStringLiteral("/TXT") << QStringLiteral("out.txt") << "out.txt";
        QTest::newRow("workbook") << QStringLiteral("/XLSX") << QStringLiteral("out") << "out.xlsx";
    }
    void exportIsManagerExportWithTester() {
        QFETCH(QString, format);
        QFETCH(QString, file);
        QFETCH(QString, written);
        Plant plant;
        records::SampleDataloggerOptions options;
        options.peripheralNumber = 7;
        options.nonAsciiNames = true;
        QVERIFY(
            plant.addTester(serving(records::sampleDatalogger(2000, 5, options).transferImage())));
        plant.writeConfig(120, {}, QStringLiteral("entrance-"));
        QCOMPARE(plant.collect({QStringLiteral("download")}).exitCode, 0);
        const Run exported =
            plant.collect({QStringLiteral("export"), format, QStringLiteral("c-") + file});
        QCOMPARE(exported.exitCode, 0);
        QCOMPARE(exported.lines,
                 QStringList{QStringLiteral("Saved c-%1 (2000 records)").arg(written)});
        QCOMPARE(plant.manager(0, format, QStringLiteral("m-") + file).exitCode, 0);
        const QString collected = plant.folder() + QStringLiteral("/c-") + written;
        const QString manager = plant.folder() + QStringLiteral("/m-") + written;
        if (format == QLatin1String("/TXT")) {
            const QList<QByteArray> ours = test::readFile(collected).split('\n');
            const QList<QByteArray> theirs = test::readFile(manager).split('\n');
            QCOMPARE(ours.size(), theirs.size());
            for (qsizetype i = 0; i + 1 < ours.size(); ++i)
                QCOMPARE(ours[i], (i == 0 ? QByteArray("Tester").rightJustified(10)
                                          : QByteArray("entrance-0")) +
                                      theirs[i]);
            return;
        }
        // Every cell of the manager's workbook, one column further right,
        // trimmed; numbers compared as numbers.
        auto values = [](const QString &path, int shift) {
            QMap<QString, QString> byCell;
            const QJsonObject cells = readWorkbook(path).value("cells").toObject();
            for (auto it = cells.begin(); it != cells.end(); ++it) {
                const QJsonArray cell = it.value().toArray();
                const QString text =
                    cell.at(0).toString() == QLatin1String("s")
                        ? cell.at(1).toString().trimmed()
                        : QStringLiteral("#") + QString::number(cell.at(1).toDouble());
                const QChar column(it.key().front().unicode() + shift);
                bool number = false;
                text.toDouble(&number);
                if (!text.isEmpty())
                    byCell.insert(column + it.key().mid(1),
                                  number ? QStringLiteral("#") + QString::number(text.toDouble())
                                         : text);
            }
            return byCell;
        };
        QMap<QString, QString> ours = values(collected, 0);
        const QMap<QString, QString> theirs = values(manager, 1);
        QCOMPARE(ours.take(QStringLiteral("A1")), QStringLiteral("Tester"));
        for (int row = 2; row <= 2001; ++row)
            QCOMPARE(ours.take(QStringLiteral("A%1").arg(row)), QStringLiteral("entrance-0"));
        QCOMPARE(ours, theirs);
        // Numbers are numeric cells: the peripheral number of every row.
        const QJsonObject cells = readWorkbook(collected).value("cells").toObject();
        QCOMPARE(cells.value(QStringLiteral("B2")).toArray(), QJsonArray({"n", 7}));
    }

    // Selections of an export: testers, dates compared as dates, failures.
    void exportSelects_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("rows");
        // clang-format off
        QTest::newRow("everything")       << QStringList{}                                      << 5;
        QTest::newRow("one tester")       << QStringList{"--tester", "t1"}                      << 1;
        QTest::newRow("both testers")     << QStringList{"--tester", "t0", "--tester", "t1"}    << 5;
        QTest::newRow("from")             << QStringList{"--from", "2025-02-01"}                << 2;
        QTest::newRow("to")               << QStringList{"--to", "2025-01-31"}                  << 2;
        QTest::newRow("one day")          << QStringList{"--from", "2025-02-01", "--to", "2025-02-01"} << 1;
        QTest::newRow("failed")           << QStringList{"--failed"}                            << 2;
        QTest::newRow("failed of t1")     << QStringList{"--failed", "--tester", "t1"}          << 0;
        // clang-format on
    }
    void exportSelects() {
        QFETCH(QStringList, options);
        QFETCH(int, rows);
        Plant plant;
        AccessRecord invalid = access(5, QDate(2025, 1, 1), false);
        invalid.timestamp = AccessRecord::dosTimestamp(2025, 13, 1, 8, 0, 0);
        QVERIFY(plant.addTester(
            serving(image({access(1, QDate(2025, 1, 10), false), access(2, QDate(2025, 2, 1)),
                           invalid, access(3, QDate(2025, 3, 1))}))));
        QVERIFY(plant.addTester(serving(image({access(4, QDate(2024, 12, 31))}, 2))));
        plant.writeConfig();
        QCOMPARE(plant.collect({QStringLiteral("download")}).exitCode, 0);
        const Run run = plant.collect(QStringList{QStringLiteral("export")} + options +
                                      QStringList{QStringLiteral("/TXT"), QStringLiteral("o.txt")});
        QCOMPARE(run.exitCode, 0);
        const QList<QByteArray> lines =
            test::readFile(plant.folder() + QStringLiteral("/o.txt")).split('\n');
        QCOMPARE(lines.size() - 2, rows); // title line, and nothing after the last CR LF
    }
};

QTEST_GUILESS_MAIN(CollectExportTest)
#include "tst_collect_export.moc"
