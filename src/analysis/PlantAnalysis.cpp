#include "analysis/PlantAnalysis.h"

namespace nxa::analysis {

PlantAnalysis analysePlant(const Plant &plant, int day, const AnalysisSettings &settings) {
    PlantAnalysis analysis;
    analysis.compliance = dailyCompliance(plant);
    analysis.exceptions = dayExceptions(plant, day, settings);
    analysis.levels = plantLevels(plant, day, settings);
    analysis.drift = driftWatch(plant, day, settings, analysis.levels);
    analysis.testers = testerHealth(plant, settings);
    analysis.funnel = testerFunnel(plant, day, settings);
    analysis.retests = retests(analysis.compliance);
    return analysis;
}

} // namespace nxa::analysis
