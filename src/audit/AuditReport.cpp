#include "audit/AuditReport.h"

#include "analysis/DailyCompliance.h"
#include "analysis/DayExceptions.h"
#include "analysis/DriftWatch.h"
#include "analysis/LimitsInForce.h"
#include "analysis/Retests.h"
#include "analysis/TesterHealth.h"
#include "audit/AnalysisTexts.h"
#include "audit/PersonTrend.h"
#include "audit/PlanSections.h"
#include "charts/ChartInputs.h"
#include "config/StationConfig.h"
#include "records/DataloggerImage.h"

#include <QSet>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace nxa::audit {

namespace {

using analysis::Access;
using analysis::Plant;
using document::Block;
using document::Paragraph;
using document::Section;
using document::Summary;
using document::Table;

constexpr double kPercent = 100.0;
constexpr std::int64_t kMsPerHour = 3600 * 1000;
// Unknown user numbers listed per tester before the rest is only counted.
constexpr int kListedUnknownUsers = 20;
// Trend charts a report draws for flagged persons; the table lists them all.
constexpr int kMaxChartedPersons = 30;

QString percentText(double share) {
    return QStringLiteral("%1 %").arg(share * kPercent, 0, 'f', 1);
}

QString kohmText(double kohm) {
    return std::isfinite(kohm) ? QString::number(std::llround(kohm)) : QStringLiteral("-");
}

QString rangeText(const analysis::Range &range) {
    auto side = [](const std::optional<std::int64_t> &kohm) {
        return kohm ? QString::number(*kohm) : QStringLiteral("none");
    };
    return QStringLiteral("%1 to %2").arg(side(range.minKohm), side(range.maxKohm));
}

// A table whose header row names its columns, given as "Tester|User|...".
Table headedTable(const QString &columns) {
    Table table;
    table.header = columns.split(QLatin1Char('|'));
    return table;
}

QString profileText(int profile) {
    return profile == config::kVisitorsProfile
               ? QStringLiteral("Visitors")
               : QString::number(profile + config::kFirstProfileNumber);
}

// "×1.40": the factor between the smoothed level and the nearer limit.
QString marginText(const analysis::DriftResult &result) {
    if (!result.limitsKnown || !std::isfinite(result.lastEwmaKohm) || result.lastEwmaKohm <= 0)
        return QStringLiteral("-");
    std::optional<double> factor;
    if (result.range.maxKohm)
        factor = double(*result.range.maxKohm) / result.lastEwmaKohm;
    if (result.range.minKohm && *result.range.minKohm > 0) {
        const double below = result.lastEwmaKohm / double(*result.range.minKohm);
        factor = factor ? std::min(*factor, below) : below;
    }
    return factor ? QStringLiteral("×%1").arg(*factor, 0, 'f', 2) : QStringLiteral("-");
}

// The profiles an active user has, and the visitors profile.
std::vector<int> usedProfiles(const analysis::LimitsSnapshot &snapshot) {
    std::vector<bool> used(config::kProfileCount, false);
    for (const analysis::UserEntry &user : snapshot.users)
        if (user.active && user.profile >= 0 && user.profile < config::kProfileCount)
            used[size_t(user.profile)] = true;
    used[config::kVisitorsProfile] = true;
    std::vector<int> profiles;
    for (int profile = 0; profile < config::kProfileCount; ++profile)
        if (used[size_t(profile)])
            profiles.push_back(profile);
    return profiles;
}

class AuditReportBuilder {
public:
    explicit AuditReportBuilder(const AuditReportInput &input)
        : m_input(input), m_settings(input.settings), m_plant(*input.plant),
          m_from(int(input.from.toJulianDay())), m_to(int(input.to.toJulianDay())) {
        m_period = m_plant;
        std::erase_if(m_period.accesses, [this](const Access &access) {
            return access.day < m_from || access.day > m_to;
        });
        m_compliance = analysis::dailyCompliance(m_period);
        m_health = analysis::testerHealth(m_period, m_settings);
        m_drift = analysis::driftWatch(m_plant, m_to, m_settings);
        m_exceptions = analysis::dayExceptions(m_period, m_from, m_to, m_settings);
    }

