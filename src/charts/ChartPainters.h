#pragma once

#include "charts/ChartInputs.h"

// One painter per chart kind, each on a frame the size of kChartSize.
namespace nxa::charts {

class ChartFrame;

void paintPersonTrend(const PersonTrend &chart, ChartFrame &frame);
void paintFailRate(const FailRateChart &chart, ChartFrame &frame);
void paintDailyAttempts(const DailyAttemptsChart &chart, ChartFrame &frame);
void paintCategories(const CategoryChart &chart, ChartFrame &frame);

} // namespace nxa::charts
