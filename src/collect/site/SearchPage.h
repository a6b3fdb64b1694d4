#pragma once

#include "collect/site/SitePage.h"

namespace nxa::collect {

// "/search?q=TEXT": the persons of the last 30 days and of the roster whose
// name or ID holds the text, in any case.
web::HttpResponse searchPage(const PageContext &context);

} // namespace nxa::collect
