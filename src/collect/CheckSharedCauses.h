#pragma once

#include "analysis/PlantLevels.h"
#include "analysis/TesterFunnel.h"

#include <QStringList>

// The morning list's lines for causes that are not one person's: a level the
// whole plant or one tester shares, and a tester whose fail rate stands out
// from the plant's.
namespace nxa::collect {

QStringList plantShiftLines(const analysis::PlantLevels &levels);
QStringList testerShiftLines(const analysis::Plant &plant, const analysis::PlantLevels &levels);
QStringList funnelLines(const analysis::Plant &plant, const analysis::TesterFunnel &funnel);
// Testers whose tests in the period are too few for the funnel's limits.
QStringList tooFewTestsLines(const analysis::Plant &plant, const analysis::TesterFunnel &funnel);

} // namespace nxa::collect
