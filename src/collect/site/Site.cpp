#include "collect/site/Site.h"

#include "collect/site/PersonPage.h"
#include "collect/site/PlantPage.h"
#include "collect/site/ReportPage.h"
#include "collect/site/SearchPage.h"
#include "collect/site/SiteArchive.h"
#include "collect/site/TesterPage.h"
#include "collect/site/VerifyPage.h"

#include <QScopeGuard>

namespace nxa::collect {

namespace {

constexpr int kMinRefreshSeconds = 5;
constexpr int kMaxRefreshSeconds = 86400;

using Page = std::function<web::HttpResponse(const PageContext &)>;

// The page a path names, or nothing.
std::optional<Page> route(const QString &path) {
    if (path == QLatin1String("/"))
        return Page(plantPage);
    if (path == QLatin1String("/report"))
        return Page(reportPage);
    if (path == QLatin1String("/search"))
        return Page(searchPage);
    if (path == QLatin1String("/verify"))
        return Page(verifyPage);
    for (const auto &[prefix, page] : {std::pair{QStringLiteral("/tester/"), &testerPage},
                                       std::pair{QStringLiteral("/person/"), &personPage}}) {
        if (!path.startsWith(prefix))
            continue;
        const QString name = path.mid(prefix.size());
        if (name.isEmpty() || name.contains(QLatin1Char('/')))
            return std::nullopt;
        return Page([page, name](const PageContext &context) { return page(context, name); });
    }
    return std::nullopt;
}

} // namespace

web::HttpResponse Site::answer(const web::HttpRequest &request) {
    std::optional<int> refresh;
    if (request.query.contains(QStringLiteral("refresh"))) {
        bool ok = false;
        refresh = request.query.value(QStringLiteral("refresh")).toInt(&ok);
        if (!ok || *refresh < kMinRefreshSeconds || *refresh > kMaxRefreshSeconds)
            return web::HttpResponse::text(400, "400 refresh= needs seconds from 5 to 86400");
    }
    const std::optional<Page> page = route(request.path);
    if (!page)
        return web::HttpResponse::text(404, "404 no such page");
    QString error;
    Archive *archive = threadArchive(m_config, error);
    const QString mark = archive ? archiveChangeMark(*archive, error) : QString();
    if (!archive)
        return archiveFailure(error);
    const auto endRead = qScopeGuard([archive] { endThreadRead(*archive); });
    if (mark.isEmpty())
        return archiveFailure(error);
    const QDateTime now = QDateTime::currentDateTime();
    // Ages and silence move with the clock too: a page holds for an hour at most.
    const QString key = [&] {
        QString text = request.path;
        for (auto it = request.query.cbegin(); it != request.query.cend(); ++it)
            if (it.key() != QLatin1String("refresh"))
                text += QLatin1Char('\n') + it.key() + QLatin1Char('=') + it.value();
        return text;
    }();
    web::HttpResponse response =
        m_cache.answer(key, mark + now.toString(QStringLiteral(" yyyy-MM-dd hh")), [&] {
            return (*page)(PageContext{m_config, *archive, request, now});
        });
    if (refresh && response.contentType.startsWith("text/html"))
        response.body = withRefresh(response.body, *refresh);
    return response;
}

} // namespace nxa::collect
