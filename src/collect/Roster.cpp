#include "collect/Roster.h"

#include "collect/SpreadsheetRows.h"

#include <QHash>
#include <QMap>
#include <QSet>

#include <array>

namespace nxa::collect {

namespace {

const std::array<QString, 7> kDayNames = {
    QStringLiteral("Mon"), QStringLiteral("Tue"), QStringLiteral("Wed"), QStringLiteral("Thu"),
    QStringLiteral("Fri"), QStringLiteral("Sat"), QStringLiteral("Sun")};

std::optional<int> dayIndex(const QString &text) {
    const QString word = text.trimmed();
    for (size_t i = 0; i < kDayNames.size(); ++i)
        if (word.compare(kDayNames[i], Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return std::nullopt;
}

struct Columns {
    int person = -1, name = -1, tester = -1, user = -1;
    int department = -1, workdays = -1, email = -1;
};

RosterFileRead fault(int line, const QString &message) {
    RosterFileRead read;
    read.errorLine = line;
    read.error = message;
    return read;
}

QString cell(const QStringList &cells, int column) {
    return column >= 0 && column < cells.size() ? cells[column].trimmed() : QString();
}

} // namespace

std::optional<std::uint8_t> parseWorkdays(const QString &text) {
    if (text.trimmed().isEmpty())
        return kMondayToFriday;
    std::uint8_t days = 0;
    for (const QString &part : text.split(QLatin1Char(','))) {
        const QStringList ends = part.split(QLatin1Char('-'));
        if (ends.size() > 2)
            return std::nullopt;
        const std::optional<int> first = dayIndex(ends.front());
        const std::optional<int> last = dayIndex(ends.back());
        if (!first || !last)
            return std::nullopt;
        // A range may run over the weekend: "Sat-Mon".
        for (int d = *first;; d = (d + 1) % 7) {
            days |= static_cast<std::uint8_t>(1u << d);
            if (d == *last)
                break;
        }
    }
    return days;
}

QString workdaysText(std::uint8_t workdays) {
    QStringList parts;
    for (int d = 0; d < 7;) {
        if (!(workdays & (1u << d))) {
            ++d;
            continue;
        }
        int end = d;
        while (end + 1 < 7 && (workdays & (1u << (end + 1))))
            ++end;
        parts.append(end - d >= 2 ? kDayNames[static_cast<size_t>(d)] + QLatin1Char('-') +
                                        kDayNames[static_cast<size_t>(end)]
                                  : kDayNames[static_cast<size_t>(d)]);
        if (end - d == 1)
            parts.append(kDayNames[static_cast<size_t>(end)]);
        d = end + 1;
    }
    return parts.join(QLatin1Char(','));
}

RosterFileRead rosterOf(const SpreadsheetRead &sheet, const QStringList &testers) {
    if (!sheet.error.isEmpty())
        return fault(sheet.errorLine, sheet.error);
    if (sheet.rows.empty())
        return fault(0, QStringLiteral("the file is empty; a roster starts with a header row"));
    const SpreadsheetRow &header = sheet.rows.front();
    Columns columns;
    const std::array<std::pair<const char *, int *>, 7> known = {{
        {"person", &columns.person},
        {"name", &columns.name},
        {"tester", &columns.tester},
        {"user", &columns.user},
        {"department", &columns.department},
        {"workdays", &columns.workdays},
        {"email", &columns.email},
    }};
    for (int c = 0; c < header.cells.size(); ++c) {
        const QString title = header.cells[c].trimmed();
        for (const auto &[word, column] : known) {
            if (title.compare(QLatin1String(word), Qt::CaseInsensitive) != 0)
                continue;
            if (*column >= 0)
                return fault(header.line,
                             QStringLiteral("the column \"%1\" appears twice").arg(word));
            *column = c;
        }
    }
    for (const auto &[word, column] : known) {
        const bool required = column == &columns.person || column == &columns.name ||
                              column == &columns.tester || column == &columns.user;
        if (required && *column < 0)
            return fault(header.line,
                         QStringLiteral("the column \"%1\" is missing (needed: person, name, "
                                        "tester, user)")
                             .arg(word));
    }

    RosterFileRead read;
    QHash<QString, const RosterEntry *> personFirst; // by person ID
    QHash<QString, const RosterEntry *> enrolled;    // by "tester:user"
    QSet<QString> rowsSeen;                          // exact repeats
    // The maps point into entries: room for every row up front, so none moves.
    read.entries.reserve(sheet.rows.size());
    for (size_t r = 1; r < sheet.rows.size(); ++r) {
        const SpreadsheetRow &row = sheet.rows[r];
        RosterEntry e;
        e.line = row.line;
        e.person = cell(row.cells, columns.person);
        e.name = cell(row.cells, columns.name);
        e.tester = cell(row.cells, columns.tester);
        e.department = cell(row.cells, columns.department);
        e.email = cell(row.cells, columns.email);
        if (e.person.isEmpty())
            return fault(row.line, QStringLiteral("no person ID"));
        if (e.name.isEmpty())
            return fault(row.line, QStringLiteral("person %1 has no name").arg(e.person));
        if (!testers.contains(e.tester))
            return fault(row.line,
                         QStringLiteral("\"%1\" is no tester of the configuration (testers: %2)")
                             .arg(e.tester, testers.join(QStringLiteral(", "))));
        bool ok = false;
        const QString userText = cell(row.cells, columns.user);
        e.user = userText.toInt(&ok);
        if (!ok || e.user < 0 || e.user > kMaxUserNumber)
            return fault(row.line,
                         QStringLiteral("user \"%1\" is no number from 0 to 999").arg(userText));
        const QString workdays = cell(row.cells, columns.workdays);
        const std::optional<std::uint8_t> days = parseWorkdays(workdays);
        if (!days || *days == 0)
            return fault(row.line, QStringLiteral("workdays \"%1\" are no days such as Mon-Fri or "
                                                  "Mon,Wed,Fri")
                                       .arg(workdays));
        e.workdays = *days;

        const QString slot = QStringLiteral("%1:%2").arg(e.tester).arg(e.user);
        const QString whole =
            QStringList{e.person, e.name, e.department, workdaysText(e.workdays), e.email, slot}
                .join(QChar(0));
        if (rowsSeen.contains(whole))
            continue;
        rowsSeen.insert(whole);
        read.entries.push_back(e);
        const RosterEntry *entry = &read.entries.back();
        if (const RosterEntry *other = enrolled.value(slot); other && other->person != e.person)
            return fault(row.line, QStringLiteral("%1 user %2 is enrolled for two persons: %3 "
                                                  "(line %4) and %5")
                                       .arg(e.tester)
                                       .arg(e.user)
                                       .arg(other->person)
                                       .arg(other->line)
                                       .arg(e.person));
        enrolled.insert(slot, entry);
        if (const RosterEntry *first = personFirst.value(e.person)) {
            const auto differs = [&](const QString &what, const QString &a, const QString &b) {
                return fault(row.line, QStringLiteral("person %1 has two %2s: \"%3\" (line %4) "
                                                      "and \"%5\"")
                                           .arg(e.person, what, a)
                                           .arg(first->line)
                                           .arg(b));
            };
            if (first->name != e.name)
                return differs(QStringLiteral("name"), first->name, e.name);
            if (first->department != e.department)
                return differs(QStringLiteral("department"), first->department, e.department);
            if (first->workdays != e.workdays)
                return differs(QStringLiteral("workday"), workdaysText(first->workdays),
                               workdaysText(e.workdays));
            if (first->email != e.email)
                return differs(QStringLiteral("email"), first->email, e.email);
        } else {
            personFirst.insert(e.person, entry);
        }
    }
    return read;
}

RosterFileRead readRosterFile(const QString &path, const QStringList &testers) {
    return rosterOf(readSpreadsheet(path), testers);
}

RosterChanges rosterChanges(const std::vector<RosterEntry> &before,
                            const std::vector<RosterEntry> &after) {
    struct Person {
        const RosterEntry *details = nullptr;
        QStringList entrances;
    };
    auto byPerson = [](const std::vector<RosterEntry> &entries) {
        QMap<QString, Person> persons;
        for (const RosterEntry &e : entries) {
            Person &p = persons[e.person];
            p.details = &e;
            p.entrances.append(QStringLiteral("%1:%2").arg(e.tester).arg(e.user));
        }
        for (Person &p : persons)
            p.entrances.sort();
        return persons;
    };
    const QMap<QString, Person> old = byPerson(before);
    const QMap<QString, Person> now = byPerson(after);
    RosterChanges changes;
    for (auto it = now.begin(); it != now.end(); ++it) {
        const auto was = old.find(it.key());
        if (was == old.end()) {
            changes.added.append(it.key());
            continue;
        }
        const RosterEntry &a = *was->details;
        const RosterEntry &b = *it->details;
        if (a.name != b.name || a.department != b.department || a.workdays != b.workdays ||
            a.email != b.email)
            changes.changed.append(it.key());
        if (was->entrances != it->entrances)
            changes.moved.append(it.key());
    }
    for (auto it = old.begin(); it != old.end(); ++it)
        if (!now.contains(it.key()))
            changes.removed.append(it.key());
    return changes;
}

} // namespace nxa::collect
