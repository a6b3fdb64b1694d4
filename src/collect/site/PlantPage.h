#pragma once

#include "collect/site/SitePage.h"

namespace nxa::collect {

// "/": the plant on a day (today, or ?day=yyyy-mm-dd): each person expected
// cleared, failed and not passed since, or not tested yet, with time and
// entrance; the open items of that morning's check; each tester's last
// collection, the silent ones in red.
web::HttpResponse plantPage(const PageContext &context);

} // namespace nxa::collect
