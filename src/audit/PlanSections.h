#pragma once

#include "analysis/AnalysisInput.h"
#include "document/ReportDocument.h"

#include <vector>

// The report's parts about the plant's ESD plan, each built on its own so
// that the report only places them.
namespace nxa::audit {

// Every configuration change first seen from `fromDay` to `toDay`, with the
// day it was first seen, for the limits section.
std::vector<document::Block> configurationChangeBlocks(const analysis::Plant &plant, int fromDay,
                                                       int toDay);

// Per tester: its calibrations of the period and where it stands at the
// period's end.
document::Section calibrationSection(const analysis::Plant &plant, int fromDay, int toDay);

} // namespace nxa::audit
