#include "audit/AuditReport.h"

#include "audit/AnalysisTexts.h"

#include "audit/PersonTrend.h"
#include "audit/PlanSections.h"

#include "analysis/DailyCompliance.h"
#include "analysis/DayExceptions.h"
#include "analysis/DriftWatch.h"
#include "analysis/LimitsInForce.h"
#include "analysis/Retests.h"
#include "analysis/TesterHealth.h"
#include "charts/ChartInputs.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace nxa::audit {

namespace {

using analysis::Access;
using analysis::Plant;
using charts::Block;
using charts::Section;
using charts::Table;

constexpr double kPercent = 100.0;
constexpr int kProfileNumberBase = 1;
// Unknown user numbers listed per tester before the rest is only counted.
constexpr int kListedUnknownUsers = 20;

QString percentText(double share) {
    return QStringLiteral("%1 %").arg(share * kPercent, 0, 'f', 1);
}

QString kohmText(double kohm) {
    return std::isfinite(kohm) ? QString::number(std::llround(kohm)) : QStringLiteral("-");
}

QString rangeText(const analysis::Range &range) {
    auto side = [](const std::optional<std::int64_t> &v) {
        return v ? QString::number(*v) : QStringLiteral("none");
    };
    return QStringLiteral("%1 to %2").arg(side(range.minKohm), side(range.maxKohm));
}

QString slopeText(double log10PerDay) {
    return slopePercentText(log10PerDay, 2);
}

QString checkText(analysis::Check check, analysis::Mode mode) {
    if (mode == analysis::Mode::HandFree)
        return QStringLiteral("L+R");
    switch (check) {
    case analysis::Check::WristStrapAndShoes:
        return QStringLiteral("WS + Shoes");
    case analysis::Check::WristStrap:
        return QStringLiteral("WS");
    case analysis::Check::Shoes:
        return QStringLiteral("Shoes");
    }
    return {};
}

class Builder {
public:
    explicit Builder(const AuditReportInput &input)
        : m_in(input), m_plant(*input.plant), m_from(int(input.from.toJulianDay())),
          m_to(int(input.to.toJulianDay())) {
        m_period = m_plant;
        std::erase_if(m_period.accesses,
                      [this](const Access &a) { return a.day < m_from || a.day > m_to; });
        m_compliance = analysis::dailyCompliance(m_period);
        m_health = analysis::testerHealth(m_period);
        m_drift = analysis::driftWatch(m_plant, m_to);
        m_exceptions = analysis::dayExceptions(m_period, m_from, m_to);
    }

    charts::ReportDocument build() {
        charts::ReportDocument doc;
        doc.title = m_in.title;
        doc.period = QStringLiteral("%1 to %2").arg(dayText(m_from), dayText(m_to));
        doc.generated = m_in.generated;
        doc.sections = {summary(), limits(),  testers(), exceptions(),
                        drift(),   retests(), persons(), dataQuality()};
        doc.sections.insert(doc.sections.begin() + 2, calibrationSection(m_plant, m_from, m_to));
        return doc;
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
        for (const analysis::DayExceptions &e : m_exceptions)
            count += int(e.failedNotPassed.size() + e.relayWithoutPass.size());
        return count;
    }

