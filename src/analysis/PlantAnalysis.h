#pragma once

#include "analysis/DailyCompliance.h"
#include "analysis/DayExceptions.h"
#include "analysis/DriftWatch.h"
#include "analysis/PlantLevels.h"
#include "analysis/Retests.h"
#include "analysis/TesterFunnel.h"
#include "analysis/TesterHealth.h"

namespace nxa::analysis {

// Everything the analysis says about a plant, for one day.
struct PlantAnalysis {
    std::vector<PersonDay> compliance;
    DayExceptions exceptions;
    PlantLevels levels;
    std::vector<DriftResult> drift;
    std::vector<TesterHealth> testers;
    TesterFunnel funnel;
    Retests retests;
};

PlantAnalysis analysePlant(const Plant &plant, int day, const AnalysisSettings &settings = {});

} // namespace nxa::analysis
