#pragma once

#include "collect/site/SitePage.h"

namespace nxa::collect {

// "/verify": when the archive has signed checkpoints, what `nxa-collect
// verify` finds now: the log rebuilt from the rows and held against each.
web::HttpResponse verifyPage(const PageContext &context);

} // namespace nxa::collect
