#include "collect/site/SitePersons.h"

#include "analysis/LimitsInForce.h"

namespace nxa::collect {

QString personId(const analysis::Plant &plant, int person, int tester, int user) {
    if (person >= 0)
        return plant.roster[size_t(person)].id;
    return QStringLiteral("%1:%2").arg(plant.testers[size_t(tester)].name).arg(user);
}

QString personName(const analysis::Plant &plant, int person, int tester, int user, int day) {
    if (person >= 0)
        return plant.roster[size_t(person)].name;
    const analysis::UserEntry *entry = analysis::userInForce(plant, tester, user, day);
    return entry && !entry->name.isEmpty() ? entry->name : QStringLiteral("-");
}

std::optional<PersonRef> findPerson(const analysis::Plant &plant, const QString &id) {
    for (size_t p = 0; p < plant.roster.size(); ++p) {
        if (plant.roster[p].id != id)
            continue;
        PersonRef ref;
        ref.person = int(p);
        for (const analysis::RosterPerson::Enrolment &e : plant.roster[p].enrolments)
            ref.entrances.emplace_back(e.tester, e.user);
        return ref;
    }
    const qsizetype colon = id.lastIndexOf(QLatin1Char(':'));
    bool ok = false;
    const int user = id.mid(colon + 1).toInt(&ok);
    if (colon <= 0 || !ok || user < 0 || user >= kUserCount)
        return std::nullopt;
    for (size_t t = 0; t < plant.testers.size(); ++t)
        if (plant.testers[t].name == id.left(colon))
            return PersonRef{-1, {{int(t), user}}};
    return std::nullopt;
}

} // namespace nxa::collect
