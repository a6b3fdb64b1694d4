#include "collect/CollectServe.h"

#include "collect/CollectCommandLine.h"
#include "collect/CollectSignals.h"
#include "collect/site/Site.h"
#include "web/HttpServer.h"
#include "web/WebUsers.h"

#include <QFile>
#include <QThread>

#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace nxa::collect {

namespace {

constexpr int kMaxPemBytes = 1 << 20;
constexpr int kStopPollMs = 200;

std::optional<QByteArray> readPem(const QString &path, QString &error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1").arg(path);
        return std::nullopt;
    }
    const QByteArray bytes = file.read(kMaxPemBytes + 1);
    if (bytes.size() > kMaxPemBytes || !bytes.contains("-----BEGIN ")) {
        error = QStringLiteral("%1 holds no PEM certificate or key").arg(path);
        return std::nullopt;
    }
    return bytes;
}

// One line, without its line end; from the terminal without echo.
std::optional<QByteArray> readPassword(QTextStream &out) {
    const bool terminal = isatty(STDIN_FILENO);
    termios saved{};
    if (terminal) {
        out << "Password: " << Qt::flush;
        tcgetattr(STDIN_FILENO, &saved);
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    QByteArray line;
    int c = 0;
    while ((c = std::getchar()) != EOF && c != '\n' && line.size() < 1024)
        line.append(char(c));
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        out << Qt::endl;
    }
    if (line.endsWith('\r'))
        line.chop(1);
    if (c == EOF && line.isEmpty())
        return std::nullopt;
    return line;
}

} // namespace

int serveCommand(const CollectConfig &config, const QStringList &args, QTextStream &out,
                 QTextStream &err) {
    QString listenText = QString::fromLatin1(web::kDefaultListen);
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--listen") && i + 1 < args.size()) {
            listenText = args[++i];
        } else if (args[i].startsWith(QLatin1String("--listen="))) {
            listenText = args[i].mid(9);
        } else {
            err << "nxa-collect: serve takes --listen ADDRESS:PORT only, not \"" << args[i] << "\""
                << Qt::endl;
            return kExitUsage;
        }
    }
    const std::optional<web::ListenAddress> listen = web::parseListenAddress(listenText);
    if (!listen) {
        err << "nxa-collect: --listen needs ADDRESS:PORT, such as 127.0.0.1:8080, not \""
            << listenText << "\"" << Qt::endl;
        return kExitUsage;
    }
    const bool tls = !config.tlsCert.isEmpty() || !config.tlsKey.isEmpty();
    if (tls && (config.tlsCert.isEmpty() || config.tlsKey.isEmpty())) {
        err << "nxa-collect: TLS needs both tls-cert= and tls-key=" << Qt::endl;
        return kExitUsage;
    }
    // Names and access history go to nobody on the network without a
    // password, nor as clear text.
    if (!listen->loopback() && (!tls || config.webUsers.isEmpty())) {
        err << "nxa-collect: serving on " << listen->text()
            << ", which is not a loopback address, needs TLS (tls-cert= and tls-key=) and a "
               "users file (web-users=) in the configuration; without them serve on "
               "127.0.0.1 behind a reverse proxy"
            << Qt::endl;
        return kExitUsage;
    }
    // Basic authentication sends the password as it is: over TLS only.
    if (!config.webUsers.isEmpty() && !tls) {
        err << "nxa-collect: web-users= needs TLS (tls-cert= and tls-key=): a password must "
               "not cross the network in clear text"
            << Qt::endl;
        return kExitUsage;
    }
    web::ServerSettings settings;
    settings.listen = *listen;
    QString error;
    if (tls) {
        const std::optional<QByteArray> cert = readPem(config.tlsCert, error);
        const std::optional<QByteArray> key = cert ? readPem(config.tlsKey, error) : std::nullopt;
        if (!key) {
            err << "nxa-collect: " << error << Qt::endl;
            return kExitUsage;
        }
        settings.tlsCert = *cert;
        settings.tlsKey = *key;
    }
    std::unique_ptr<web::WebUsers> users;
    if (!config.webUsers.isEmpty()) {
        web::WebUsers::Read read = web::WebUsers::read(config.webUsers);
        if (!read.users) {
            err << "nxa-collect: " << read.error << Qt::endl;
            return kExitUsage;
        }
        users = std::move(read.users);
        settings.users = users.get();
    }
    Site site(config);
    web::HttpServer server(
        settings, [&site](const web::HttpRequest &request) { return site.answer(request); });
    if (!server.start(error)) {
        err << "nxa-collect: " << error << Qt::endl;
        return kExitFailed;
    }
    web::ListenAddress actual = *listen;
    actual.port = server.port();
    out << "nxa-collect serving " << config.archive.displayName() << " on "
        << (tls ? "https://" : "http://") << actual.text() << "/" << Qt::endl;
    while (!stopRequested())
        QThread::msleep(kStopPollMs);
    server.stop();
    out << "nxa-collect: stopped" << Qt::endl;
    return kExitOk;
}

int webUserCommand(const CollectConfig &config, const QStringList &args, QTextStream &out,
                   QTextStream &err) {
    if (args.size() != 2 || args[0] != QLatin1String("add")) {
        err << "nxa-collect: web-user add NAME" << Qt::endl;
        return kExitUsage;
    }
    if (config.webUsers.isEmpty()) {
        err << "nxa-collect: the configuration names no users file: add web-users=FILE" << Qt::endl;
        return kExitUsage;
    }
    if (!web::plainUserName(args[1])) {
        err << "nxa-collect: \"" << args[1]
            << "\" is no user name (letters, digits, \".\", \"-\" and \"_\", at most 64)"
            << Qt::endl;
        return kExitUsage;
    }
    std::optional<QByteArray> password = readPassword(out);
    if (!password || password->isEmpty()) {
        err << "nxa-collect: no password given" << Qt::endl;
        return kExitUsage;
    }
    const QString error = web::setWebUser(config.webUsers, args[1], *password);
    password->fill('\0');
    if (!error.isEmpty()) {
        err << "nxa-collect: " << error << Qt::endl;
        return kExitFailed;
    }
    out << "Saved the user " << args[1] << " in " << config.webUsers << Qt::endl;
    return kExitOk;
}

} // namespace nxa::collect
