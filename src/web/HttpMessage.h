#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <utility>

namespace nxa::web {

// One GET request as the server hands it to the site: its path and query
// already decoded and checked (RequestTarget), the caller's address, and the
// user the request was authenticated as (empty without users).
struct HttpRequest {
    QString path;
    QMap<QString, QString> query;
    QString client;
    QString user;
};

struct HttpResponse {
    int status = 200;
    QByteArray contentType = "text/html; charset=utf-8";
    QByteArray body;
    // More headers of this answer; the server adds its security headers to every one.
    QList<std::pair<QByteArray, QByteArray>> headers;

    // A short plain-text answer, for errors: nothing a browser could run.
    static HttpResponse text(int status, const QByteArray &body) {
        HttpResponse response;
        response.status = status;
        response.contentType = "text/plain; charset=utf-8";
        response.body = body + '\n';
        return response;
    }
};

} // namespace nxa::web
