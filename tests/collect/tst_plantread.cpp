#include "collect/Archive.h"
#include "collect/PlantRead.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace nxa;
using namespace nxa::collect;

namespace {

const QDate kDay(2026, 12, 7);

// One tester whose archive holds one access, stored at `localTime` on kDay,
// written with the database's own statements as another program could.
QString storeAccess(Archive &archive, const QString &localTime) {
    const QStringList statements = {
        QStringLiteral("INSERT INTO testers (id, tester_key, name, address, port) VALUES "
                       "(1, 'north', 'north', '127.0.0.2', 80)"),
        QStringLiteral("INSERT INTO attempts (id, tester, started, ended, result, received, "
                       "added) VALUES (1, 1, 0, 0, 0, 1, 1)"),
        QStringLiteral("INSERT INTO records (tester, raw, occurrence, attempt, seq, pn, user_id, "
                       "visitor, user_name, wrist_strap, shoe_l, shoe_r, shoe_lr, passed, relay, "
                       "recognition, record_date, record_time, local_time, local_date, "
                       "user_number, is_visitor, is_pass, relay_on, by_keyboard, ws_kohm) "
                       "VALUES (1, X'01', 0, 1, 0, '1', '4', 'N', 'Di', '900', '', '', '', 'Y', "
                       "'Y', 'Fingerprint', '', '', '%1', '2026-12-07', 4, 0, 1, 1, 0, 900)")
            .arg(localTime),
    };
    for (const QString &statement : statements) {
        QSqlQuery query(archive.database());
        if (!query.exec(statement))
            return query.lastError().text();
    }
    return {};
}

} // namespace

class PlantReadTest : public QObject {
    Q_OBJECT

private slots:
    void readsAnAccessOnlyAtATimeOfTheDay_data() {
        QTest::addColumn<QString>("localTime");
        QTest::addColumn<int>("accesses");
        // clang-format off
        QTest::newRow("07:43:42")    << "2026-12-07 07:43:42" << 1;
        QTest::newRow("23:59:59")    << "2026-12-07 23:59:59" << 1;
        QTest::newRow("hour 24")     << "2026-12-07 24:00:00" << 0;
        QTest::newRow("hour 99")     << "2026-12-07 99:00:00" << 0;
        QTest::newRow("minute 60")   << "2026-12-07 07:60:00" << 0;
        QTest::newRow("second 60")   << "2026-12-07 07:43:60" << 0;
        QTest::newRow("no digits")   << "2026-12-07 07:4x:42" << 0;
        QTest::newRow("30 February") << "2026-02-30 07:43:42" << 0;
        // clang-format on
    }
    void readsAnAccessOnlyAtATimeOfTheDay() {
        QFETCH(QString, localTime);
        QFETCH(int, accesses);
        QTemporaryDir folder;
        CollectConfig config;
        config.archive.path = folder.filePath(QStringLiteral("archive.sqlite"));
        LockWaitBudget budget(config.lockWaitMs);
        Archive::Opened opened = Archive::open(config.archive, budget, Archive::Access::Prepare);
        QVERIFY2(opened.archive, qPrintable(opened.error));
        const QString error = storeAccess(*opened.archive, localTime);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        opened.archive.reset();

        PlantRequest request;
        request.from = kDay.addDays(-1);
        request.to = kDay;
        const PlantRead read = readPlant(config, request);
        QVERIFY2(read.plant, qPrintable(read.error));
        QCOMPARE(int(read.plant->accesses.size()), accesses);
        if (accesses == 1) {
            const analysis::Access &access = read.plant->accesses.front();
            const QTime time = QTime::fromString(localTime.mid(11), QStringLiteral("hh:mm:ss"));
            QCOMPARE(access.day, int(kDay.toJulianDay()));
            QCOMPARE(access.second, time.msecsSinceStartOfDay() / 1000);
        }
    }
};

QTEST_GUILESS_MAIN(PlantReadTest)
#include "tst_plantread.moc"
