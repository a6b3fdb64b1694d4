#pragma once

#include "analysis/AnalysisInput.h"
#include "analysis/SortedAccesses.h"
#include "samples/DriftScenario.h"

#include <algorithm>

namespace nxa::analysis::test {

// The drift plant as the archive would give it to the analysis, under the
// tester's default limits that its scenario passes and fails by.
inline Plant scenarioPlant(const QDate &today, const samples::DriftScenario &scenario) {
    Plant plant;
    const QStringList names = samples::scenarioTesterNames();
    for (int t = 0; t < names.size(); ++t) {
        const samples::ScenarioTester tester = *samples::scenarioTester(names[t], today, scenario);
        TesterInput input;
        input.name = tester.name;
        LimitsSnapshot snapshot;
        snapshot.fromDay = static_cast<int>(today.toJulianDay()) - 1000;
        for (ProfileLimits &profile : snapshot.profiles) {
            profile.footwear = {100, 70000};
            profile.wristStrap = {750, 35000};
        }
        snapshot.users.resize(kUserCount);
        for (const samples::ScenarioPerson &p : tester.persons)
            snapshot.users[static_cast<std::size_t>(p.user)] = {true, QString::fromLatin1(p.name),
                                                                0};
        input.limits.push_back(snapshot);
        plant.testers.push_back(input);
        for (const samples::ScenarioAccess &a : tester.accesses) {
            Access access;
            access.tester = t;
            access.user = static_cast<std::int16_t>(a.user);
            access.day = static_cast<std::int32_t>(a.at.date().toJulianDay());
            access.second = a.at.time().msecsSinceStartOfDay() / 1000;
            access.pass = access.relay = a.pass;
            access.wsKohm = static_cast<std::int32_t>(a.wsKohm);
            access.lKohm = static_cast<std::int32_t>(a.lKohm);
            access.rKohm = static_cast<std::int32_t>(a.rKohm);
            plant.accesses.push_back(access);
        }
    }
    std::sort(plant.accesses.begin(), plant.accesses.end(), accessBefore);
    return plant;
}

} // namespace nxa::analysis::test
