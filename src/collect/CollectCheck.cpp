#include "collect/CollectCheck.h"

#include "analysis/DayExceptions.h"
#include "analysis/DriftWatch.h"
#include "analysis/LimitsInForce.h"
#include "analysis/PlantLevels.h"
#include "analysis/TesterFunnel.h"
#include "analysis/TesterHealth.h"
#include "audit/AnalysisTexts.h"
#include "collect/CheckSharedCauses.h"
#include "collect/PlanCheck.h"
#include "collect/PlantRead.h"
#include "common/VisibleText.h"

#include <QDateTime>
#include <QHash>

#include <algorithm>
#include <cmath>

namespace nxa::collect {

namespace {

using audit::dayText;
using audit::measureName;
using audit::timeText;

constexpr double kPercent = 100.0;

// What the tester measured, with its unit.
QString measured(const analysis::Access &a) {
    const QString values = audit::measuredText(a);
    return values.isEmpty() ? QStringLiteral("nothing measured") : values + QStringLiteral(" kOhm");
}

QString percentPerDay(double log10Slope) {
    return audit::slopePercentText(log10Slope, 1) + QStringLiteral(" %/day");
}

QString kohm(double value) {
    return QStringLiteral("%1 kOhm").arg(std::llround(value));
}

class CheckWriter {
public:
    CheckWriter(const analysis::Plant &plant, int day, bool all)
        : m_plant(plant), m_day(day), m_all(all) {
        for (std::size_t p = 0; p < plant.roster.size(); ++p)
            for (const analysis::RosterPerson::Enrolment &e : plant.roster[p].enrolments)
                m_rosterPerson.insert({e.tester, e.user}, static_cast<int>(p));
    }

    // A roster person by their ID and name, with the entrance in question;
    // else the tester's name, the user number and the name the person had
    // that day.
    QString person(int tester, int user) const {
        if (const auto p = m_rosterPerson.constFind({tester, user}); p != m_rosterPerson.cend()) {
            const analysis::RosterPerson &person = m_plant.roster[static_cast<std::size_t>(*p)];
            return QStringLiteral("%1  %2  (%3 user %4)")
                .arg(person.id, person.name, testerName(tester))
                .arg(user);
        }
        const analysis::UserEntry *entry = analysis::userInForce(m_plant, tester, user, m_day);
        const QString name = entry && !entry->name.isEmpty() ? entry->name : QStringLiteral("-");
        return QStringLiteral("%1  user %2  %3").arg(testerName(tester)).arg(user).arg(name);
    }
    QString testerName(int tester) const {
        return m_plant.testers[static_cast<size_t>(tester)].name;
    }

    void group(const QString &title, const QStringList &lines, bool actionable) {
        if (lines.isEmpty())
            return;
        out.append(QStringLiteral("%1 (%2)").arg(title).arg(lines.size()));
        const qsizetype shown =
            m_all ? lines.size() : std::min<qsizetype>(lines.size(), kSectionLines);
        // Names come from testers and files: no control character reaches
        // the terminal or the mail.
        for (qsizetype i = 0; i < shown; ++i)
            out.append(QStringLiteral("  ") + visibleText(lines[i]));
        if (shown < lines.size())
            out.append(QStringLiteral("  \u2026 and %1 more").arg(lines.size() - shown));
        if (actionable)
            attention = true;
    }

