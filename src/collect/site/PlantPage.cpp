#include "collect/site/PlantPage.h"

#include "analysis/DayRoll.h"
#include "analysis/TesterHealth.h"
#include "audit/AnalysisTexts.h"
#include "collect/CollectCheck.h"
#include "collect/CollectDownload.h"
#include "collect/CollectStatus.h"
#include "collect/PlantRead.h"
#include "collect/site/SitePersons.h"
#include "common/ResultCodes.h"

namespace nxa::collect {

namespace {

using analysis::RollEntry;

QString age(const QDateTime &then, const QDateTime &now) {
    const qint64 minutes = std::max<qint64>(0, then.secsTo(now) / 60);
    if (minutes < 60)
        return QStringLiteral("%1 min ago").arg(minutes);
    if (minutes < 48 * 60)
        return QStringLiteral("%1 h ago").arg(minutes / 60);
    return QStringLiteral("%1 days ago").arg(minutes / (24 * 60));
}

QString rollTable(const analysis::Plant &plant, const std::vector<RollEntry> &roll,
                  RollEntry::State state, int day) {
    QString rows;
    int count = 0;
    for (const RollEntry &e : roll) {
        if (e.state != state)
            continue;
        ++count;
        const QString id = personId(plant, e.person, e.tester, e.user);
        QString when;
        if (state == RollEntry::State::NotTested)
            when = e.lastSeenDay
                       ? QStringLiteral("last tested %1").arg(audit::dayText(*e.lastSeenDay))
                       : QStringLiteral("no test in 30 days");
        else
            when = audit::timeText(e.second.value_or(0));
        QString extra;
        if (state == RollEntry::State::Failed)
            extra = QStringLiteral("%1 %2").arg(e.fails).arg(e.fails == 1 ? "fail" : "fails");
        else if (state == RollEntry::State::Cleared && e.fails > 0)
            extra = QStringLiteral("passed after %1 %2")
                        .arg(e.fails)
                        .arg(e.fails == 1 ? "fail" : "fails");
        // One arg() for all: a name may hold "%1" itself.
        rows += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4 user %5</td>"
                               "<td>%6</td></tr>\n")
                    .arg(siteLink(sitePath(QStringLiteral("person"), id), id),
                         html(personName(plant, e.person, e.tester, e.user, day)), html(when),
                         html(plant.testers[size_t(e.tester)].name), QString::number(e.user),
                         html(extra));
    }
    if (count == 0)
        return QStringLiteral("<p>Nobody.</p>\n");
    const QString whenHeader = state == RollEntry::State::Failed      ? QStringLiteral("Last fail")
                               : state == RollEntry::State::NotTested ? QStringLiteral("Last seen")
                                                                      : QStringLiteral("Passed at");
    return QStringLiteral("<div class=\"scroll\"><table><thead><tr><th>Person</th><th>Name</th>"
                          "<th>%1</th><th>Entrance</th><th>Note</th></tr></thead><tbody>\n%2"
                          "</tbody></table></div>\n")
        .arg(whenHeader, rows);
}

// The check's lines: a title per group, its entries indented below it.
QString checkList(const QStringList &lines) {
    QString out;
    bool open = false;
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("  "))) {
            if (!open)
                out += QLatin1String("<ul class=\"check\">\n");
            open = true;
            out += QStringLiteral("<li>%1</li>\n").arg(html(line.trimmed()));
            continue;
        }
        if (open)
            out += QLatin1String("</ul>\n");
        open = false;
        out += QStringLiteral("<h3>%1</h3>\n").arg(html(line));
    }
    if (open)
        out += QLatin1String("</ul>\n");
    return out.isEmpty() ? QStringLiteral("<p>Nothing to act on.</p>\n") : out;
}

