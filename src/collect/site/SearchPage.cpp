#include "collect/site/SearchPage.h"

#include "analysis/LimitsInForce.h"
#include "collect/PlantRead.h"
#include "collect/site/SitePersons.h"

#include <set>

namespace nxa::collect {

namespace {

constexpr int kDaysSearched = 30;
constexpr int kMaxHits = 200;

} // namespace

web::HttpResponse searchPage(const PageContext &context) {
    const QString text = context.request.query.value(QStringLiteral("q")).trimmed();
    if (text.isEmpty())
        return sitePage(QStringLiteral("Search"), QStringLiteral("<p>Type a name or an ID in the "
                                                                 "search field.</p>\n"));
    const QDate today = context.now.date();
    const int day = int(today.toJulianDay());
    PlantRequest request;
    request.from = today.addDays(1 - kDaysSearched);
    request.to = today;
    request.nowMs = context.now.toMSecsSinceEpoch();
    const PlantRead read = readPlant(context.archive, context.config, request);
    if (!read.plant)
        return archiveFailure(read.error);
    const analysis::Plant &plant = *read.plant;
    // Roster persons, then every other entrance seen: each once.
    struct Hit {
        QString id;
        QString name;
    };
    std::vector<Hit> hits;
    std::set<std::pair<int, int>> enrolled;
    for (size_t p = 0; p < plant.roster.size(); ++p) {
        for (const auto &e : plant.roster[p].enrolments)
            enrolled.insert({e.tester, e.user});
        const analysis::RosterPerson &person = plant.roster[p];
        if (person.id.contains(text, Qt::CaseInsensitive) ||
            person.name.contains(text, Qt::CaseInsensitive))
            hits.push_back({person.id, person.name});
    }
    std::set<std::pair<int, int>> seen;
    for (const analysis::Access &a : plant.accesses) {
        if (enrolled.contains({a.tester, a.user}) || !seen.insert({a.tester, a.user}).second)
            continue;
        const QString id = personId(plant, -1, a.tester, a.user);
        const QString name = personName(plant, -1, a.tester, a.user, day);
        if (id.contains(text, Qt::CaseInsensitive) || name.contains(text, Qt::CaseInsensitive))
            hits.push_back({id, name});
    }
    QString rows;
    for (size_t i = 0; i < hits.size() && i < size_t(kMaxHits); ++i)
        rows += QStringLiteral("<tr><td>%1</td><td>%2</td></tr>\n")
                    .arg(siteLink(sitePath(QStringLiteral("person"), hits[i].id), hits[i].id),
                         html(hits[i].name));
    QString body = QStringLiteral("<p>%1 found for \u201c%2\u201d%3.</p>\n")
                       .arg(hits.size() == 1 ? QStringLiteral("1 person")
                                             : QStringLiteral("%1 persons").arg(hits.size()),
                            html(text),
                            hits.size() > size_t(kMaxHits)
                                ? QStringLiteral(" (the first %1 shown)").arg(kMaxHits)
                                : QString());
    if (!hits.empty())
        body += QStringLiteral("<div class=\"scroll\"><table><thead><tr><th>ID</th><th>Name</th>"
                               "</tr></thead><tbody>\n%1</tbody></table></div>\n")
                    .arg(rows);
    return sitePage(QStringLiteral("Search"), body);
}

} // namespace nxa::collect
