#pragma once

#include "analysis/AnalysisInput.h"
#include "analysis/SortedAccesses.h"

#include <QDate>

#include <algorithm>

namespace nxa::analysis::test {

// The day the tests analyse.
inline const int kDay = static_cast<int>(QDate(2026, 3, 16).toJulianDay());

inline LimitsSnapshot snapshotFrom(int fromDay, Mode mode = Mode::Normal) {
    LimitsSnapshot snapshot;
    snapshot.fromDay = fromDay;
    snapshot.mode = mode;
    snapshot.users.resize(kUserCount);
    return snapshot;
}

inline Access accessAt(int tester, int user, int day, int second, bool pass) {
    Access access;
    access.tester = tester;
    access.user = static_cast<std::int16_t>(user);
    access.day = day;
    access.second = second;
    access.pass = pass;
    return access;
}

inline void sortAccesses(Plant &plant) {
    std::sort(plant.accesses.begin(), plant.accesses.end(), accessBefore);
}

} // namespace nxa::analysis::test
