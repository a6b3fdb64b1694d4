#pragma once

#include "web/HttpMessage.h"

#include <QHash>
#include <QMutex>
#include <QString>

#include <functional>

namespace nxa::collect {

// The pages the web view computed, each for the archive's change mark it
// was computed at: a page is computed once per mark however many ask, and
// only one page is computed at a time, so memory and the archive's load
// stay bounded whatever the clients do. The oldest pages go first once the
// cache holds more than its bytes.
class SiteCache {
public:
    static constexpr qsizetype kMaxBytes = 64 * 1024 * 1024;
    static constexpr qsizetype kMaxEntries = 512;

    using Compute = std::function<web::HttpResponse()>;
    // Server errors (5xx) are answered but not kept.
    web::HttpResponse answer(const QString &key, const QString &mark, const Compute &compute);

private:
    struct Entry {
        QString mark;
        web::HttpResponse response;
        quint64 lastUse = 0;
    };
    std::optional<web::HttpResponse> kept(const QString &key, const QString &mark);
    void keep(const QString &key, const QString &mark, const web::HttpResponse &response);

    QMutex m_entriesMutex;
    QMutex m_computeMutex;
    QHash<QString, Entry> m_entries;
    qsizetype m_bytes = 0;
    quint64 m_uses = 0;
};

} // namespace nxa::collect
