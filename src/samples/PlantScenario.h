#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

// A small plant whose records hold known things to find, dated relative to
// a given day so that "yesterday" always has something to show:
//
// "north" (peripheral 1, 40 persons, 60 days):
//   - Ada Drift and Ben Drift: both shoes drift upward, about +3.5 % a day,
//     and cross the footwear maximum (70,000 kOhm) some 17 days after today;
//   - Cy Retry fails three times three days ago, then passes;
//   - yesterday Di Nopass fails twice and never passes, Ed Relay is let
//     through by the relay without passing (his profile's relay is
//     "Always"), then passes, and Flo Absent does not come;
//   - cold mornings 15, 30 and 45 days ago: three persons test before 06:30,
//     fail on the wrist strap and pass a few minutes later;
//   - user 7 is "Gus Renamed", or "Gus Newname" in the renamed variant;
// "south" (peripheral 2, 10 persons): yesterday six of them fail their first
//   test and pass on the second, far above its usual fail rate;
// "east" (peripheral 3, 3 persons): traffic every day until three days ago,
//   then none.
// Everywhere else about one first test in twenty fails on the wrist strap
// and passes on the retest, the way a real entrance does. Limits are the
// tester's defaults; every unused user slot is inactive, or active as the
// factory leaves it (UserTable::FactoryDefault).
namespace nxa::samples {

struct PlantTester {
    QByteArray datalogger;    // transfer form, 192,192 bytes
    QByteArray configuration; // transfer form, 32,960 bytes
};

QStringList plantTesterNames();

// Which users a tester's table holds as active: only the plant's persons, or
// every user, as a tester leaves the factory and as many plants keep it.
enum class UserTable { PersonsOnly, FactoryDefault };

struct PlantOptions {
    bool renamed = false; // the north tester's user 7 carries its new name
    UserTable userTable = UserTable::PersonsOnly;
    // A second entrance shared by some persons: yesterday at noon, after her
    // two fails at north, Di Nopass passes at the south entrance (south user
    // 11), and Flo Absent, absent from north, passes there too (user 12).
    bool sharedEntrance = false;
    // Profile 1 of the configuration lets wrist straps pass up to 50,000
    // kOhm, as a tester whose limit someone raised; the records stay as
    // they are.
    bool loosened = false;
};

// Nothing for a name that is no tester of the plant.
std::optional<PlantTester> plantTester(const QString &name, const QDate &today,
                                       const PlantOptions &options);
std::optional<PlantTester> plantTester(const QString &name, const QDate &today, bool renamed);

} // namespace nxa::samples
