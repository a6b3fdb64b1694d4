#pragma once

#include "collect/CollectConfig.h"
#include "collect/site/SiteCache.h"
#include "web/HttpMessage.h"

namespace nxa::collect {

// The pages of the web view by their paths, each computed once per change
// of the archive and kept; called on the server's threads.
class Site {
public:
    explicit Site(const CollectConfig &config) : m_config(config) {}
    web::HttpResponse answer(const web::HttpRequest &request);

private:
    const CollectConfig &m_config;
    SiteCache m_cache;
};

} // namespace nxa::collect