    QStringList out;
    bool attention = false;

private:
    const analysis::Plant &m_plant;
    int m_day;
    bool m_all;
    QHash<std::pair<int, int>, int> m_rosterPerson; // by tester, user
};

QStringList failedLines(const CheckWriter &w, const analysis::DayExceptions &e) {
    QStringList lines;
    for (const analysis::UnresolvedFailure &f : e.failedNotPassed)
        lines.append(QStringLiteral("%1  %2 %3, the last at %4: %5")
                         .arg(w.person(f.tester, f.user))
                         .arg(f.fails)
                         .arg(f.fails == 1 ? QStringLiteral("fail") : QStringLiteral("fails"),
                              timeText(f.lastFail.second), measured(f.lastFail)));
    return lines;
}

QStringList relayLines(const CheckWriter &w, const analysis::DayExceptions &e) {
    QStringList lines;
    for (const analysis::Access &a : e.relayWithoutPass)
        lines.append(QStringLiteral("%1  at %2: %3")
                         .arg(w.person(a.tester, a.user), timeText(a.second), measured(a)));
    return lines;
}

QStringList driftLines(const CheckWriter &w, const std::vector<analysis::DriftResult> &drift) {
    QStringList lines;
    for (const analysis::DriftResult &d : drift) {
        if (!d.flagged())
            continue;
        QStringList why;
        if (d.crossingSoon && d.crossingSide && d.daysToCrossing) {
            const bool max = *d.crossingSide == analysis::LimitSide::Max;
            const std::optional<std::int64_t> limit = max ? d.range.maxKohm : d.range.minKohm;
            why.append(QStringLiteral("trend %1 (95 %: %2 to %3) over %4 days reaches the %5 "
                                      "of %6 in %7")
                           .arg(percentPerDay(d.slopePerDay), percentPerDay(d.slopeLow),
                                percentPerDay(d.slopeHigh))
                           .arg(d.daysUsed)
                           .arg(max ? QStringLiteral("maximum") : QStringLiteral("minimum"),
                                kohm(double(limit.value_or(0))))
                           .arg(audit::countText(analysis::wholeDaysToCrossing(*d.daysToCrossing),
                                                 QStringLiteral("day"), QStringLiteral("days"))));
        }
        if (d.nearSide) {
            const bool max = *d.nearSide == analysis::LimitSide::Max;
            const std::optional<std::int64_t> limit = max ? d.range.maxKohm : d.range.minKohm;
            why.append(QStringLiteral("smoothed level within a factor of the %1 of %2")
                           .arg(max ? QStringLiteral("maximum") : QStringLiteral("minimum"),
                                kohm(double(limit.value_or(0)))));
        }
        // Only a significant trend has a line to read today's level from.
        const QString level =
            std::isfinite(d.lineKohm)
                ? QStringLiteral("now %1 (smoothed %2)").arg(kohm(d.lineKohm), kohm(d.lastEwmaKohm))
                : QStringLiteral("smoothed %1").arg(kohm(d.lastEwmaKohm));
        lines.append(QStringLiteral("%1  %2  %3: %4")
                         .arg(w.person(d.tester, d.user), measureName(d.measure), level,
                              why.join(QStringLiteral("; "))));
    }
    return lines;
}

QStringList failRateLines(const CheckWriter &w, const std::vector<analysis::TesterHealth> &health,
                          int day) {
    QStringList lines;
    for (const analysis::TesterHealth &h : health) {
        for (const analysis::FailRateDay &d : h.failRate.days) {
            if (d.day != day || !d.outside())
                continue;
            lines.append(
                QStringLiteral("%1  %2 of %3 tests failed (%4 %), control limits %5 to %6 %, "
                               "usual %7 %")
                    .arg(w.testerName(h.tester))
                    .arg(d.fails)
                    .arg(d.attempts)
                    .arg(d.rate * kPercent, 0, 'f', 1)
                    .arg(d.lower * kPercent, 0, 'f', 1)
                    .arg(d.upper * kPercent, 0, 'f', 1)
                    .arg(h.failRate.meanRate * kPercent, 0, 'f', 1));
        }
    }
    return lines;
}

QStringList silentLines(const CheckWriter &w, const std::vector<analysis::TesterHealth> &health,
                        int day, const analysis::AnalysisSettings &settings) {
    QStringList lines;
    for (const analysis::TesterHealth &h : health)
        if (const QString why = silentReason(h, day, settings); !why.isEmpty())
            lines.append(QStringLiteral("%1  %2").arg(w.testerName(h.tester), why));
    return lines;
}

QStringList reviewLines(const CheckWriter &w, const analysis::DayExceptions &e,
                        const analysis::AnalysisSettings &settings) {
    QStringList lines;
    for (const analysis::ToReview &r : e.toReview)
        lines.append(QStringLiteral("%1  %2").arg(
            w.person(r.tester, r.user),
            r.lastSeenDay ? QStringLiteral("last tested %1").arg(dayText(*r.lastSeenDay))
                          : QStringLiteral("no test in %1 days").arg(settings.reviewLookbackDays)));
    return lines;
}

QStringList idleUserLines(const CheckWriter &w, const analysis::DayExceptions &e,
                          const analysis::AnalysisSettings &settings) {
    QStringList lines;
    for (const analysis::IdleActiveUsers &idle : e.idleActiveUsers)
        lines.append(
            QStringLiteral("%1 %2 active in the user table of %3 but %4 no access in %5 "
                           "days (deactivate them, or import a roster)")
                .arg(idle.count)
                .arg(idle.count == 1 ? QStringLiteral("user is") : QStringLiteral("users are"),
                     w.testerName(idle.tester),
                     idle.count == 1 ? QStringLiteral("has") : QStringLiteral("have"))
                .arg(settings.reviewLookbackDays));
    return lines;
}

QStringList noLimitsLines(const analysis::Plant &plant) {
    QStringList lines;
    for (const analysis::TesterInput &t : plant.testers)
        if (t.limits.empty())
            lines.append(QStringLiteral("%1  its configuration was never collected: no drift "
                                        "can be measured against its limits")
                             .arg(t.name));
    return lines;
}

} // namespace

QString silentReason(const analysis::TesterHealth &h, int day,
                     const analysis::AnalysisSettings &settings) {
    QStringList why;
    if (h.silentByCollection)
        why.append(h.lastSuccessMs ? QStringLiteral("no successful collection since %1")
                                         .arg(QDateTime::fromMSecsSinceEpoch(*h.lastSuccessMs)
                                                  .toString(QStringLiteral("yyyy-MM-dd hh:mm")))
                                   : QStringLiteral("never collected"));
    // Quiet since the first empty day after a run of busy days, and
    // still quiet on the day checked.
    const auto quiet = std::find_if(
        h.quietDays.rbegin(), h.quietDays.rend(), [day](int q) { return q <= day; });
    const bool stillQuiet =
        quiet != h.quietDays.rend() && std::none_of(h.failRate.days.begin(), h.failRate.days.end(),
                                                    [&](const analysis::FailRateDay &d) {
                                                        return d.day >= *quiet && d.day <= day;
                                                    });
    if (stillQuiet)
        why.append(QStringLiteral("no record since %1, after %2 or more days with traffic")
                       .arg(dayText(*quiet - 1))
                       .arg(settings.trafficStreakDays));
    return why.join(QStringLiteral("; "));
}

analysis::AnalysisSettings checkSettings() {
    analysis::AnalysisSettings settings;
    // The list shows flags only: a trend that is not significant needs no line.
    settings.fitEveryTrend = false;
    return settings;
}

PlantRequest checkPlantRequest(const CheckRequest &request) {
    return driftRequest(request.day, request.day, request.testers, checkSettings());
}

CheckOutcome runCheck(const CollectConfig &config, const CheckRequest &request) {
    const PlantRead plantRead = readPlant(config, checkPlantRequest(request));
    if (!plantRead.plant) {
        CheckOutcome outcome;
        outcome.error = plantRead.error;
        outcome.unknownTester = plantRead.unknownTester;
        return outcome;
    }
    return checkOfPlant(*plantRead.plant, request.day, request.all);
}

CheckOutcome checkOfPlant(const analysis::Plant &plant, const QDate &checkedDay, bool all) {
    CheckOutcome outcome;
    const analysis::AnalysisSettings settings = checkSettings();
    const int day = static_cast<int>(checkedDay.toJulianDay());
    const analysis::DayExceptions exceptions = analysis::dayExceptions(plant, day, settings);
    const analysis::PlantLevels levels = analysis::plantLevels(plant, day, settings);
    const std::vector<analysis::DriftResult> drift =
        analysis::driftWatch(plant, day, settings, levels);
    const std::vector<analysis::TesterHealth> health = analysis::testerHealth(plant, settings);
    const analysis::TesterFunnel funnel = analysis::testerFunnel(plant, day, settings);

    CheckWriter w(plant, day, all);
    w.group(QStringLiteral("failed and not passed afterwards"), failedLines(w, exceptions), true);
    w.group(QStringLiteral("relay on without a pass"), relayLines(w, exceptions), true);
    w.group(QStringLiteral("plant-wide level shifts"), plantShiftLines(levels), true);
    w.group(QStringLiteral("tester level shifts"), testerShiftLines(plant, levels), true);
    w.group(QStringLiteral("drifting toward a limit"), driftLines(w, drift), true);
    w.group(QStringLiteral("fail rate outside its control limits"), failRateLines(w, health, day),
            true);
    w.group(QStringLiteral("fail rate outside the plant's funnel limits"),
            funnelLines(plant, funnel), true);
    w.group(QStringLiteral("silent testers"), silentLines(w, health, day, settings), true);
    w.group(QStringLiteral("limits looser than the plan"), looserProfileLines(plant, day), true);
    w.group(QStringLiteral("calibration due"), calibrationDueLines(plant, day), true);
    w.group(QStringLiteral("configuration changed"), configurationChangeLines(plant, day), false);
    w.group(QStringLiteral("to review: expected but not tested"),
            reviewLines(w, exceptions, settings), false);
    w.group(QStringLiteral("to review: calibration due within 14 days"),
            calibrationSoonLines(plant, day), false);
    w.group(QStringLiteral("notes"),
            idleUserLines(w, exceptions, settings) + noLimitsLines(plant) +
                tooFewTestsLines(plant, funnel),
            false);
    outcome.lines = w.out;
    outcome.attention = w.attention;
    return outcome;
}

} // namespace nxa::collect