    document::ReportDocument build() const {
        document::ReportDocument report;
        report.title = m_input.title;
        report.period = QStringLiteral("%1 to %2").arg(dayText(m_from), dayText(m_to));
        report.generated = m_input.generated;
        report.sections = {summarySection(),    limitsSection(),     testersSection(),
                           exceptionsSection(), driftSection(),      retestsSection(),
                           personsSection(),    dataQualitySection()};
        // Calibrations and configuration changes are recorded by collecting;
        // a table knows of neither, and "none" would read as a fact.
        if (!m_input.fromTable)
            report.sections.insert(report.sections.begin() + 2,
                                   calibrationSection(m_plant, m_from, m_to));
        if (!m_input.integrity.empty())
            report.sections.insert(
                report.sections.begin() + 1,
                {QStringLiteral("Archive integrity"), {document::Summary{m_input.integrity}}});
        return report;
    }

private:
    QString testerName(int tester) const {
        return m_plant.testers[static_cast<size_t>(tester)].name;
    }
    // The name the person had on the day, as the user table then said.
    QString personName(int tester, int user, int day) const {
        const analysis::UserEntry *entry = analysis::userInForce(m_plant, tester, user, day);
        return entry && !entry->name.isEmpty() ? entry->name : QStringLiteral("-");
    }

    int exceptionCount() const {
        int count = 0;
        for (const analysis::DayExceptions &day : m_exceptions)
            count += int(day.failedNotPassed.size() + day.relayWithoutPass.size());
        return count;
    }

    int outOfControlTesters() const {
        return int(std::count_if(
            m_health.begin(), m_health.end(),
            [](const auto &health) { return !health.failRate.daysOutside.empty(); }));
    }

    // A table was never collected: its testers are not silent for that.
    bool silentByCollection(const analysis::TesterHealth &health) const {
        return health.silentByCollection && !m_input.fromTable;
    }

    QStringList quietDaysInPeriod(const analysis::TesterHealth &health) const {
        QStringList days;
        for (int quiet : health.quietDays)
            if (quiet >= m_from && quiet <= m_to)
                days.append(dayText(quiet));
        return days;
    }

    std::vector<std::pair<int, int>> flaggedPersons() const {
        std::vector<std::pair<int, int>> persons;
        for (const analysis::DriftResult &result : m_drift)
            if (result.flagged() &&
                (persons.empty() || persons.back() != std::pair(result.tester, result.user)))
                persons.emplace_back(result.tester, result.user);
        return persons;
    }

    Section summarySection() const {
        QSet<qint64> persons;
        int firstPassed = 0;
        for (const analysis::PersonDay &day : m_compliance) {
            persons.insert(qint64(day.tester) << 16 | day.user);
            firstPassed += day.first.pass ? 1 : 0;
        }
        const int silent =
            int(std::count_if(m_health.begin(), m_health.end(), [this](const auto &health) {
                return silentByCollection(health) || !quietDaysInPeriod(health).isEmpty();
            }));
        Summary summary;
        summary.items = {
            {QStringLiteral("Period"),
             QStringLiteral("%1 to %2 (%3)")
                 .arg(dayText(m_from), dayText(m_to))
                 .arg(countText(m_to - m_from + 1, QStringLiteral("day"), QStringLiteral("days")))},
            {QStringLiteral("Testers"), QString::number(m_plant.testers.size())},
            {QStringLiteral("Persons tested"), QString::number(persons.size())},
            {QStringLiteral("Attempts"), QString::number(m_period.accesses.size())},
            {QStringLiteral("First attempts that passed"),
             m_compliance.empty()
                 ? QStringLiteral("-")
                 : QStringLiteral("%1 of %2 person-days (%3)")
                       .arg(firstPassed)
                       .arg(m_compliance.size())
                       .arg(percentText(double(firstPassed) / double(m_compliance.size())))},
            {QStringLiteral("Exceptions"), QString::number(exceptionCount())},
            {QStringLiteral("Persons drifting toward a limit"),
             QString::number(flaggedPersons().size())},
            {QStringLiteral("Testers silent or out of control"),
             QString::number(silent + outOfControlTesters())},
        };
        return {QStringLiteral("Summary"), {summary}};
    }

