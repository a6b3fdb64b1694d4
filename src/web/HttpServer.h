#pragma once

#include "web/HttpMessage.h"
#include "web/ListenAddress.h"
#include "web/LoginThrottle.h"

#include <QByteArray>
#include <QString>

#include <functional>

struct MHD_Daemon;
struct MHD_Connection;

namespace nxa::web {

class WebUsers;

// The header lines a request may bring, all together; a browser sends a
// few hundred bytes.
inline constexpr int kMaxHeaderBytes = 16 * 1024;

struct ServerSettings {
    ListenAddress listen;
    // PEM; both empty: plain HTTP.
    QByteArray tlsCert;
    QByteArray tlsKey;
    // Null: anyone may look (loopback). Else Basic authentication against it.
    const WebUsers *users = nullptr;
    int threads = 4;
    int connectionLimit = 256;
    int perClientLimit = 64;
    int idleTimeoutSeconds = 10;
    // A connection's own memory: its request line, headers and their parsing.
    int connectionMemoryBytes = 32 * 1024;
};

// The server of the read-only web view: libmicrohttpd parses the requests,
// holds the connections and runs the handler on its own pool of threads;
// this class checks what reaches the handler (method, header size, path
// and query, the user) and adds the security headers to every answer.
class HttpServer {
public:
    // Called on the server's threads, several at once.
    using Handler = std::function<HttpResponse(const HttpRequest &)>;

    HttpServer(ServerSettings settings, Handler handler);
    ~HttpServer();
    HttpServer(const HttpServer &) = delete;
    HttpServer &operator=(const HttpServer &) = delete;

    // False with `error` when it cannot listen or the TLS files do not suit.
    bool start(QString &error);
    // The port it listens on (the chosen one for port 0).
    quint16 port() const { return m_port; }
    void stop();

    // The internal entry of libmicrohttpd's request callback.
    HttpResponse answer(MHD_Connection *connection, const char *url, const char *method);

private:
    ServerSettings m_settings;
    Handler m_handler;
    LoginThrottle m_throttle;
    QByteArray m_cert;
    QByteArray m_key;
    MHD_Daemon *m_daemon = nullptr;
    quint16 m_port = 0;
};

// What every answer carries: a policy that forbids scripts and every
// request to anywhere, and no caching of what holds names.
inline constexpr char kContentSecurityPolicy[] =
    "default-src 'none'; style-src 'unsafe-inline'; img-src data:; base-uri 'none'; "
    "form-action 'self'; frame-ancestors 'none'";

} // namespace nxa::web
