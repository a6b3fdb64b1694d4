#include "web/HttpServer.h"

#include "common/VisibleText.h"
#include "web/RequestTarget.h"
#include "web/WebUsers.h"

#include <QThread>

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>

#include <cstdio>
#include <cstring>

namespace nxa::web {

namespace {

constexpr char kRealm[] = "nxa-collect";

// Paths and query values reach the server as the client wrote them, so
// that an encoded slash or dot is seen before anything decodes it.
size_t keepEscaped(void *, MHD_Connection *, char *text) {
    return std::strlen(text);
}

using Pairs = QList<std::pair<QByteArray, QByteArray>>;

MHD_Result collectPair(void *cls, MHD_ValueKind, const char *key, size_t keySize, const char *value,
                       size_t valueSize) {
    static_cast<Pairs *>(cls)->append(
        {QByteArray(key, qsizetype(keySize)),
         value ? QByteArray(value, qsizetype(valueSize)) : QByteArray()});
    return MHD_YES;
}

MHD_Result countHeader(void *cls, MHD_ValueKind, const char *key, size_t keySize, const char *,
                       size_t valueSize) {
    *static_cast<size_t *>(cls) += keySize + valueSize + (key ? 4 : 0);
    return MHD_YES;
}

QString clientOf(MHD_Connection *connection) {
    const MHD_ConnectionInfo *info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (!info || !info->client_addr)
        return QStringLiteral("?");
    char text[INET6_ADDRSTRLEN] = {};
    const sockaddr *address = info->client_addr;
    if (address->sa_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(address)->sin_addr, text,
                  sizeof text);
    else if (address->sa_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6 *>(address)->sin6_addr, text,
                  sizeof text);
    return QString::fromLatin1(text);
}

void releaseBody(void *body) {
    delete static_cast<QByteArray *>(body);
}

MHD_Result queue(MHD_Connection *connection, const HttpResponse &answer, bool askLogin) {
    // The body is shared with the site's cache, not copied: a report answered
    // on many connections at once is held once.
    auto *body = new QByteArray(answer.body);
    MHD_Response *response = MHD_create_response_from_buffer_with_free_callback_cls(
        size_t(body->size()), const_cast<char *>(body->constData()), &releaseBody, body);
    if (!response) {
        delete body;
        return MHD_NO;
    }
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, answer.contentType.constData());
    MHD_add_response_header(response, "Content-Security-Policy", kContentSecurityPolicy);
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, "X-Frame-Options", "DENY");
    MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
    MHD_add_response_header(response, "Cache-Control", "no-store");
    for (const auto &[name, value] : answer.headers)
        MHD_add_response_header(response, name.constData(), value.constData());
    const MHD_Result result =
        askLogin ? MHD_queue_basic_auth_fail_response(connection, kRealm, response)
                 : MHD_queue_response(connection, unsigned(answer.status), response);
    MHD_destroy_response(response);
    return result;
}

MHD_Result onRequest(void *cls, MHD_Connection *connection, const char *url, const char *method,
                     const char *, const char *, size_t *, void **) {
    auto *server = static_cast<HttpServer *>(cls);
    const HttpResponse answer = server->answer(connection, url, method);
    return queue(connection, answer, answer.status == MHD_HTTP_UNAUTHORIZED);
}

} // namespace

HttpServer::HttpServer(ServerSettings settings, Handler handler)
    : m_settings(std::move(settings)), m_handler(std::move(handler)) {}

HttpServer::~HttpServer() {
    stop();
}