    Section limitsSection() const {
        Table table = headedTable(QStringLiteral(
            "Tester|In force from|Mode|Profile|Checks|Footwear (kΩ)|Wrist strap (kΩ)"));
        for (size_t tester = 0; tester < m_plant.testers.size(); ++tester) {
            const std::vector<analysis::LimitsSnapshot> &snapshots = m_plant.testers[tester].limits;
            for (size_t i = 0; i < snapshots.size(); ++i) {
                if (!inForceDuringPeriod(snapshots, i))
                    continue;
                const analysis::LimitsSnapshot &snapshot = snapshots[i];
                const QString from = m_input.fromTable ? QStringLiteral("every row")
                                     : i == 0 ? QStringLiteral("records began (first collected %1)")
                                                    .arg(dayText(snapshot.fromDay))
                                              : dayText(snapshot.fromDay);
                const bool handFree = snapshot.mode == analysis::Mode::HandFree;
                for (int profile : usedProfiles(snapshot)) {
                    const analysis::ProfileLimits &limits = snapshot.profiles[size_t(profile)];
                    table.rows.push_back(
                        {testerName(int(tester)), from,
                         handFree ? QStringLiteral("HandFree") : QStringLiteral("Normal"),
                         profileText(profile), checkText(limits.check, snapshot.mode),
                         rangeText(limits.footwear),
                         handFree ? QStringLiteral("-") : rangeText(limits.wristStrap)});
                }
            }
            if (snapshots.empty())
                table.rows.push_back({testerName(int(tester)),
                                      m_input.fromTable
                                          ? QStringLiteral("limits unknown")
                                          : QStringLiteral("never collected: limits unknown"),
                                      {},
                                      {},
                                      {},
                                      {},
                                      {}});
        }
        std::vector<Block> blocks{
            Paragraph{
                m_input.fromTable
                    ? QStringLiteral("The limits of each profile that an active user or a "
                                     "visitor uses, as the configuration in the "
                                     "Configuration view holds them.")
                    : QStringLiteral("The limits of each profile that an active user or a visitor "
                                     "uses, as the testers' configurations held them, with the day "
                                     "each configuration was first collected.")},
            table};
        if (!m_input.fromTable)
            std::ranges::move(configurationChangeBlocks(m_plant, m_from, m_to),
                              std::back_inserter(blocks));
        return {QStringLiteral("Limits in force"), blocks};
    }

    // In force during the period: it started before its end and the next one
    // did not start before its beginning.
    bool inForceDuringPeriod(const std::vector<analysis::LimitsSnapshot> &snapshots,
                             size_t i) const {
        if (snapshots[i].fromDay > m_to && i > 0)
            return false;
        return i + 1 == snapshots.size() || snapshots[i + 1].fromDay > m_from;
    }

    Section testersSection() const {
        std::vector<std::map<int, charts::DayCounts>> countsByTester(m_plant.testers.size());
        for (const Access &access : m_period.accesses) {
            charts::DayCounts &counts = countsByTester[size_t(access.tester)][access.day];
            counts.day = access.day;
            (access.pass ? counts.passed : counts.failed) += 1;
        }
        std::vector<Block> blocks;
        for (const analysis::TesterHealth &health : m_health) {
            const QString name = testerName(health.tester);
            blocks.push_back(healthSummary(health));
            charts::DailyAttemptsChart attempts{
                QStringLiteral("%1: tests per day").arg(name), m_from, m_to, {}};
            for (const auto &[day, counts] : countsByTester[size_t(health.tester)])
                attempts.days.push_back(counts);
            blocks.push_back(attempts);
            charts::FailRateChart rate{QStringLiteral("%1: fail rate per day").arg(name),
                                       m_from,
                                       m_to,
                                       health.failRate.meanRate,
                                       {}};
            for (const analysis::FailRateDay &day : health.failRate.days)
                rate.days.push_back({day.day, day.rate, day.lower, day.upper, day.outside()});
            blocks.push_back(rate);
        }
        return {QStringLiteral("Testers"), blocks};
    }

