#pragma once

#include "collect/site/SitePage.h"

namespace nxa::collect {

// "/tester/NAME": what status says of the tester, its tests and fail rate
// per day against its control limits, the limits in force and their
// changes, its calibrations (the report's sections over the last 30 days),
// and its latest collection attempts.
web::HttpResponse testerPage(const PageContext &context, const QString &name);

} // namespace nxa::collect
