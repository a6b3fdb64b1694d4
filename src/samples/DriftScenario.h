#pragma once

#include "samples/PlantScenario.h"

#include <QDate>
#include <QDateTime>
#include <QStringList>

#include <optional>
#include <vector>

// A plant of five testers of 40 persons each over the 120 days before a
// given day, with causes planted that act on many persons at once, next to
// persons who drift on their own. Limits are the tester's defaults
// (footwear 100 to 70,000 kOhm, wrist strap 750 to 35,000 kOhm); a test
// passes when every value is within them.
//
// Always: users 1-3 of every tester drift on their own (user 1 its wrist
// strap, users 2 and 3 both shoes) by +2.8 to +4.2 % a day from 110 to 94
// days before today, until they fail and get new shoes or a new strap, back
// to their first values; every other person is steady, with
// the spread of a real measurement (about +-7 %). One first test in 25
// fails on a wrist strap that does not reach the skin and passes on the
// retest; each person skips about one day in ten.
namespace nxa::samples {

struct DriftScenario {
    // Dry air: every person's footwear rises x2.8 over 21 days from 45 days
    // before today, then stays.
    bool dryAir = false;
    // A worn plate: every WS reading at north rises 2.8 % a day from 40 days
    // before today.
    bool wornPlate = false;
    // New shoes: users 4 and 5 of every tester step down to a tenth of
    // their footwear resistance 30 days before today.
    bool newShoes = false;
    // West fails one first test in five, every day.
    bool raisedFails = false;
};

// When each planted cause starts, as offsets in days from today.
inline constexpr int kScenarioDays = 120;
inline constexpr int kDryAirFrom = -45;
inline constexpr int kDryAirRiseDays = 21;
inline constexpr double kDryAirFactor = 2.8;
inline constexpr int kWornPlateFrom = -40;
inline constexpr double kWornPlatePerDay = 1.028;
inline constexpr int kNewShoesFrom = -30;
inline const QString kWornPlateTester = QStringLiteral("north");
inline const QString kRaisedFailsTester = QStringLiteral("west");

enum class ScenarioRole { Steady, Drifter, NewShoes };

struct ScenarioPerson {
    int user = 0;
    QByteArray name;
    ScenarioRole role = ScenarioRole::Steady;
};

struct ScenarioAccess {
    QDateTime at;
    int user = 0;
    quint32 wsKohm = 0, lKohm = 0, rKohm = 0;
    bool pass = true;
};

struct ScenarioTester {
    QString name;
    int peripheral = 0;
    std::vector<ScenarioPerson> persons;
    std::vector<ScenarioAccess> accesses; // in time order
};

QStringList scenarioTesterNames();

// Nothing for a name that is no tester of the plant.
std::optional<ScenarioTester> scenarioTester(const QString &name, const QDate &today,
                                             const DriftScenario &scenario);
std::optional<PlantTester> scenarioPlantTester(const QString &name, const QDate &today,
                                               const DriftScenario &scenario);

} // namespace nxa::samples
