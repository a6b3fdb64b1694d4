#include "app/commandline/CommandLinePlatform.h"

#include <QElapsedTimer>
#include <QString>
#include <QtGlobal>

#include <arpa/inet.h>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace nxa::app {

namespace {

constexpr int kX11TcpPortBase = 6000;

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

int remainingMs(const QElapsedTimer &elapsed, int timeoutMs) {
    return static_cast<int>(qMax<qint64>(0, timeoutMs - elapsed.elapsed()));
}

bool waitFor(int fd, short events, const QElapsedTimer &elapsed, int timeoutMs) {
    for (;;) {
        pollfd entry = {fd, events, 0};
        const int ready = ::poll(&entry, 1, remainingMs(elapsed, timeoutMs));
        if (ready > 0)
            return (entry.revents & events) != 0;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// Connects without blocking longer than the time left.
bool connectWithin(int fd, const sockaddr *address, socklen_t length, const QElapsedTimer &elapsed,
                   int timeoutMs) {
    if (::connect(fd, address, length) == 0)
        return true;
    if (errno != EINPROGRESS && errno != EAGAIN)
        return false;
    if (!waitFor(fd, POLLOUT, elapsed, timeoutMs))
        return false;
    int error = 0;
    socklen_t size = sizeof error;
    return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

// Receives exactly `size` bytes (none kept when `into` is null) within the
// time left.
bool receiveAll(int fd, char *into, size_t size, const QElapsedTimer &elapsed, int timeoutMs) {
    char discarded[4096];
    size_t got = 0;
    while (got < size) {
        if (!waitFor(fd, POLLIN, elapsed, timeoutMs))
            return false;
        char *at = into ? into + got : discarded;
        const size_t want = into ? size - got : qMin(size - got, sizeof discarded);
        const ssize_t n = ::recv(fd, at, want, MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (n <= 0)
            return false;
        got += static_cast<size_t>(n);
    }
    return true;
}

// A connection setup without authorisation: every X server answers it, with
// success, failure or a request to authenticate, in a reply whose first 8
// bytes give the length of the rest. Only the whole reply counts: the
// toolkit's own connection waits for all of it, without a time limit.
bool setupAnswered(int fd, const QElapsedTimer &elapsed, int timeoutMs) {
    const char setup[12] = {'l', 0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    if (::send(fd, setup, sizeof setup, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof setup))
        return false;
    unsigned char head[8] = {};
    if (!receiveAll(fd, reinterpret_cast<char *>(head), sizeof head, elapsed, timeoutMs))
        return false;
    // In 4-byte units, in the byte order the setup asked for ('l').
    const size_t rest = 4 * (size_t{head[6]} | size_t{head[7]} << 8);
    return receiveAll(fd, nullptr, rest, elapsed, timeoutMs);
}

bool localDisplayAnswers(int number, const QElapsedTimer &elapsed, int timeoutMs) {
    const QByteArray path = "/tmp/.X11-unix/X" + QByteArray::number(number);
    // The abstract name first, as the toolkit's connection tries it.
    for (const bool abstract : {true, false}) {
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        const int offset = abstract ? 1 : 0;
        if (path.size() + offset >= static_cast<qsizetype>(sizeof address.sun_path))
            return false;
        std::memcpy(address.sun_path + offset, path.constData(), static_cast<size_t>(path.size()));
        const auto length =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
        const Descriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (fd.get() < 0)
            return false;
        if (connectWithin(fd.get(), reinterpret_cast<const sockaddr *>(&address), length, elapsed,
                          timeoutMs))
            return setupAnswered(fd.get(), elapsed, timeoutMs);
    }
    return false;
}

bool remoteDisplayAnswers(const QByteArray &host, int number, const QElapsedTimer &elapsed,
                          int timeoutMs) {
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const QByteArray port = QByteArray::number(kX11TcpPortBase + number);
    if (::getaddrinfo(host.constData(), port.constData(), &hints, &found) != 0)
        return false;
    bool answered = false;
    for (const addrinfo *a = found; a && !answered && remainingMs(elapsed, timeoutMs) > 0;
         a = a->ai_next) {
        const Descriptor fd(
            ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol));
        answered = fd.get() >= 0 &&
                   connectWithin(fd.get(), a->ai_addr, a->ai_addrlen, elapsed, timeoutMs) &&
                   setupAnswered(fd.get(), elapsed, timeoutMs);
    }
    ::freeaddrinfo(found);
    return answered;
}

void dropToolkitMessage(QtMsgType type, const QMessageLogContext &, const QString &message) {
    if (type == QtFatalMsg) {
        const QByteArray text = message.toLocal8Bit() + '\n';
        [[maybe_unused]] const ssize_t ignored =
            ::write(STDERR_FILENO, text.constData(), static_cast<size_t>(text.size()));
    }
}

// The name of a platform in QT_QPA_PLATFORM's list, without its options.
QByteArray platformNameOf(const QByteArray &entry) {
    return entry.split(':').constFirst().trimmed();
}

} // namespace

bool xDisplayAnswers(const QByteArray &display, int timeoutMs) {
    QElapsedTimer elapsed;
    elapsed.start();
    QByteArray host = display;
    if (const qsizetype slash = host.lastIndexOf('/'); slash >= 0 && !host.startsWith('/'))
        host = host.mid(slash + 1); // "tcp/host:0", "unix/:0"
    const qsizetype colon = host.lastIndexOf(':');
    if (colon < 0)
        return false;
    QByteArray numberText = host.mid(colon + 1);
    if (const qsizetype dot = numberText.indexOf('.'); dot >= 0)
        numberText.truncate(dot);
    host.truncate(colon);
    if (host.endsWith(':')) // "host::0" names a DECnet display
        return false;
    bool ok = false;
    const int number = numberText.toInt(&ok);
    if (!ok || number < 0 || number > 0xffff - kX11TcpPortBase)
        return false;
    if (host.startsWith('/'))
        return true; // a socket path of its own: left to the toolkit
    if (host.isEmpty() || host == "unix")
        return localDisplayAnswers(number, elapsed, timeoutMs);
    return remoteDisplayAnswers(host, number, elapsed, timeoutMs);
}

// Without a window system nothing could be shown or clicked: the offscreen
// platform lets a scheduler run the command line on a machine without one.
// A display variable is no proof of a display either (a stale one under cron
// or after a dead remote session, one that accepts and never answers), and a
// platform that cannot start would end the process before the run could
// leave its record: offscreen stays the last choice of the list, also after
// the platforms a QT_QPA_PLATFORM of the user names. The interactive program
// is left to fail as any desktop program does there, rather than run an
// invisible window nobody can close.
PlatformChoice chooseCommandLinePlatform() {
    PlatformChoice choice;
    choice.requested = qgetenv("QT_QPA_PLATFORM");
    const QByteArray display = qgetenv("DISPLAY");
    const bool hasWayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    auto displayAnswers = [&display, answers = std::optional<bool>()]() mutable {
        if (!answers)
            answers = !display.isEmpty() && xDisplayAnswers(display, kDisplayAnswerMs);
        return *answers;
    };
    QByteArrayList platforms;
    if (choice.requested.isEmpty()) {
        if (hasWayland)
            platforms << "wayland";
        if (displayAnswers())
            platforms << "xcb";
    } else {
        // A display that does not answer would hold the toolkit for good.
        for (const QByteArray &entry : choice.requested.split(';')) {
            const QByteArray name = platformNameOf(entry);
            if (name == "xcb" && !displayAnswers())
                continue;
            if (name == "wayland" && !hasWayland)
                continue;
            platforms << entry;
        }
    }
    platforms << "offscreen";
    choice.platforms = platforms.join(';');
    qputenv("QT_QPA_PLATFORM", choice.platforms);
    return choice;
}

QByteArray platformWithoutDisplay(const PlatformChoice &choice) {
    const QByteArray first = platformNameOf(choice.platforms.split(';').constFirst());
    return first == "offscreen" || first == "minimal" ? first : QByteArray();
}

std::optional<Notice> platformFallbackNotice(const PlatformChoice &choice,
                                             const QString &platformName) {
    if (choice.requested.isEmpty() || platformName != QLatin1String("offscreen"))
        return std::nullopt;
    for (const QByteArray &entry : choice.requested.split(';'))
        if (platformNameOf(entry) == "offscreen")
            return std::nullopt;
    return Notice{QStringLiteral("Warning"),
                  QStringLiteral("The platform ") + QString::fromLocal8Bit(choice.requested) +
                      QStringLiteral(" is not available: the run goes on without a display."),
                  NoticeIcon::Warning};
}

void silenceToolkitMessages() {
    qInstallMessageHandler(dropToolkitMessage);
}

} // namespace nxa::app