    Summary healthSummary(const analysis::TesterHealth &health) const {
        const QStringList quiet = quietDaysInPeriod(health);
        QStringList outside;
        for (int day : health.failRate.daysOutside)
            outside.append(dayText(day));
        Summary summary;
        summary.items = {{QStringLiteral("Tester"), testerName(health.tester)}};
        if (m_input.fromTable)
            std::ranges::move(tableItems(health.tester), std::back_inserter(summary.items));
        else
            std::ranges::move(collectionItems(health), std::back_inserter(summary.items));
        summary.items.push_back(
            {QStringLiteral("Silent"),
             silentByCollection(health) ? QStringLiteral("no successful collection for %1 h")
                                              .arg(m_settings.silentAfterMs / kMsPerHour)
             : quiet.isEmpty() ? QStringLiteral("no")
                               : QStringLiteral("no record from %1").arg(quiet.join(", "))});
        if (!m_input.fromTable)
            summary.items.push_back({QStringLiteral("Datalogger fullness"),
                                     health.fullness ? QStringLiteral("%1 of %2 records (%3)")
                                                           .arg(*health.imageRecords)
                                                           .arg(records::kMaxAccessRecords)
                                                           .arg(percentText(*health.fullness))
                                                     : QStringLiteral("unknown")});
        summary.items.push_back(
            {QStringLiteral("Fail rate"),
             QStringLiteral("%1 of %2 (%3)%4")
                 .arg(health.failRate.fails)
                 .arg(countText(health.failRate.attempts, QStringLiteral("test"),
                                QStringLiteral("tests")))
                 .arg(percentText(health.failRate.meanRate))
                 .arg(outside.isEmpty() ? QString()
                                        : QStringLiteral("; outside its control limits on ") +
                                              outside.join(QStringLiteral(", ")))});
        return summary;
    }

    // What the archive knows of its collections of the tester.
    std::vector<document::KeyValue> collectionItems(const analysis::TesterHealth &health) const {
        int failedCollections = 0;
        for (const analysis::CollectionAttempt &attempt :
             m_plant.testers[size_t(health.tester)].attempts)
            if (!attempt.succeeded &&
                QDateTime::fromMSecsSinceEpoch(attempt.startedMs).date().toJulianDay() >= m_from)
                ++failedCollections;
        return {{QStringLiteral("Last successful collection"),
                 health.lastSuccessMs ? QDateTime::fromMSecsSinceEpoch(*health.lastSuccessMs)
                                            .toString(QStringLiteral("yyyy-MM-dd hh:mm"))
                                      : QStringLiteral("never")},
                {QStringLiteral("Failed collections in the period"),
                 QString::number(failedCollections)}};
    }

    // What the manager's table holds of the tester: its rows, first and last.
    std::vector<document::KeyValue> tableItems(int tester) const {
        qint64 rows = 0;
        std::optional<std::pair<int, int>> first;
        std::optional<std::pair<int, int>> last;
        for (const Access &access : m_plant.accesses) {
            if (access.tester != tester)
                continue;
            ++rows;
            const std::pair at(access.day, access.second);
            first = first ? std::min(*first, at) : at;
            last = last ? std::max(*last, at) : at;
        }
        const qint64 invalid =
            size_t(tester) < m_input.invalidTimes.size() ? m_input.invalidTimes[size_t(tester)] : 0;
        const auto when = [](const std::optional<std::pair<int, int>> &at) {
            return at ? dayText(at->first) + QLatin1Char(' ') + timeText(at->second)
                      : QStringLiteral("-");
        };
        QString rowText = countText(rows + invalid, QStringLiteral("row"), QStringLiteral("rows"));
        if (invalid > 0)
            rowText += QStringLiteral(" (%1 without a valid date and time)").arg(invalid);
        return {{QStringLiteral("Rows in the table"), rowText},
                {QStringLiteral("First record"), when(first)},
                {QStringLiteral("Last record"), when(last)}};
    }

    Section exceptionsSection() const {
        Table table = headedTable(QStringLiteral("Date|Tester|User|Name|What|Time|Values (kΩ)"));
        table.alignRight = {false, false, true};
        for (const analysis::DayExceptions &day : m_exceptions) {
            for (const analysis::UnresolvedFailure &failure : day.failedNotPassed)
                table.rows.push_back(
                    {dayText(day.day), testerName(failure.tester), QString::number(failure.user),
                     personName(failure.tester, failure.user, day.day),
                     QStringLiteral("failed %1×, not passed afterwards").arg(failure.fails),
                     timeText(failure.lastFail.second), measuredText(failure.lastFail)});
            for (const Access &access : day.relayWithoutPass)
                table.rows.push_back({dayText(day.day), testerName(access.tester),
                                      QString::number(access.user),
                                      personName(access.tester, access.user, day.day),
                                      QStringLiteral("relay on without a pass"),
                                      timeText(access.second), measuredText(access)});
        }
        if (table.rows.empty())
            return {QStringLiteral("Exceptions"),
                    {Paragraph{QStringLiteral("No exception in the period.")}}};
        return {QStringLiteral("Exceptions"), {table}};
    }

