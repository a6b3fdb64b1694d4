#pragma once

#include "collect/site/SitePage.h"

namespace nxa::collect {

// The longest period one request may ask a report of.
inline constexpr int kMaxReportDays = 366;

// "/report?from=yyyy-mm-dd&to=yyyy-mm-dd[&format=pdf]": the audit report of
// the period, the same document as `nxa-collect report` writes, as HTML or
// PDF (default: the 30 days up to yesterday).
web::HttpResponse reportPage(const PageContext &context);

} // namespace nxa::collect
