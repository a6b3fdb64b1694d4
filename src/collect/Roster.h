#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace nxa::collect {

// Days of the week as bits, Monday the lowest.
inline constexpr std::uint8_t kMondayToFriday = 0x1F;
inline constexpr int kMaxUserNumber = 999;

// One enrolment of a person at one tester: a row of the plant's roster.
struct RosterEntry {
    QString person; // the plant's own ID
    QString name;
    QString department;
    std::uint8_t workdays = kMondayToFriday;
    QString email;
    QString tester; // the tester's group name in the configuration
    int user = 0;
    int line = 0; // in the file it came from; 0 when read from the archive

    friend bool operator==(const RosterEntry &a, const RosterEntry &b) {
        return a.person == b.person && a.name == b.name && a.department == b.department &&
               a.workdays == b.workdays && a.email == b.email && a.tester == b.tester &&
               a.user == b.user;
    }
};

struct RosterFileRead {
    std::vector<RosterEntry> entries; // in the file's order
    QString error;                    // the first fault; nothing is read then
    int errorLine = 0;
};

// Reads a roster file (CSV or XLSX) and checks it whole: every required
// column present, every tester one of `testers`, every user 0-999, no
// tester:user enrolled for two persons, no person under two names or with
// two different departments, workdays or addresses. A row that repeats
// another exactly counts once.
RosterFileRead readRosterFile(const QString &path, const QStringList &testers);
// The same for rows already read, the header first.
struct SpreadsheetRead;
RosterFileRead rosterOf(const SpreadsheetRead &sheet, const QStringList &testers);

// "Mon-Fri", "Mon,Wed,Fri", "Sat-Mon" as bits; nothing for another text. An
// empty text is Monday to Friday.
std::optional<std::uint8_t> parseWorkdays(const QString &text);
// The bits as the shortest text parseWorkdays reads back ("Mon-Fri").
QString workdaysText(std::uint8_t workdays);

// What an import changes, person by person.
struct RosterChanges {
    QStringList added;   // person IDs new to the roster
    QStringList changed; // name, department, workdays or address changed
    QStringList removed; // no longer in the roster
    QStringList moved;   // enrolments (tester:user) changed
    bool empty() const {
        return added.isEmpty() && changed.isEmpty() && removed.isEmpty() && moved.isEmpty();
    }
};
RosterChanges rosterChanges(const std::vector<RosterEntry> &before,
                            const std::vector<RosterEntry> &after);

} // namespace nxa::collect