    // One person's trend in the drift window, wrist strap or footwear.
    charts::PersonTrend driftTrend(int tester, int user, bool footwear) const {
        const QString title =
            QStringLiteral("%1, user %2: %3, %4")
                .arg(testerName(tester))
                .arg(user)
                .arg(personName(tester, user, m_to),
                     footwear ? QStringLiteral("footwear") : QStringLiteral("wrist strap"));
        const int windowFrom = m_to - m_settings.driftWindowDays + 1;
        return personTrend(m_plant, m_drift, {tester, user, footwear, windowFrom, m_to}, title);
    }

    Section driftSection() const {
        std::vector<Block> blocks;
        blocks.push_back(Paragraph{
            QStringLiteral(
                "Daily medians over the %1 days to %2, in log10 of the resistance. A trend is "
                "drawn "
                "when its Theil–Sen slope is significant (95 % interval from Kendall's tau); a "
                "person is flagged when that trend reaches a limit within %3 days, or when the "
                "smoothed level (EWMA, λ = %4) lies within a factor of %5 of a limit.")
                .arg(m_settings.driftWindowDays)
                .arg(dayText(m_to))
                .arg(m_settings.crossingWithinDays)
                .arg(QString::number(m_settings.ewmaLambda),
                     QString::number(m_settings.nearLimitFactor))});
        const std::vector<std::pair<int, int>> flagged = flaggedPersons();
        if (int(flagged.size()) > kMaxChartedPersons)
            blocks.push_back(Paragraph{
                QStringLiteral("Charts for the %1 most urgent of the %2 flagged persons (the "
                               "soonest crossing first); every flagged person is in the table "
                               "below.")
                    .arg(kMaxChartedPersons)
                    .arg(flagged.size()),
                {}});
        for (const auto &[tester, user, footwear] : drawnTrends())
            blocks.push_back(driftTrend(tester, user, footwear));
        blocks.push_back(Paragraph{QStringLiteral(
            "Every person and every measure their profile checks: level is the smoothed daily "
            "median; margin the factor between it and the nearer limit; * marks a significant "
            "slope.")});
        blocks.push_back(driftTable());
        return {QStringLiteral("Drift watch"), blocks};
    }

    // Flagged persons with the measures that flag them, then the chosen ones
    // with every measure watched.
    std::vector<std::tuple<int, int, bool>> drawnTrends() const {
        std::vector<std::tuple<int, int, bool>> trends;
        auto add = [&trends](int tester, int user, bool footwear) {
            if (std::find(trends.begin(), trends.end(), std::tuple(tester, user, footwear)) ==
                trends.end())
                trends.emplace_back(tester, user, footwear);
        };
        // A plant of thousands would draw thousands of charts: the most
        // urgent persons are drawn, every one stays in the table.
        std::vector<const analysis::DriftResult *> flagged;
        for (const analysis::DriftResult &result : m_drift)
            if (result.flagged())
                flagged.push_back(&result);
        const auto urgency = [](const analysis::DriftResult *r) {
            return r->crossingSoon && r->daysToCrossing ? *r->daysToCrossing
                                                        : std::numeric_limits<double>::infinity();
        };
        std::stable_sort(flagged.begin(), flagged.end(),
                         [&](const analysis::DriftResult *a, const analysis::DriftResult *b) {
                             return urgency(a) < urgency(b);
                         });
        std::vector<std::pair<int, int>> charted;
        for (const analysis::DriftResult *result : flagged) {
            const std::pair person(result->tester, result->user);
            if (std::find(charted.begin(), charted.end(), person) == charted.end()) {
                if (int(charted.size()) == kMaxChartedPersons)
                    continue;
                charted.push_back(person);
            }
            add(result->tester, result->user, isFootwear(result->measure));
        }
        for (const auto &[tester, user] : m_input.chosenPersons)
            for (const analysis::DriftResult &result : m_drift)
                if (result.tester == tester && result.user == user)
                    add(tester, user, isFootwear(result.measure));
        return trends;
    }

