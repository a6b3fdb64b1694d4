// A report of a plant with many flagged persons draws the most urgent ones
// and lists every one.

#include "analysis/SortedAccesses.h"
#include "audit/AuditReport.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <set>

using namespace nxa;
using namespace nxa::analysis;

namespace {

constexpr std::int64_t kFootwearMaxKohm = 35000;
constexpr double kDecadesPerDay = 0.02;

// `persons` users of one tester whose shoes rise 0.02 decades a day for 30
// days; user u reaches the footwear maximum 2 + u / 2 days after the last
// reading, so the order of urgency is the order of the users. As many steady
// persons again and more keep the plant's and the tester's level where it
// is, so that each rise is the person's own.
constexpr int kSteadyPersons = 60;
constexpr std::int32_t kSteadyKohm = 1000;

Plant drifting(int persons, int lastDay) {
    Plant plant;
    plant.testers.resize(1);
    plant.testers[0].name = QStringLiteral("north");
    LimitsSnapshot snapshot;
    snapshot.fromDay = lastDay - 100;
    snapshot.users.resize(kUserCount);
    snapshot.profiles[0].footwear.maxKohm = kFootwearMaxKohm;
    for (int u = 0; u < persons; ++u) {
        snapshot.users[size_t(u)] = {true, QStringLiteral("P%1").arg(u, 2, 10, QLatin1Char('0')),
                                     0};
        const double lastLog =
            std::log10(double(kFootwearMaxKohm)) - kDecadesPerDay * (2 + u / 2.0);
        for (int d = 0; d < 30; ++d) {
            Access a;
            a.user = std::int16_t(u);
            a.day = lastDay - 29 + d;
            a.second = 8 * 3600;
            a.pass = a.relay = true;
            a.lKohm = a.rKohm =
                std::int32_t(std::lround(std::pow(10.0, lastLog - kDecadesPerDay * (29 - d))));
            plant.accesses.push_back(a);
        }
    }
    for (int u = persons; u < persons + kSteadyPersons; ++u) {
        snapshot.users[size_t(u)] = {true, QStringLiteral("S%1").arg(u), 0};
        for (int d = 0; d < 30; ++d) {
            Access a;
            a.user = std::int16_t(u);
            a.day = lastDay - 29 + d;
            a.second = 9 * 3600;
            a.pass = a.relay = true;
            a.lKohm = a.rKohm = kSteadyKohm;
            plant.accesses.push_back(a);
        }
    }
    std::sort(plant.accesses.begin(), plant.accesses.end(), accessBefore);
    plant.testers[0].limits = {snapshot};
    return plant;
}

} // namespace

class TestReportScale : public QObject {
    Q_OBJECT

private slots:
    void chartsTheMostUrgent_data() {
        QTest::addColumn<int>("persons");
        QTest::addColumn<int>("charted");
        QTest::addColumn<bool>("saysSo");

        // clang-format off
        QTest::newRow("30 flagged, all charted") << 30 << 30 << false;
        QTest::newRow("40 flagged, 30 charted")  << 40 << 30 << true;
        // clang-format on
    }
    void chartsTheMostUrgent() {
        QFETCH(int, persons);
        QFETCH(int, charted);
        QFETCH(bool, saysSo);
        const int lastDay = int(QDate(2026, 12, 7).toJulianDay());
        const Plant plant = drifting(persons, lastDay);
        audit::AuditReportInput input;
        input.title = QStringLiteral("Plant");
        input.from = QDate::fromJulianDay(lastDay - 29);
        input.to = QDate::fromJulianDay(lastDay);
        input.plant = &plant;
        input.invalidTimes = {0};
        const document::ReportDocument report = audit::auditReport(input);

        std::set<QString> names;
        QStringList texts;
        for (const document::Section &section : report.sections)
            for (const document::Block &block : section.blocks) {
                if (const auto *chart = std::get_if<charts::Chart>(&block))
                    if (const auto *trend = std::get_if<charts::PersonTrend>(chart))
                        names.insert(trend->title.section(QStringLiteral(": "), 1)
                                         .section(QLatin1Char(','), 0, 0));
                if (const auto *paragraph = std::get_if<document::Paragraph>(&block))
                    texts.append(paragraph->text);
            }
        std::set<QString> urgent;
        for (int u = 0; u < charted; ++u)
            urgent.insert(QStringLiteral("P%1").arg(u, 2, 10, QLatin1Char('0')));
        QCOMPARE(names, urgent);
        QCOMPARE(texts.join(QLatin1Char('\n'))
                     .contains(QStringLiteral("Charts for the 30 most urgent of the %1 flagged "
                                              "persons")
                                   .arg(persons)),
                 saysSo);
    }
};

QTEST_MAIN(TestReportScale)
#include "tst_reportscale.moc"
