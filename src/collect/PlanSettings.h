#pragma once

#include "analysis/AnalysisInput.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace nxa::collect {

// The plant's ESD plan as nxa-collect.ini gives it, before the first tester
// for all of them or in a tester's group for that one: the ranges the
// testers' limits must keep within, and how often a tester is calibrated.
struct PlanSettings {
    std::optional<analysis::Range> wristStrap; // plan-wrist-strap=
    std::optional<analysis::Range> footwear;   // plan-footwear=
    std::optional<int> calibrationEveryDays;   // calibration-every=
};

// The keys above, allowed both before the first tester and in a group.
const QStringList &planKeys();

// Takes one of planKeys(); an empty text when the value is good, else why not.
QString readPlanKey(const QString &key, const QString &value, PlanSettings &into);

// A tester's plan: each of its own keys replaces the global one.
PlanSettings testerPlan(const PlanSettings &global, const PlanSettings &own);

} // namespace nxa::collect
