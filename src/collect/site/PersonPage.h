#pragma once

#include "collect/site/SitePage.h"

namespace nxa::collect {

// "/person/ID": a roster person by their ID, or anyone by "TESTER:USER":
// their trend charts against their profile's limits and their tests of the
// last 60 days, each with the limits then in force.
web::HttpResponse personPage(const PageContext &context, const QString &id);

} // namespace nxa::collect
