#include "analysis/PlantBuilder.h"
#include "audit/AuditReport.h"

#include <QTest>

using namespace nxa;
using namespace nxa::analysis;
using namespace nxa::analysis::test;

namespace {

// The period reported on: the 30 days up to kDay.
constexpr int kPeriodDays = 30;
const int kFrom = kDay - kPeriodDays + 1;

QString dayText(int day) {
    return QDate::fromJulianDay(day).toString(Qt::ISODate);
}

document::ReportDocument reportOf(const Plant &plant) {
    audit::AuditReportInput input;
    input.title = QStringLiteral("plant");
    input.from = QDate::fromJulianDay(kFrom);
    input.to = QDate::fromJulianDay(kDay);
    input.plant = &plant;
    return audit::auditReport(input);
}

// The first table of the section headed `heading`.
document::Table tableOf(const document::ReportDocument &report, const QString &heading) {
    for (const document::Section &section : report.sections)
        if (section.heading == heading)
            for (const document::Block &block : section.blocks)
                if (const auto *table = std::get_if<document::Table>(&block))
                    return *table;
    return {};
}

// The cells of one column of a table.
QStringList column(const document::Table &table, int index) {
    QStringList cells;
    for (const QStringList &row : table.rows)
        cells.append(row.value(index));
    return cells;
}

// One tester whose user 4 is active in profile 1 (index 0) in every
// configuration, each in force from one of fromDays.
Plant plantWithSnapshotsFrom(const QList<int> &fromDays) {
    Plant plant;
    plant.testers.resize(1);
    plant.testers[0].name = QStringLiteral("north");
    for (const int fromDay : fromDays) {
        LimitsSnapshot snapshot = snapshotFrom(fromDay);
        snapshot.users[4] = {true, QStringLiteral("Ada"), 0};
        plant.testers[0].limits.push_back(snapshot);
    }
    return plant;
}

} // namespace

class AuditReportTest : public QObject {
    Q_OBJECT

private slots:
    void limitsShowTheConfigurationsInForceInThePeriod_data() {
        QTest::addColumn<QList<int>>("fromDays");
        QTest::addColumn<QStringList>("inForceFrom");
        const QString began = QStringLiteral("records began (first collected %1)");
        // clang-format off
        QTest::newRow("one before the period")
            << QList{kFrom - 20}
            << QStringList{began.arg(dayText(kFrom - 20))};
        QTest::newRow("one after the period: the first is taken for every day before it")
            << QList{kDay + 3}
            << QStringList{began.arg(dayText(kDay + 3))};
        QTest::newRow("changed in the period: both")
            << QList{kFrom - 20, kFrom + 5}
            << QStringList{began.arg(dayText(kFrom - 20)), dayText(kFrom + 5)};
        QTest::newRow("changed on its first day: the old one is not in force")
            << QList{kFrom - 20, kFrom}
            << QStringList{dayText(kFrom)};
        QTest::newRow("changed after its last day: not yet in force")
            << QList{kFrom - 20, kDay + 1}
            << QStringList{began.arg(dayText(kFrom - 20))};
        QTest::newRow("replaced twice before the period: only the last")
            << QList{kFrom - 20, kFrom - 10, kFrom - 1, kFrom + 29}
            << QStringList{dayText(kFrom - 1), dayText(kFrom + 29)};
        // clang-format on
    }
    void limitsShowTheConfigurationsInForceInThePeriod() {
        QFETCH(QList<int>, fromDays);
        QFETCH(QStringList, inForceFrom);
        const document::Table limits =
            tableOf(reportOf(plantWithSnapshotsFrom(fromDays)), QStringLiteral("Limits in force"));
        // Profile 1 and the visitors profile of every configuration in force.
        QStringList expected;
        for (const QString &from : inForceFrom)
            expected << from << from;
        QCOMPARE(column(limits, 1), expected);
    }

    void limitsListTheProfilesActiveUsersAndVisitorsUse_data() {
        QTest::addColumn<QList<int>>("activeProfiles");   // indexes, one user each
        QTest::addColumn<QList<int>>("inactiveProfiles"); // indexes, one user each
        QTest::addColumn<QStringList>("profiles");
        // clang-format off
        QTest::newRow("nobody active: visitors only")        << QList<int>{}     << QList{3}    << QStringList{"Visitors"};
        QTest::newRow("two users of one profile")            << QList{2, 2}      << QList<int>{} << QStringList{"3", "Visitors"};
        QTest::newRow("inactive users' profiles left out")   << QList{0, 9}      << QList{4, 5} << QStringList{"1", "10", "Visitors"};
        // clang-format on
    }
    void limitsListTheProfilesActiveUsersAndVisitorsUse() {
        QFETCH(QList<int>, activeProfiles);
        QFETCH(QList<int>, inactiveProfiles);
        QFETCH(QStringList, profiles);
        Plant plant;
        plant.testers.resize(1);
        plant.testers[0].name = QStringLiteral("north");
        LimitsSnapshot snapshot = snapshotFrom(kFrom - 20);
        int user = 0;
        for (const int profile : activeProfiles)
            snapshot.users[size_t(user++)] = {true, QString(), profile};
        for (const int profile : inactiveProfiles)
            snapshot.users[size_t(user++)] = {false, QString(), profile};
        plant.testers[0].limits.push_back(snapshot);
        QCOMPARE(column(tableOf(reportOf(plant), QStringLiteral("Limits in force")), 3), profiles);
    }

    void driftWatchGivesTheMarginToTheNearerLimit_data() {
        QTest::addColumn<int>("kohm"); // every day of the period, both feet
        QTest::addColumn<int>("minKohm");
        QTest::addColumn<int>("maxKohm"); // 0: empty
        QTest::addColumn<QString>("margin");
        // clang-format off
        QTest::newRow("half the maximum")           << 17500 << 750  << 35000 << "L+R ×2.00";
        QTest::newRow("nearer the minimum")         << 1500  << 750  << 35000 << "L+R ×2.00";
        QTest::newRow("beyond the maximum")         << 70000 << 750  << 35000 << "L+R ×0.50";
        QTest::newRow("no maximum: the minimum")    << 3000  << 750  << 0     << "L+R ×4.00";
        QTest::newRow("no limit at all")            << 3000  << 0    << 0     << "L+R -";
        // clang-format on
    }
    void driftWatchGivesTheMarginToTheNearerLimit() {
        QFETCH(int, kohm);
        QFETCH(int, minKohm);
        QFETCH(int, maxKohm);
        QFETCH(QString, margin);
        Plant plant = plantWithSnapshotsFrom({kFrom - 20});
        LimitsSnapshot &snapshot = plant.testers[0].limits[0];
        snapshot.mode = Mode::HandFree;
        if (minKohm > 0)
            snapshot.profiles[0].footwear.minKohm = minKohm;
        if (maxKohm > 0)
            snapshot.profiles[0].footwear.maxKohm = maxKohm;
        for (int day = kFrom; day <= kDay; ++day) {
            Access access = accessAt(0, 4, day, 7 * 3600, true);
            access.lrKohm = kohm;
            plant.accesses.push_back(access);
        }
        const document::Table drift = tableOf(reportOf(plant), QStringLiteral("Drift watch"));
        QCOMPARE(column(drift, 1), QStringList{QStringLiteral("4")});
        QCOMPARE(column(drift, 5), QStringList{margin});
    }
};

QTEST_GUILESS_MAIN(AuditReportTest)
#include "tst_auditreport.moc"