    Section summary() const {
        QSet<qint64> persons;
        int firstPassed = 0;
        for (const analysis::PersonDay &d : m_compliance) {
            persons.insert(qint64(d.tester) << 16 | d.user);
            firstPassed += d.first.pass ? 1 : 0;
        }
        const int silent =
            int(std::count_if(m_health.begin(), m_health.end(), [this](const auto &h) {
                return h.silentByCollection || !quietDaysInPeriod(h).isEmpty();
            }));
        charts::Summary s;
        s.items = {
            {QStringLiteral("Period"), QStringLiteral("%1 to %2 (%3 days)")
                                           .arg(dayText(m_from), dayText(m_to))
                                           .arg(m_to - m_from + 1)},
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
        return {QStringLiteral("Summary"), {s}};
    }

    int outOfControlTesters() const {
        return int(std::count_if(m_health.begin(), m_health.end(),
                                 [](const auto &h) { return !h.failRate.daysOutside.empty(); }));
    }

    QStringList quietDaysInPeriod(const analysis::TesterHealth &h) const {
        QStringList days;
        for (int q : h.quietDays)
            if (q >= m_from && q <= m_to)
                days.append(dayText(q));
        return days;
    }

    Section limits() const {
        Table t;
        t.header = {QStringLiteral("Tester"),
                    QStringLiteral("In force from"),
                    QStringLiteral("Mode"),
                    QStringLiteral("Profile"),
                    QStringLiteral("Checks"),
                    QStringLiteral("Footwear (kΩ)"),
                    QStringLiteral("Wrist strap (kΩ)")};
        std::vector<Block> blocks;
        for (size_t tester = 0; tester < m_plant.testers.size(); ++tester) {
            const auto &snapshots = m_plant.testers[tester].limits;
            for (size_t i = 0; i < snapshots.size(); ++i) {
                const analysis::LimitsSnapshot &s = snapshots[i];
                const bool last = i + 1 == snapshots.size();
                // In force during the period: it started before its end and
                // the next one did not start before its beginning.
                if (s.fromDay > m_to && i > 0)
                    continue;
                if (!last && snapshots[i + 1].fromDay <= m_from)
                    continue;
                const QString from = i == 0 ? QStringLiteral("records began (first collected %1)")
                                                  .arg(dayText(s.fromDay))
                                            : dayText(s.fromDay);
                for (int p : usedProfiles(s)) {
                    const analysis::ProfileLimits &l = s.profiles[size_t(p)];
                    const bool handFree = s.mode == analysis::Mode::HandFree;
                    t.rows.push_back(
                        {testerName(int(tester)), from,
                         handFree ? QStringLiteral("HandFree") : QStringLiteral("Normal"),
                         p == analysis::kVisitorsProfileIndex
                             ? QStringLiteral("Visitors")
                             : QString::number(p + kProfileNumberBase),
                         checkText(l.check, s.mode), rangeText(l.footwear),
                         handFree ? QStringLiteral("-") : rangeText(l.wristStrap)});
                }
            }
            if (snapshots.empty())
                t.rows.push_back({testerName(int(tester)),
                                  QStringLiteral("never collected: limits unknown"),
                                  {},
                                  {},
                                  {},
                                  {},
                                  {}});
        }
        blocks.push_back(charts::Paragraph{QStringLiteral(
            "The limits of each profile that an active user or a visitor uses, as the testers' "
            "configurations held them, with the day each configuration was first collected.")});
        blocks.push_back(t);
        std::ranges::move(configurationChangeBlocks(m_plant, m_from, m_to),
                          std::back_inserter(blocks));
        return {QStringLiteral("Limits in force"), blocks};
    }

    // The profiles an active user has, and the visitors profile.
    static std::vector<int> usedProfiles(const analysis::LimitsSnapshot &s) {
        std::vector<bool> used(analysis::kProfilesPerTester, false);
        for (const analysis::UserEntry &u : s.users)
            if (u.active && u.profile >= 0 && u.profile < analysis::kProfilesPerTester)
                used[size_t(u.profile)] = true;
        used[analysis::kVisitorsProfileIndex] = true;
        std::vector<int> profiles;
        for (int p = 0; p < analysis::kProfilesPerTester; ++p)
            if (used[size_t(p)])
                profiles.push_back(p);
        return profiles;
    }

    Section testers() const {
        std::vector<Block> blocks;
        std::vector<std::map<int, charts::DayCounts>> counts(m_plant.testers.size());
        for (const Access &a : m_period.accesses) {
            charts::DayCounts &c = counts[size_t(a.tester)][a.day];
            c.day = a.day;
            (a.pass ? c.passed : c.failed) += 1;
        }
        for (const analysis::TesterHealth &h : m_health) {
            const QString name = testerName(h.tester);
            charts::Summary health;
            int failedCollections = 0;
            for (const analysis::CollectionAttempt &a : m_plant.testers[size_t(h.tester)].attempts)
                if (!a.succeeded &&
                    QDateTime::fromMSecsSinceEpoch(a.startedMs).date().toJulianDay() >= m_from)
                    ++failedCollections;
            const QStringList quiet = quietDaysInPeriod(h);
            QStringList outside;
            for (int d : h.failRate.daysOutside)
                outside.append(dayText(d));
            health.items = {
                {QStringLiteral("Tester"), name},
                {QStringLiteral("Last successful collection"),
                 h.lastSuccessMs ? QDateTime::fromMSecsSinceEpoch(*h.lastSuccessMs)
                                       .toString(QStringLiteral("yyyy-MM-dd hh:mm"))
                                 : QStringLiteral("never")},
                {QStringLiteral("Failed collections in the period"),
                 QString::number(failedCollections)},
                {QStringLiteral("Silent"),
                 h.silentByCollection ? QStringLiteral("no successful collection for 26 h")
                 : quiet.isEmpty()    ? QStringLiteral("no")
                                      : QStringLiteral("no record from %1").arg(quiet.join(", "))},
                {QStringLiteral("Datalogger fullness"),
                 h.fullness ? QStringLiteral("%1 of 10000 records (%2)")
                                  .arg(*h.imageRecords)
                                  .arg(percentText(*h.fullness))
                            : QStringLiteral("unknown")},
                {QStringLiteral("Fail rate"),
                 QStringLiteral("%1 of %2 tests (%3)%4")
                     .arg(h.failRate.fails)
                     .arg(h.failRate.attempts)
                     .arg(percentText(h.failRate.meanRate))
                     .arg(outside.isEmpty() ? QString()
                                            : QStringLiteral("; outside its control limits on ") +
                                                  outside.join(QStringLiteral(", ")))},
            };
            blocks.push_back(health);
            charts::DailyAttemptsChart attempts{
                QStringLiteral("%1: tests per day").arg(name), m_from, m_to, {}};
            for (const auto &[day, c] : counts[size_t(h.tester)])
                attempts.days.push_back(c);
            blocks.push_back(attempts);
            charts::FailRateChart rate{QStringLiteral("%1: fail rate per day").arg(name),
                                       m_from,
                                       m_to,
                                       h.failRate.meanRate,
                                       {}};
            for (const analysis::FailRateDay &d : h.failRate.days)
                rate.days.push_back({d.day, d.rate, d.lower, d.upper, d.outside()});
            blocks.push_back(rate);
        }
        return {QStringLiteral("Testers"), blocks};
    }

    Section exceptions() const {
        Table t;
        t.header = {QStringLiteral("Date"),       QStringLiteral("Tester"), QStringLiteral("User"),
                    QStringLiteral("Name"),       QStringLiteral("What"),   QStringLiteral("Time"),
                    QStringLiteral("Values (kΩ)")};
        t.alignRight = {false, false, true};
        for (const analysis::DayExceptions &e : m_exceptions) {
            for (const analysis::UnresolvedFailure &f : e.failedNotPassed)
                t.rows.push_back({dayText(e.day), testerName(f.tester), QString::number(f.user),
                                  personName(f.tester, f.user, e.day),
                                  QStringLiteral("failed %1×, not passed afterwards").arg(f.fails),
                                  timeText(f.lastFail.second), measuredText(f.lastFail)});
            for (const Access &a : e.relayWithoutPass)
                t.rows.push_back({dayText(e.day), testerName(a.tester), QString::number(a.user),
                                  personName(a.tester, a.user, e.day),
                                  QStringLiteral("relay on without a pass"), timeText(a.second),
                                  measuredText(a)});
        }
        std::vector<Block> blocks;
        if (t.rows.empty())
            blocks.push_back(charts::Paragraph{QStringLiteral("No exception in the period.")});
        else
            blocks.push_back(t);
        return {QStringLiteral("Exceptions"), blocks};
    }

    std::vector<std::pair<int, int>> flaggedPersons() const {
        std::vector<std::pair<int, int>> persons;
        for (const analysis::DriftResult &d : m_drift)
            if (d.flagged() && (persons.empty() || persons.back() != std::pair(d.tester, d.user)))
                persons.emplace_back(d.tester, d.user);
        return persons;
    }

    // One person's trend in the drift window, wrist strap or footwear.
    charts::PersonTrend trendOf(int tester, int user, bool footwear) const {
        const QString title =
            QStringLiteral("%1, user %2: %3, %4")
                .arg(testerName(tester))
                .arg(user)
                .arg(personName(tester, user, m_to),
                     footwear ? QStringLiteral("footwear") : QStringLiteral("wrist strap"));
        const int windowFrom = m_to - analysis::AnalysisSettings{}.driftWindowDays + 1;
        return personTrend(m_plant, m_drift, {tester, user, footwear, windowFrom, m_to}, title);
    }

    Section drift() const {
        std::vector<Block> blocks;
        blocks.push_back(charts::Paragraph{
            QStringLiteral(
                "Daily medians over the %1 days to %2, in log10 of the resistance. A trend is "
                "drawn "
                "when its Theil–Sen slope is significant (95 % interval from Kendall's tau); a "
                "person is flagged when that trend reaches a limit within 30 days, or when the "
                "smoothed level (EWMA, λ = 0.2) lies within a factor of 1.5 of a limit.")
                .arg(analysis::AnalysisSettings{}.driftWindowDays)
                .arg(dayText(m_to))});
        // Flagged persons with the measures that flag them, then the chosen
        // ones with every measure watched.
        std::vector<std::tuple<int, int, bool>> charts;
        auto add = [&charts](int tester, int user, bool footwear) {
            if (std::find(charts.begin(), charts.end(), std::tuple(tester, user, footwear)) ==
                charts.end())
                charts.emplace_back(tester, user, footwear);
        };
        for (const analysis::DriftResult &d : m_drift)
            if (d.flagged())
                add(d.tester, d.user, isFootwear(d.measure));
        for (const auto &[tester, user] : m_in.chosenPersons)
            for (const analysis::DriftResult &d : m_drift)
                if (d.tester == tester && d.user == user)
                    add(tester, user, isFootwear(d.measure));
        for (const auto &[tester, user, footwear] : charts)
            blocks.push_back(trendOf(tester, user, footwear));

        // One row per person, flagged persons first: 5,000 persons must
        // stay a table that a mail can carry.
        Table t;
        t.header = {QStringLiteral("Tester"),        QStringLiteral("User"),
                    QStringLiteral("Name"),          QStringLiteral("Days"),
                    QStringLiteral("Level (kΩ)"),    QStringLiteral("Margin"),
                    QStringLiteral("Slope (%/day)"), QStringLiteral("Flag")};
        t.alignRight = {false, true, false, true};
        struct Row {
            bool flagged = false;
            QStringList cells;
        };
        std::vector<Row> rows;
        for (size_t i = 0; i < m_drift.size();) {
            const analysis::DriftResult &first = m_drift[i];
            QStringList level, margin, slope, flags;
            bool flagged = false;
            int days = 0;
            for (; i < m_drift.size() && m_drift[i].tester == first.tester &&
                   m_drift[i].user == first.user;
                 ++i) {
                const analysis::DriftResult &d = m_drift[i];
                const QString m = measureName(d.measure) + QLatin1Char(' ');
                days = std::max(days, d.daysUsed);
                level.append(m + kohmText(d.lastEwmaKohm));
                margin.append(m + marginText(d));
                slope.append(m + (d.fitted ? slopeText(d.slopePerDay) +
                                                 (d.significant ? QStringLiteral("*") : QString())
                                           : QStringLiteral("-")));
                if (!d.limitsKnown && flags.isEmpty())
                    flags.append(QStringLiteral("limits unknown"));
                if (d.crossingSoon && d.daysToCrossing)
                    flags.append(m + QStringLiteral("reaches its limit in %1 days")
                                         .arg(std::ceil(*d.daysToCrossing), 0, 'f', 0));
                if (d.nearSide)
                    flags.append(m + QStringLiteral("near its limit"));
                flagged = flagged || d.flagged();
            }
            rows.push_back({flagged,
                            {testerName(first.tester), QString::number(first.user),
                             personName(first.tester, first.user, m_to), QString::number(days),
                             level.join(QStringLiteral(", ")), margin.join(QStringLiteral(", ")),
                             slope.join(QStringLiteral(", ")), flags.join(QStringLiteral("; "))}});
        }
        std::stable_partition(rows.begin(), rows.end(), [](const Row &r) { return r.flagged; });
        for (Row &r : rows)
            t.rows.push_back(std::move(r.cells));
        blocks.push_back(charts::Paragraph{QStringLiteral(
            "Every person and every measure their profile checks: level is the smoothed daily "
            "median; margin the factor between it and the nearer limit; * marks a significant "
            "slope.")});
        blocks.push_back(t);
        return {QStringLiteral("Drift watch"), blocks};
    }

    static QString marginText(const analysis::DriftResult &d) {
        if (!d.limitsKnown || !std::isfinite(d.lastEwmaKohm) || d.lastEwmaKohm <= 0)
            return QStringLiteral("-");
        std::optional<double> factor;
        if (d.range.maxKohm)
            factor = double(*d.range.maxKohm) / d.lastEwmaKohm;
        if (d.range.minKohm && *d.range.minKohm > 0) {
            const double below = d.lastEwmaKohm / double(*d.range.minKohm);
            factor = factor ? std::min(*factor, below) : below;
        }
        return factor ? QStringLiteral("×%1").arg(*factor, 0, 'f', 2) : QStringLiteral("-");
    }

    Section retests() const {
        const analysis::Retests r = analysis::retests(m_compliance);
        std::vector<Block> blocks;
        const auto &overall = r.overall;
        blocks.push_back(charts::Summary{{
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
        for (int h = 0; h < 24; ++h)
            if (r.byHour[size_t(h)].medianMinutes)
                hours.push_back({h, *r.byHour[size_t(h)].medianMinutes, {}, {}});
        charts::CategoryChart byHour = charts::timeToPassByHour(
            QStringLiteral("Minutes to pass by hour of the first attempt"), hours);
        byHour.spreadName.clear();
        blocks.push_back(byHour);
        Table t;
        t.header = {QStringLiteral("Month"), QStringLiteral("Passed"), QStringLiteral("Retested"),
                    QStringLiteral("Mean attempts"), QStringLiteral("Median minutes")};
        t.alignRight = {false, true, true, true, true};
        for (const analysis::MonthRetests &m : r.byMonth)
            t.rows.push_back(
                {QStringLiteral("%1-%2").arg(m.year).arg(m.month, 2, 10, QLatin1Char('0')),
                 QString::number(m.distribution.passedDays),
                 QString::number(m.distribution.retestedDays),
                 QString::number(m.distribution.meanAttempts, 'f', 2),
                 m.distribution.medianMinutes
                     ? QString::number(*m.distribution.medianMinutes, 'f', 1)
                     : QStringLiteral("-")});
        blocks.push_back(t);
        return {QStringLiteral("Retests"), blocks};
    }

    Section persons() const {
        struct Figures {
            int tests = 0;
            int days = 0;
            int firstPassed = 0;
            int fails = 0;
            int lastDay = 0;
            int lastSecond = 0;
        };
        std::map<std::pair<int, int>, Figures> byPerson;
        for (const analysis::PersonDay &d : m_compliance) {
            Figures &f = byPerson[{d.tester, d.user}];
            f.tests += d.attempts;
            f.days += 1;
            f.firstPassed += d.first.pass ? 1 : 0;
            f.fails += d.fails;
        }
        for (const Access &a : m_period.accesses) {
            Figures &f = byPerson[{a.tester, int(a.user)}];
            f.lastDay = a.day;
            f.lastSecond = a.second;
        }
        Table t;
        t.header = {QStringLiteral("Tester"),
                    QStringLiteral("User"),
                    QStringLiteral("Name"),
                    QStringLiteral("Tests"),
                    QStringLiteral("First attempt passed"),
                    QStringLiteral("Failures"),
                    QStringLiteral("Last test")};
        t.alignRight = {false, true, false, true, true, true, false};
        for (const auto &[person, f] : byPerson)
            t.rows.push_back({testerName(person.first), QString::number(person.second),
                              personName(person.first, person.second, m_to),
                              QString::number(f.tests),
                              QStringLiteral("%1 of %2 days")
                                  .arg(percentText(double(f.firstPassed) / std::max(1, f.days)))
                                  .arg(f.days),
                              QString::number(f.fails),
                              dayText(f.lastDay) + QLatin1Char(' ') + timeText(f.lastSecond)});
        return {QStringLiteral("Persons"), {t}};
    }

    Section dataQuality() const {
        Table t;
        t.header = {QStringLiteral("Tester"), QStringLiteral("Records without a valid date"),
                    QStringLiteral("Accesses of users not in the user table")};
        t.alignRight = {false, true, false};
        std::vector<std::map<int, int>> unknown(m_plant.testers.size());
        for (const Access &a : m_period.accesses) {
            const analysis::UserEntry *entry =
                analysis::userInForce(m_plant, a.tester, a.user, a.day);
            if (entry && !entry->active && !a.visitor)
                unknown[size_t(a.tester)][a.user] += 1;
        }
        for (size_t tester = 0; tester < m_plant.testers.size(); ++tester) {
            QStringList users;
            int accesses = 0;
            for (const auto &[user, count] : unknown[tester]) {
                accesses += count;
                if (users.size() < kListedUnknownUsers)
                    users.append(QStringLiteral("%1 (%2)").arg(user).arg(count));
            }
            if (int(unknown[tester].size()) > kListedUnknownUsers)
                users.append(QStringLiteral("and %1 more users")
                                 .arg(unknown[tester].size() - kListedUnknownUsers));
            const qint64 invalid =
                tester < m_in.invalidTimes.size() ? m_in.invalidTimes[tester] : 0;
            t.rows.push_back({testerName(int(tester)), QString::number(invalid),
                              accesses == 0 ? QStringLiteral("none")
                                            : QStringLiteral("%1: %2").arg(accesses).arg(
                                                  users.join(QStringLiteral(", ")))});
        }
        return {QStringLiteral("Data quality"),
                {charts::Paragraph{QStringLiteral(
                     "Records whose stored date and time form no valid time are archived but "
                     "left out of every figure above (over the whole archive). Accesses of user "
                     "numbers that the user table in force did not hold as active are counted in "
                     "the figures; they point at a user table out of step with the tester.")},
                 t}};
    }

    const AuditReportInput &m_in;
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

charts::ReportDocument auditReport(const AuditReportInput &input) {
    return Builder(input).build();
}

} // namespace nxa::audit