QString testerTable(const analysis::Plant &plant, const QList<TesterStatus> &status,
                    const QDateTime &now, int day) {
    const analysis::AnalysisSettings settings = checkSettings();
    const std::vector<analysis::TesterHealth> health = analysis::testerHealth(plant, settings);
    QString rows;
    for (const TesterStatus &s : status) {
        QString silent;
        for (const analysis::TesterHealth &h : health)
            if (plant.testers[size_t(h.tester)].name == s.name)
                silent = silentReason(h, day, settings);
        const QString collected =
            s.lastSuccess ? QStringLiteral("%1 (%2)").arg(
                                s.lastSuccess->toString(QStringLiteral("yyyy-MM-dd hh:mm")),
                                age(*s.lastSuccess, now))
                          : QStringLiteral("never");
        const QString attempt =
            s.lastAttempt ? QStringLiteral("%1: %2 %3")
                                .arg(s.lastAttempt->toString(QStringLiteral("yyyy-MM-dd hh:mm")))
                                .arg(s.lastResult)
                                .arg(resultText(s.lastResult))
                          : QStringLiteral("never");
        rows +=
            QStringLiteral("<tr%1><td>%2</td><td>%3</td><td>%4</td><td>%5</td></tr>\n")
                .arg(
                    silent.isEmpty() ? QString() : QStringLiteral(" class=\"bad\""),
                    siteLink(sitePath(QStringLiteral("tester"), s.name), s.name,
                             silent.isEmpty() ? QString() : QStringLiteral("bad")),
                    html(collected), html(attempt),
                    silent.isEmpty()
                        ? QStringLiteral("<span class=\"good\">reporting</span>")
                        : QStringLiteral("<span class=\"tag\">SILENT</span> %1").arg(html(silent)));
    }
    return QStringLiteral("<div class=\"scroll\"><table><thead><tr><th>Tester</th><th>Last "
                          "collection</th><th>Last attempt</th><th>State</th></tr></thead>"
                          "<tbody>\n%1</tbody></table></div>\n")
        .arg(rows);
}

} // namespace

web::HttpResponse plantPage(const PageContext &context) {
    const std::optional<QDate> date =
        dateValue(context.request, QStringLiteral("day"), context.now.date());
    if (!date)
        return badRequest(QStringLiteral("day= needs a date such as 2026-12-07"));
    const int day = int(date->toJulianDay());
    // The day's window and one day more, so that the morning check of the
    // day before sees the whole window it saw that morning.
    PlantRequest request = checkPlantRequest({*date, {}, false});
    request.from = request.from.addDays(-1);
    const PlantRead read = readPlant(context.archive, context.config, request);
    if (!read.plant)
        return archiveFailure(read.error);
    const analysis::Plant &plant = *read.plant;
    // The list `check` gave that morning, of the day before: the same read
    // without the day's own records.
    analysis::Plant morning = plant;
    std::erase_if(morning.accesses, [day](const analysis::Access &a) { return a.day >= day; });
    const CheckOutcome check = checkOfPlant(morning, date->addDays(-1), false);
    const StatusRead status = readStatus(context.archive, context.config, *date);
    if (!status.error.isEmpty())
        return archiveFailure(status.error);

    const std::vector<RollEntry> roll = analysis::dayRoll(plant, day, checkSettings());
    auto count = [&](RollEntry::State state) {
        return std::count_if(roll.begin(), roll.end(),
                             [state](const RollEntry &e) { return e.state == state; });
    };
    QString body;
    body += QStringLiteral("<p class=\"counts\"><span class=\"bad\">Failed, not passed since: "
                           "%1</span><span>Not tested yet: %2</span><span class=\"good\">"
                           "Cleared: %3</span></p>\n")
                .arg(count(RollEntry::State::Failed))
                .arg(count(RollEntry::State::NotTested))
                .arg(count(RollEntry::State::Cleared));
    body += QStringLiteral("<section id=\"failed\"><h2>Failed and not passed since</h2>\n%1"
                           "</section>\n")
                .arg(rollTable(plant, roll, RollEntry::State::Failed, day));
    body += QStringLiteral("<section id=\"not-tested\"><h2>Not tested yet</h2>\n%1</section>\n")
                .arg(rollTable(plant, roll, RollEntry::State::NotTested, day));
    body += QStringLiteral("<section id=\"testers\"><h2>Testers</h2>\n%1</section>\n")
                .arg(testerTable(plant, status.testers, context.now, day));
    body += QStringLiteral("<section id=\"check\"><h2>Morning check of %1</h2>\n%2</section>\n")
                .arg(date->addDays(-1).toString(Qt::ISODate), checkList(check.lines));
    body += QStringLiteral("<section id=\"cleared\"><h2>Cleared</h2>\n%1</section>\n")
                .arg(rollTable(plant, roll, RollEntry::State::Cleared, day));
    return sitePage(QStringLiteral("Plant on %1").arg(date->toString(Qt::ISODate)), body);
}

} // namespace nxa::collect