bool HttpServer::start(QString &error) {
    sockaddr_in v4{};
    sockaddr_in6 v6{};
    const sockaddr *address = nullptr;
    unsigned flags = MHD_USE_AUTO_INTERNAL_THREAD | MHD_USE_ERROR_LOG;
    const QHostAddress &host = m_settings.listen.address;
    if (host.protocol() == QAbstractSocket::IPv6Protocol) {
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(m_settings.listen.port);
        const Q_IPV6ADDR bytes = host.toIPv6Address();
        std::memcpy(&v6.sin6_addr, bytes.c, sizeof bytes.c);
        address = reinterpret_cast<const sockaddr *>(&v6);
        flags |= MHD_USE_IPv6;
    } else {
        v4.sin_family = AF_INET;
        v4.sin_port = htons(m_settings.listen.port);
        v4.sin_addr.s_addr = htonl(host.toIPv4Address());
        address = reinterpret_cast<const sockaddr *>(&v4);
    }
    const bool tls = !m_settings.tlsCert.isEmpty();
    if (tls)
        flags |= MHD_USE_TLS;
    // Kept while the server runs: libmicrohttpd holds on to the pointers.
    m_cert = m_settings.tlsCert + '\0';
    m_key = m_settings.tlsKey + '\0';
    // The options the TLS build needs come last, so a plain server ends the
    // list before them.
    m_daemon = MHD_start_daemon(
        flags, m_settings.listen.port, nullptr, nullptr, &onRequest, this, MHD_OPTION_SOCK_ADDR,
        address, MHD_OPTION_THREAD_POOL_SIZE, unsigned(m_settings.threads),
        MHD_OPTION_CONNECTION_LIMIT, unsigned(m_settings.connectionLimit),
        MHD_OPTION_PER_IP_CONNECTION_LIMIT, unsigned(m_settings.perClientLimit),
        MHD_OPTION_CONNECTION_TIMEOUT, unsigned(m_settings.idleTimeoutSeconds),
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, size_t(m_settings.connectionMemoryBytes),
        MHD_OPTION_UNESCAPE_CALLBACK, &keepEscaped, nullptr,
        tls ? MHD_OPTION_HTTPS_MEM_CERT : MHD_OPTION_END, m_cert.constData(),
        MHD_OPTION_HTTPS_MEM_KEY, m_key.constData(), MHD_OPTION_END);
    if (!m_daemon) {
        error = QStringLiteral("cannot serve on %1%2")
                    .arg(m_settings.listen.text(),
                         tls ? QStringLiteral(
                                   " (is the port free, and do tls-cert and tls-key hold a PEM "
                                   "certificate and its key?)")
                             : QStringLiteral(" (is the port free?)"));
        return false;
    }
    const MHD_DaemonInfo *info = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_BIND_PORT);
    m_port = info ? info->port : m_settings.listen.port;
    return true;
}

void HttpServer::stop() {
    if (m_daemon)
        MHD_stop_daemon(m_daemon);
    m_daemon = nullptr;
}

HttpResponse HttpServer::answer(MHD_Connection *connection, const char *url, const char *method) {
    if (std::strcmp(method, MHD_HTTP_METHOD_GET) != 0 &&
        std::strcmp(method, MHD_HTTP_METHOD_HEAD) != 0) {
        HttpResponse refused = HttpResponse::text(405, "405 only GET: nothing here changes");
        refused.headers.append(std::pair<QByteArray, QByteArray>("Allow", "GET, HEAD"));
        return refused;
    }
    size_t headerBytes = 0;
    MHD_get_connection_values_n(connection, MHD_HEADER_KIND, &countHeader, &headerBytes);
    if (headerBytes > size_t(kMaxHeaderBytes))
        return HttpResponse::text(431, "431 request header fields too large");
    const QString client = clientOf(connection);
    QString user;
    if (m_settings.users) {
        char *password = nullptr;
        char *name = MHD_basic_auth_get_username_password(connection, &password);
        const bool named = name != nullptr;
        const QString given = named ? QString::fromUtf8(name) : QString();
        const bool right =
            named && password &&
            m_settings.users->verify(given, QByteArray(password, qsizetype(std::strlen(password))));
        if (password)
            std::memset(password, 0, std::strlen(password));
        MHD_free(name);
        MHD_free(password);
        if (!right) {
            // A browser asks first without a name: that is no failed login.
            if (named) {
                const int delayMs = m_throttle.failed(client);
                std::fprintf(stderr, "nxa-collect: failed login as \"%s\" from %s\n",
                             qPrintable(visibleText(given.left(64))), qPrintable(client));
                QThread::msleep(ulong(delayMs));
            }
            return HttpResponse::text(401, "401 this view needs a user name and password");
        }
        m_throttle.succeeded(client);
        user = given;
    }
    Pairs query;
    MHD_get_connection_values_n(connection, MHD_GET_ARGUMENT_KIND, &collectPair, &query);
    TargetCheck check = checkTarget(QByteArray(url), query);
    if (!check.request)
        return HttpResponse::text(check.status,
                                  check.status == 414 ? "414 too long" : "400 bad request");
    check.request->client = client;
    check.request->user = user;
    return m_handler(*check.request);
}

} // namespace nxa::web
