#pragma once

#include "analysis/AnalysisInput.h"

#include <optional>

namespace nxa::analysis {

// The configuration in force on a day: the latest whose fromDay is not after
// it; a day before the first snapshot is under the first. Null when the
// tester's configuration was never collected, or the tester is unknown.
const LimitsSnapshot *snapshotInForce(const Plant &plant, int tester, int day);

// The profile (0-9, or the visitors profile) an access is checked against.
// Null when the user number lies outside the user table.
std::optional<int> profileOf(const LimitsSnapshot &snapshot, const Access &access);

// The user table entry of a person on a day, when the table is known.
const UserEntry *userInForce(const Plant &plant, int tester, int user, int day);

} // namespace nxa::analysis