    // One row per person, flagged persons first: 5,000 persons must stay a
    // table that a mail can carry.
    Table driftTable() const {
        Table table = headedTable(
            QStringLiteral("Tester|User|Name|Days|Level (kΩ)|Margin|Slope (%/day)|Flag"));
        table.alignRight = {false, true, false, true};
        struct Row {
            bool flagged = false;
            QStringList cells;
        };
        std::vector<Row> rows;
        for (size_t i = 0; i < m_drift.size();) {
            const analysis::DriftResult &first = m_drift[i];
            QStringList levels, margins, slopes, flags;
            bool flagged = false;
            int days = 0;
            for (; i < m_drift.size() && m_drift[i].tester == first.tester &&
                   m_drift[i].user == first.user;
                 ++i) {
                const analysis::DriftResult &result = m_drift[i];
                const QString measure = measureName(result.measure) + QLatin1Char(' ');
                days = std::max(days, result.daysUsed);
                levels.append(measure + kohmText(result.lastEwmaKohm));
                margins.append(measure + marginText(result));
                slopes.append(measure +
                              (result.fitted
                                   ? slopePercentText(result.slopePerDay, 2) +
                                         (result.significant ? QStringLiteral("*") : QString())
                                   : QStringLiteral("-")));
                if (!result.limitsKnown && flags.isEmpty())
                    flags.append(QStringLiteral("limits unknown"));
                if (result.crossingSoon && result.daysToCrossing)
                    flags.append(measure + QStringLiteral("reaches its limit in ") +
                                 countText(analysis::wholeDaysToCrossing(*result.daysToCrossing),
                                           QStringLiteral("day"), QStringLiteral("days")));
                if (result.nearSide)
                    flags.append(measure + QStringLiteral("near its limit"));
                flagged = flagged || result.flagged();
            }
            rows.push_back({flagged,
                            {testerName(first.tester), QString::number(first.user),
                             personName(first.tester, first.user, m_to), QString::number(days),
                             levels.join(QStringLiteral(", ")), margins.join(QStringLiteral(", ")),
                             slopes.join(QStringLiteral(", ")), flags.join(QStringLiteral("; "))}});
        }
        const auto unflagged = std::stable_partition(rows.begin(), rows.end(),
                                                     [](const Row &row) { return row.flagged; });
        // A large plant keeps its flagged persons here, everyone in a file.
        table.detachAs = QStringLiteral("drift");
        table.keepRows = int(unflagged - rows.begin());
        for (Row &row : rows)
            table.rows.push_back(std::move(row.cells));
        return table;
    }

    Section retestsSection() const {
        const analysis::Retests retests = analysis::retests(m_compliance);
        const analysis::RetestDistribution &overall = retests.overall;
        std::vector<Block> blocks;
        blocks.push_back(Summary{{
            {QStringLiteral("Person-days with a pass"), QString::number(overall.passedDays)},
            {QStringLiteral("Person-days without a pass"), QString::number(overall.notPassedDays)},
            {QStringLiteral("Needed more than one attempt"), QString::number(overall.retestedDays)},
            {QStringLiteral("Mean attempts to pass"),
             QString::number(overall.meanAttempts, 'f', 2)},
            {QStringLiteral("Minutes to pass when retested (median, 90th percentile)"),
             overall.medianMinutes ? QStringLiteral("%1, %2")
                                         .arg(*overall.medianMinutes, 0, 'f', 1)
                                         .arg(overall.p90Minutes.value_or(0), 0, 'f', 1)
                                   : QStringLiteral("-")},
        }});
        blocks.push_back(charts::attemptsToPass(
            QStringLiteral("Attempts to pass"),
            std::vector<int>(overall.attemptsToPass.begin(), overall.attemptsToPass.end())));
        std::vector<charts::HourSpread> hours;
        for (int hour = 0; hour < int(retests.byHour.size()); ++hour)
            if (retests.byHour[size_t(hour)].medianMinutes)
                hours.push_back({hour, *retests.byHour[size_t(hour)].medianMinutes, {}, {}});
        charts::CategoryChart byHour = charts::timeToPassByHour(
            QStringLiteral("Minutes to pass by hour of the first attempt"), hours);
        byHour.spreadName.clear();
        blocks.push_back(byHour);
        Table table =
            headedTable(QStringLiteral("Month|Passed|Retested|Mean attempts|Median minutes"));
        table.alignRight = {false, true, true, true, true};
        for (const analysis::MonthRetests &month : retests.byMonth) {
            const analysis::RetestDistribution &figures = month.distribution;
            table.rows.push_back(
                {QStringLiteral("%1-%2").arg(month.year).arg(month.month, 2, 10, QLatin1Char('0')),
                 QString::number(figures.passedDays), QString::number(figures.retestedDays),
                 QString::number(figures.meanAttempts, 'f', 2),
                 figures.medianMinutes ? QString::number(*figures.medianMinutes, 'f', 1)
                                       : QStringLiteral("-")});
        }
        blocks.push_back(table);
        return {QStringLiteral("Retests"), blocks};
    }

