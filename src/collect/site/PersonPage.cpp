#include "collect/site/PersonPage.h"

#include "analysis/DriftWatch.h"
#include "analysis/LimitsInForce.h"
#include "audit/AnalysisTexts.h"
#include "audit/PersonTrend.h"
#include "collect/PlantRead.h"
#include "collect/site/SitePersons.h"
#include "common/VisibleText.h"
#include "document/ReportDocument.h"

#include <algorithm>

namespace nxa::collect {

namespace {

constexpr int kDaysShown = 60;

QString rangeText(const QString &what, const analysis::Range &range) {
    if (!range.minKohm && !range.maxKohm)
        return {};
    return QStringLiteral("%1 %2 to %3")
        .arg(what, range.minKohm ? QString::number(*range.minKohm) : QStringLiteral("-"),
             range.maxKohm ? QString::number(*range.maxKohm) : QStringLiteral("-"));
}

// The limits the access was checked against, in kOhm.
QString limitsText(const analysis::Plant &plant, const analysis::Access &a) {
    const analysis::LimitsSnapshot *snapshot = analysis::snapshotInForce(plant, a.tester, a.day);
    if (!snapshot)
        return QStringLiteral("unknown");
    const std::optional<int> profile = analysis::profileOf(*snapshot, a);
    if (!profile || *profile < 0 || size_t(*profile) >= snapshot->profiles.size())
        return QStringLiteral("unknown");
    const analysis::ProfileLimits &limits = snapshot->profiles[size_t(*profile)];
    QStringList parts;
    if (snapshot->mode == analysis::Mode::Normal && limits.check != analysis::Check::Shoes)
        parts.append(rangeText(QStringLiteral("WS"), limits.wristStrap));
    if (limits.check != analysis::Check::WristStrap)
        parts.append(rangeText(snapshot->mode == analysis::Mode::HandFree ? QStringLiteral("L+R")
                                                                          : QStringLiteral("shoe"),
                               limits.footwear));
    parts.removeAll(QString());
    return QStringLiteral("profile %1: %2")
        .arg(*profile + 1)
        .arg(parts.isEmpty() ? QStringLiteral("none") : parts.join(QStringLiteral("; ")));
}

} // namespace

web::HttpResponse personPage(const PageContext &context, const QString &id) {
    const QDate today = context.now.date();
    const int day = int(today.toJulianDay());
    const analysis::AnalysisSettings settings;
    const PlantRead read =
        readPlant(context.archive, context.config,
                  driftRequest(today.addDays(1 - kDaysShown), today, {}, settings));
    if (!read.plant)
        return archiveFailure(read.error);
    const analysis::Plant &plant = *read.plant;
    const std::optional<PersonRef> person = findPerson(plant, id);
    if (!person)
        return notFound(QStringLiteral("Nobody has the ID \"%1\".").arg(visibleText(id)));
    const int firstDay = day + 1 - kDaysShown;
    const auto [tester0, user0] =
        person->entrances.empty() ? std::pair(0, 0) : person->entrances.front();
    const QString name = personName(plant, person->person, tester0, user0, day);

    QString body;
    QStringList entranceTexts;
    for (const auto &[tester, user] : person->entrances)
        entranceTexts.append(QStringLiteral("%1 user %2")
                                 .arg(plant.testers[size_t(tester)].name, QString::number(user)));
    body += QStringLiteral("<table class=\"summary\"><tbody><tr><th scope=\"row\">ID</th><td>%1"
                           "</td></tr><tr><th scope=\"row\">Name</th><td>%2</td></tr><tr><th "
                           "scope=\"row\">Entrances</th><td>%3</td></tr></tbody></table>\n")
                .arg(html(personId(plant, person->person, tester0, user0)), html(name),
                     html(entranceTexts.join(QStringLiteral(", "))));

    const std::vector<analysis::DriftResult> drift = analysis::driftWatch(plant, day, settings);
    body += QLatin1String("<section><h2>Trend</h2>\n");
    int charts = 0;
    for (const auto &[tester, user] : person->entrances) {
        for (const bool footwear : {true, false}) {
            const QString title =
                QStringLiteral("%1 at %2 user %3: %4")
                    .arg(name, plant.testers[size_t(tester)].name, QString::number(user),
                         footwear ? QStringLiteral("footwear") : QStringLiteral("wrist strap"));
            const charts::PersonTrend trend = audit::personTrend(
                plant, drift, audit::TrendRequest{tester, user, footwear, firstDay, day}, title);
            const bool anyPoint = std::any_of(trend.series.begin(), trend.series.end(),
                                              [](const auto &s) { return !s.points.empty(); });
            if (!anyPoint)
                continue;
            body += QStringLiteral("<figure>\n%1</figure>\n").arg(document::inlineChartSvg(trend));
            ++charts;
        }
    }
    if (charts == 0)
        body += QStringLiteral("<p>No test in the last %1 days.</p>\n").arg(kDaysShown);
    body += QLatin1String("</section>\n");

    std::vector<analysis::Access> tests;
    for (const analysis::Access &a : plant.accesses)
        if (a.day >= firstDay && a.day <= day &&
            std::find(person->entrances.begin(), person->entrances.end(),
                      std::pair<int, int>(a.tester, a.user)) != person->entrances.end())
            tests.push_back(a);
    std::sort(tests.begin(), tests.end(), [](const analysis::Access &a, const analysis::Access &b) {
        return std::tie(a.day, a.second) > std::tie(b.day, b.second);
    });
    QString rows;
    for (const analysis::Access &a : tests)
        rows +=
            QStringLiteral("<tr%1><td>%2</td><td>%3</td><td>%4</td><td>%5</td><td>%6</td>"
                           "<td>%7</td></tr>\n")
                .arg(a.pass ? QString() : QStringLiteral(" class=\"bad\""), audit::dayText(a.day),
                     audit::timeText(a.second), html(plant.testers[size_t(a.tester)].name),
                     a.pass    ? QStringLiteral("pass")
                     : a.relay ? QStringLiteral("FAIL (relay on)")
                               : QStringLiteral("FAIL"),
                     html(audit::measuredText(a)), html(limitsText(plant, a)));
    body +=
        QStringLiteral("<section><h2>Tests of the last %1 days (%2)</h2>\n<div class=\"scroll\">"
                       "<table><thead><tr><th>Date</th><th>Time</th><th>Entrance</th><th>"
                       "Result</th><th>Measured (k\u03a9)</th><th>Limits in force (k\u03a9)"
                       "</th></tr></thead><tbody>\n%3</tbody></table></div></section>\n")
            .arg(kDaysShown)
            .arg(tests.size())
            .arg(rows);
    return sitePage(
        QStringLiteral("%1 %2").arg(personId(plant, person->person, tester0, user0), name), body);
}

} // namespace nxa::collect
