#include "collect/site/SiteCache.h"

#include <QMutexLocker>

namespace nxa::collect {

std::optional<web::HttpResponse> SiteCache::kept(const QString &key, const QString &mark) {
    QMutexLocker lock(&m_entriesMutex);
    const auto found = m_entries.find(key);
    if (found == m_entries.end() || found->mark != mark)
        return std::nullopt;
    found->lastUse = ++m_uses;
    return found->response;
}

void SiteCache::keep(const QString &key, const QString &mark, const web::HttpResponse &response) {
    QMutexLocker lock(&m_entriesMutex);
    if (const auto old = m_entries.find(key); old != m_entries.end()) {
        m_bytes -= old->response.body.size();
        m_entries.erase(old);
    }
    if (response.body.size() > kMaxBytes / 4)
        return;
    m_entries.insert(key, {mark, response, ++m_uses});
    m_bytes += response.body.size();
    while (m_bytes > kMaxBytes || m_entries.size() > kMaxEntries) {
        auto oldest = m_entries.begin();
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
            if (it->lastUse < oldest->lastUse)
                oldest = it;
        m_bytes -= oldest->response.body.size();
        m_entries.erase(oldest);
    }
}

web::HttpResponse SiteCache::answer(const QString &key, const QString &mark,
                                    const Compute &compute) {
    if (std::optional<web::HttpResponse> found = kept(key, mark))
        return *found;
    QMutexLocker computing(&m_computeMutex);
    // Another thread may have computed it while this one waited.
    if (std::optional<web::HttpResponse> found = kept(key, mark))
        return *found;
    web::HttpResponse response = compute();
    if (response.status < 500)
        keep(key, mark, response);
    return response;
}

} // namespace nxa::collect