    Section personsSection() const {
        struct Figures {
            int tests = 0;
            int days = 0;
            int firstPassed = 0;
            int fails = 0;
            int lastDay = 0;
            int lastSecond = 0;
        };
        std::map<std::pair<int, int>, Figures> byPerson;
        for (const analysis::PersonDay &day : m_compliance) {
            Figures &figures = byPerson[{day.tester, day.user}];
            figures.tests += day.attempts;
            figures.days += 1;
            figures.firstPassed += day.first.pass ? 1 : 0;
            figures.fails += day.fails;
        }
        for (const Access &access : m_period.accesses) {
            Figures &figures = byPerson[{access.tester, int(access.user)}];
            figures.lastDay = access.day;
            figures.lastSecond = access.second;
        }
        Table table = headedTable(
            QStringLiteral("Tester|User|Name|Tests|First attempt passed|Failures|Last test"));
        table.alignRight = {false, true, false, true, true, true, false};
        for (const auto &[person, figures] : byPerson) {
            const auto &[tester, user] = person;
            table.rows.push_back(
                {testerName(tester), QString::number(user), personName(tester, user, m_to),
                 QString::number(figures.tests),
                 QStringLiteral("%1 of %2")
                     .arg(percentText(double(figures.firstPassed) / std::max(1, figures.days)))
                     .arg(countText(figures.days, QStringLiteral("day"), QStringLiteral("days"))),
                 QString::number(figures.fails),
                 dayText(figures.lastDay) + QLatin1Char(' ') + timeText(figures.lastSecond)});
        }
        table.detachAs = QStringLiteral("persons");
        return {QStringLiteral("Persons"), {table}};
    }

    Section dataQualitySection() const {
        Table table = headedTable(QStringLiteral(
            "Tester|Records without a valid date|Accesses of users not in the user table"));
        table.alignRight = {false, true, false};
        std::vector<std::map<int, int>> unknownByTester(m_plant.testers.size());
        for (const Access &access : m_period.accesses) {
            const analysis::UserEntry *entry =
                analysis::userInForce(m_plant, access.tester, access.user, access.day);
            if (entry && !entry->active && !access.visitor)
                unknownByTester[size_t(access.tester)][access.user] += 1;
        }
        for (size_t tester = 0; tester < m_plant.testers.size(); ++tester) {
            const std::map<int, int> &unknown = unknownByTester[tester];
            QStringList users;
            int accesses = 0;
            for (const auto &[user, count] : unknown) {
                accesses += count;
                if (users.size() < kListedUnknownUsers)
                    users.append(QStringLiteral("%1 (%2)").arg(user).arg(count));
            }
            if (int(unknown.size()) > kListedUnknownUsers)
                users.append(
                    QStringLiteral("and %1 more users").arg(unknown.size() - kListedUnknownUsers));
            const qint64 invalid =
                tester < m_input.invalidTimes.size() ? m_input.invalidTimes[tester] : 0;
            table.rows.push_back({testerName(int(tester)), QString::number(invalid),
                                  accesses == 0 ? QStringLiteral("none")
                                                : QStringLiteral("%1: %2").arg(accesses).arg(
                                                      users.join(QStringLiteral(", ")))});
        }
        return {QStringLiteral("Data quality"),
                {Paragraph{QStringLiteral(
                     "Records whose stored date and time form no valid time are archived but "
                     "left out of every figure above (over the whole archive). Accesses of user "
                     "numbers that the user table in force did not hold as active are counted in "
                     "the figures; they point at a user table out of step with the tester.")},
                 table}};
    }

    const AuditReportInput &m_input;
    const analysis::AnalysisSettings &m_settings;
    const Plant &m_plant;
    int m_from;
    int m_to;
    Plant m_period;
    std::vector<analysis::PersonDay> m_compliance;
    std::vector<analysis::TesterHealth> m_health;
    std::vector<analysis::DriftResult> m_drift;
    std::vector<analysis::DayExceptions> m_exceptions;
};

} // namespace

document::ReportDocument auditReport(const AuditReportInput &input) {
    return AuditReportBuilder(input).build();
}

} // namespace nxa::audit
