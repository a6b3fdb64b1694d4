#include "samples/DriftScenario.h"

#include "config/ConfigurationImage.h"
#include "config/StationConfig.h"
#include "samples/DataloggerImageBuilder.h"
#include "samples/Dice.h"

#include <cmath>

namespace nxa::samples {

namespace {

constexpr int kPersons = 40;
constexpr int kDrifters = 3;
constexpr double kFootwearMaxKohm = 70000;
constexpr double kFootwearMinKohm = 100;
constexpr double kWristStrapMaxKohm = 35000;
constexpr double kWristStrapMinKohm = 750;
constexpr quint32 kDryWristStrapKohm = 48000;
constexpr int kUsualFailureCycle = 25;
constexpr int kRaisedFailureCycle = 5;
constexpr int kRetestMinutes = 3;
constexpr int kSkipOneIn = 10;
constexpr double kNoise = 0.03; // log10, uniform: about +-7 %
constexpr double kNewShoesFactor = 0.1;

struct Plan {
    ScenarioPerson person;
    double wsLog = 0;
    double footLog = 0;
    bool wristStrapDrift = false;
    double driftPerDay = 0; // log10
    int driftFrom = 0;      // offset
};

double uniformLog(Dice &dice, double low, double high) {
    return std::log10(low) + (dice.symmetric() + 1) / 2 * (std::log10(high) - std::log10(low));
}

std::vector<Plan> plans(int testerIndex) {
    std::vector<Plan> list;
    Dice dice(7919 * static_cast<quint64>(testerIndex + 1));
    for (int user = 1; user <= kPersons; ++user) {
        Plan p;
        p.person.user = user;
        p.person.name = QByteArray("Person ") + QByteArray::number(testerIndex + 1) + "-" +
                        QByteArray::number(user);
        p.wsLog = uniformLog(dice, 2000, 5000);
        p.footLog = uniformLog(dice, 800, 6000);
        if (user <= kDrifters) {
            const int k = testerIndex * kDrifters + user - 1;
            p.person.role = ScenarioRole::Drifter;
            p.wristStrapDrift = user == 1;
            p.driftPerDay = 0.012 + 0.002 * (k % 4);
            p.driftFrom = -110 + 4 * (k % 5);
            if (p.wristStrapDrift)
                p.wsLog = std::log10(3000.0);
            else
                p.footLog = std::log10(5000.0 + 400 * (k % 5));
        } else if (user <= kDrifters + 2) {
            p.person.role = ScenarioRole::NewShoes;
            p.footLog = uniformLog(dice, 4000, 6000);
        }
        list.push_back(p);
    }
    return list;
}

quint32 kohm(double log10Kohm) {
    return static_cast<quint32>(std::lround(std::pow(10.0, log10Kohm)));
}

bool within(double kohm, double low, double high) {
    return kohm >= low && kohm <= high;
}

} // namespace

QStringList scenarioTesterNames() {
    return {QStringLiteral("north"), QStringLiteral("south"), QStringLiteral("east"),
            QStringLiteral("west"), QStringLiteral("gate")};
}

std::optional<ScenarioTester> scenarioTester(const QString &name, const QDate &today,
                                             const DriftScenario &scenario) {
    const qsizetype index = scenarioTesterNames().indexOf(name);
    if (index < 0)
        return std::nullopt;
    const int testerIndex = static_cast<int>(index);
    ScenarioTester tester;
    tester.name = name;
    tester.peripheral = testerIndex + 1;
    const std::vector<Plan> people = plans(testerIndex);
    for (const Plan &p : people) {
        ScenarioPerson person = p.person;
        if (person.role == ScenarioRole::NewShoes && !scenario.newShoes)
            person.role = ScenarioRole::Steady;
        tester.persons.push_back(person);
    }
    const bool plate = scenario.wornPlate && name == kWornPlateTester;
    const int failureCycle = scenario.raisedFails && name == kRaisedFailsTester
                                 ? kRaisedFailureCycle
                                 : kUsualFailureCycle;
    // A drifter who failed gets new shoes or a new strap: back to where they began.
    std::vector<bool> replaced(people.size(), false);
    for (int offset = -kScenarioDays; offset <= -1; ++offset) {
        const QDate day = today.addDays(offset);
        double dryAir = 0;
        if (scenario.dryAir && offset >= kDryAirFrom)
            dryAir = std::log10(kDryAirFactor) *
                     std::min(1.0, static_cast<double>(offset - kDryAirFrom) / kDryAirRiseDays);
        const double wornPlate = plate && offset >= kWornPlateFrom
                                     ? std::log10(kWornPlatePerDay) * (offset - kWornPlateFrom)
                                     : 0;
        for (std::size_t i = 0; i < people.size(); ++i) {
            const Plan &p = people[i];
            Dice dice(static_cast<quint64>(testerIndex + 1) * 1000003 +
                      static_cast<quint64>(offset + 1000) * 1009 +
                      static_cast<quint64>(p.person.user));
            if (dice.below(kSkipOneIn) == 0)
                continue;
            const double drift =
                offset >= p.driftFrom && !replaced[i] ? p.driftPerDay * (offset - p.driftFrom) : 0;
            double footLog = p.footLog + dryAir + (p.wristStrapDrift ? 0 : drift);
            if (p.person.role == ScenarioRole::NewShoes && scenario.newShoes &&
                offset >= kNewShoesFrom)
                footLog += std::log10(kNewShoesFactor);
            const double wsLog = p.wsLog + wornPlate + (p.wristStrapDrift ? drift : 0);
            ScenarioAccess a;
            a.user = p.person.user;
            const int minute = 7 * 60 + dice.below(90);
            a.at = QDateTime(day, QTime(minute / 60, minute % 60, dice.below(30) * 2));
            a.wsKohm = kohm(wsLog + kNoise * dice.symmetric());
            a.lKohm = kohm(footLog + kNoise * dice.symmetric());
            a.rKohm = kohm(footLog + kNoise * dice.symmetric());
            a.pass = within(a.wsKohm, kWristStrapMinKohm, kWristStrapMaxKohm) &&
                     within(a.lKohm, kFootwearMinKohm, kFootwearMaxKohm) &&
                     within(a.rKohm, kFootwearMinKohm, kFootwearMaxKohm);
            if (!a.pass && drift > 0)
                replaced[i] = true;
            // Spread evenly over persons and days, so that no day stands out.
            const bool usualFailure = (7 * p.person.user + offset + 1000) % failureCycle == 0;
            if (usualFailure && a.pass) {
                ScenarioAccess failed = a;
                failed.wsKohm = kDryWristStrapKohm;
                failed.pass = false;
                tester.accesses.push_back(failed);
                a.at = a.at.addSecs(kRetestMinutes * 60);
            }
            tester.accesses.push_back(a);
        }
    }
    std::stable_sort(tester.accesses.begin(), tester.accesses.end(),
                     [](const ScenarioAccess &a, const ScenarioAccess &b) {
                         return std::pair(a.at.date(), a.at.time()) <
                                std::pair(b.at.date(), b.at.time());
                     });
    return tester;
}

std::optional<PlantTester> scenarioPlantTester(const QString &name, const QDate &today,
                                               const DriftScenario &scenario) {
    const std::optional<ScenarioTester> tester = scenarioTester(name, today, scenario);
    if (!tester)
        return std::nullopt;
    records::DataloggerImageBuilder builder;
    builder.setPeripheralNumber(tester->peripheral);
    config::StationConfig station;
    station.setPeripheralNumber(tester->peripheral);
    for (config::User &user : station.users)
        user.active = false;
    for (const ScenarioPerson &p : tester->persons) {
        builder.setUserName(p.user, p.name);
        config::User &user = station.users[static_cast<std::size_t>(p.user)];
        user.active = true;
        user.name = QString::fromLatin1(p.name);
    }
    for (const ScenarioAccess &a : tester->accesses) {
        records::AccessRecord record;
        record.user = static_cast<quint16>(a.user);
        record.footwear = a.lKohm;
        record.right = a.rKohm;
        record.wristStrap = a.wsKohm;
        const QDate d = a.at.date();
        const QTime t = a.at.time();
        record.timestamp = records::AccessRecord::dosTimestamp(d.year(), d.month(), d.day(),
                                                               t.hour(), t.minute(), t.second());
        record.flags = static_cast<quint8>(a.pass ? records::kFlagPass | records::kFlagRelay : 0);
        builder.addRecord(record);
    }
    PlantTester result;
    result.datalogger = builder.transferImage();
    result.configuration = config::encodeConfigurationTransfer(station);
    return result;
}

} // namespace nxa::samples
