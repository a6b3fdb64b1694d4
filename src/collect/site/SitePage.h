#pragma once

#include "collect/Archive.h"
#include "collect/CollectConfig.h"
#include "web/HttpMessage.h"

#include <QDate>
#include <QDateTime>
#include <QString>

namespace nxa::collect {

// What every page is computed from.
struct PageContext {
    const CollectConfig &config;
    Archive &archive;
    const web::HttpRequest &request;
    QDateTime now;
};

// Text for HTML: the five characters that could end a text or attribute.
QString html(const QString &text);
// A link within the site; the path's parts are percent-encoded here.
QString siteLink(const QString &path, const QString &text, const QString &cssClass = {});
// "/tester/NAME", "/person/ID": one segment, encoded.
QString sitePath(const QString &first, const QString &segment);

// A whole page: the navigation, the title and the body, with a style that
// reads on a phone and prints in greyscale (every colour also has a word).
web::HttpResponse sitePage(const QString &title, const QString &body, int status = 200);
web::HttpResponse notFound(const QString &what);
web::HttpResponse badRequest(const QString &why);
web::HttpResponse archiveFailure(const QString &why);

// The page with a meta refresh every `seconds`, for a screen at the gate.
QByteArray withRefresh(const QByteArray &page, int seconds);

// A "yyyy-mm-dd" query value, else `otherwise`; nothing when it is no date.
std::optional<QDate> dateValue(const web::HttpRequest &request, const QString &name,
                               const QDate &otherwise);

} // namespace nxa::collect
